// The keyboard wiring of the dictionary and replacement rules screens.
#include "platform/LiveListModel.h"
#include "platform/ModelContext.h"
#include "look/Theme.h"
#include "platform/ModelValues.h"
#include "screens/dictation-settings/ui/DictionaryView.h"
#include "screens/dictation-settings/ui/ReplacementRulesView.h"
#include "screens/settings/ui/EditorListView.h"
#include "screens/settings/ui/FormSheetPresenter.h"
#include "support/FakeSync.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace talvoro;
using talvoro::settings::EditorListView;
using talvoro::settings::FormSheetPresenter;

namespace {

enum class Editor { dictionary, rules };

QMessageBox *visibleAlert(QWidget *view)
{
    for (QMessageBox *box : view->findChildren<QMessageBox *>())
        if (box->isVisible())
            return box;
    return nullptr;
}

// The shown alert's title, after closing it with "Cancelar"; empty when none shows.
QString cancelAlert(QWidget *view)
{
    QMessageBox *alert = visibleAlert(view);
    if (!alert)
        return {};
    const QString title = alert->text();
    alert->findChild<QPushButton *>(QStringLiteral("cancelButton"))->click();
    return title;
}

QSet<QUuid> listSelection(EditorListView *list)
{
    const QList<QUuid> ids = list->selectedIds();
    return {ids.begin(), ids.end()};
}

void selectRows(EditorListView *list, int first, int last)
{
    list->selectionModel()->select(QItemSelection(list->model()->index(first, 0), list->model()->index(last, 0)),
                                   QItemSelectionModel::ClearAndSelect);
}

// Return sent to the list; whether some widget took it.
bool returnTaken(EditorListView *list)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(list, &press);
    return press.isAccepted();
}

} // namespace

class TestEditorViews : public QObject
{
    Q_OBJECT

    std::unique_ptr<TemporaryProfile> m_store;
    FakeSync m_sync;
    int m_pushes = 0;

    ModelContext &store() { return m_store->models.mainContext(); }

    void addItems(Editor editor, int count)
    {
        for (int i = 0; i < count; ++i) {
            const QString text = QStringLiteral("t%1").arg(i, 3, 10, QLatin1Char('0'));
            if (editor == Editor::dictionary)
                store().insert(DictionaryEntry(text, QStringLiteral("pt"), QStringLiteral("manual")));
            else
                store().insert(ReplacementRule(text, text));
        }
        QVERIFY(store().save());
    }
    std::unique_ptr<QWidget> makeView(Editor editor)
    {
        std::unique_ptr<QWidget> view;
        if (editor == Editor::dictionary) {
            m_sync.onDictionaryEntryPush = [this](const SyncDictionaryEntryPayload &) { ++m_pushes; };
            m_store->environment.syncProvider = &m_sync;
            view = std::make_unique<dictionary::DictionaryView>(m_store->environment);
        } else {
            m_sync.onRuleModelPush = [this](const ReplacementRule &, bool) { ++m_pushes; };
            m_sync.onRulePush = [this](const SyncRulePayload &) { ++m_pushes; };
            m_store->environment.syncProvider = &m_sync;
            view = std::make_unique<ReplacementRulesView>(m_store->environment);
        }
        view->resize(700, 500);
        view->show();
        view->activateWindow();
        [&] { QVERIFY(QTest::qWaitForWindowActive(view.get())); }();
        return view;
    }

private Q_SLOTS:
    void init()
    {
        useLanguage(QStringLiteral("pt-BR"));
        m_store = std::make_unique<TemporaryProfile>();
        m_pushes = 0;
    }
    void cleanup() { m_store.reset(); }

    void keyboard_data()
    {
        QTest::addColumn<Editor>("editor");
        QTest::addColumn<int>("count");
        QTest::newRow("dictionary") << Editor::dictionary << 2;
        QTest::newRow("dictionary at the limit") << Editor::dictionary << 100;
        QTest::newRow("rules") << Editor::rules << 2;
    }
    void keyboard()
    {
        QFETCH(Editor, editor);
        QFETCH(int, count);
        addItems(editor, count);
        auto view = makeView(editor);
        auto *list = view->findChild<EditorListView *>();
        auto *sheets = view->findChild<FormSheetPresenter *>();
        QVERIFY(list && sheets);
        const auto index = [list](int row) { return list->model()->index(row, 0); };
        list->setFocus();

        // Ctrl+N: the new item's form, or the limit alert instead.
        QTest::keyClick(list, Qt::Key_N, Qt::ControlModifier);
        if (count >= 100) {
            QMessageBox *alert = visibleAlert(view.get());
            QVERIFY(alert && !sheets->isPresented());
            QCOMPARE(alert->text(), QStringLiteral("Limite atingido"));
            alert->findChild<QPushButton *>(QStringLiteral("okButton"))->click();
            QVERIFY(!visibleAlert(view.get()));
        } else {
            QCOMPARE(sheets->identity(), QStringLiteral("create"));
            // "Cancelar" in the secondary colour, not the primary.
            auto *cancel = view->findChild<QPushButton *>(QStringLiteral("cancelButton"));
            QCOMPARE(cancel->palette().color(QPalette::ButtonText), secondaryColor(false));
            sheets->dismiss();
        }

        // Return edits exactly one selected item; otherwise it passes on.
        QVERIFY(!returnTaken(list));
        list->selectionModel()->select(QItemSelection(index(0), index(1)), QItemSelectionModel::ClearAndSelect);
        QVERIFY(!returnTaken(list));
        QVERIFY(!sheets->isPresented());
        list->selectionModel()->select(index(1), QItemSelectionModel::ClearAndSelect);
        const QUuid second = index(1).data(LiveListModel::IdRole).toUuid();
        QVERIFY(returnTaken(list));
        QCOMPARE(sheets->identity(), uuidString(second));
        sheets->dismiss();

        // Delete asks first; "Excluir" deletes and pushes the selected item.
        QTest::keyClick(list, Qt::Key_Delete);
        QMessageBox *confirmation = visibleAlert(view.get());
        QVERIFY(confirmation);
        confirmation->findChild<QPushButton *>(QStringLiteral("deleteButton"))->click();
        QTRY_COMPARE(list->model()->rowCount(), count - 1);
        QCOMPARE(m_pushes, 1);

        // Shift+Delete removes the selected row at once; Delete then finds
        // no selected item and does nothing.
        list->selectionModel()->select(index(0), QItemSelectionModel::ClearAndSelect);
        QTest::keyClick(list, Qt::Key_Delete, Qt::ShiftModifier);
        QTRY_COMPARE(list->model()->rowCount(), count - 2);
        QVERIFY(!visibleAlert(view.get()));
        QTest::keyClick(list, Qt::Key_Delete);
        QVERIFY(!visibleAlert(view.get()));
        QCOMPARE(m_pushes, 2);
    }

    // Two selected rules, one hidden by the search: both stay selected for
    // the trash and the Delete key, Return and the pencil see two.
    void aSearchKeepsTheRuleSelection()
    {
        for (const char *text : {"gamma", "beta", "alpha"})
            store().insert(ReplacementRule(QString::fromLatin1(text), QStringLiteral("x")));
        QVERIFY(store().save());
        auto view = makeView(Editor::rules);
        auto *rules = static_cast<ReplacementRulesView *>(view.get());
        auto *list = rules->listView();
        auto *search = view->findChild<QLineEdit *>(QStringLiteral("searchField"));
        auto *trash = view->findChild<QToolButton *>(QStringLiteral("trashButton"));
        auto *pencil = view->findChild<QToolButton *>(QStringLiteral("editButton"));
        selectRows(list, 0, 1); // alpha and beta, newest first
        const QSet<QUuid> both = listSelection(list);
        QCOMPARE(both.size(), 2);

        QTest::keyClicks(search, QStringLiteral("BET"));
        QCOMPARE(list->model()->rowCount(), 1);
        QCOMPARE(rules->rulesModel()->selection(), both);
        QVERIFY(trash->isVisible() && !pencil->isVisible());
        list->setFocus();
        QVERIFY(!returnTaken(list));
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(cancelAlert(view.get()), QStringLiteral("Excluir 2 Regras"));

        search->clear();
        QCOMPARE(listSelection(list), both);
    }

    // The language picker keeps the selection; a language whose terms are
    // all gone leaves no segment selected.
    void aLanguageSwitchKeepsTheTermSelection()
    {
        for (const char *term : {"alpha", "beta", "gamma"})
            store().insert(DictionaryEntry(QString::fromLatin1(term), QStringLiteral("pt"), QStringLiteral("manual")));
        store().insert(DictionaryEntry(QStringLiteral("delta"), QStringLiteral("en"), QStringLiteral("manual")));
        store().insert(DictionaryEntry(QStringLiteral("epsilon"), QStringLiteral("fr"), QStringLiteral("manual")));
        QVERIFY(store().save());
        auto view = makeView(Editor::dictionary);
        auto *editor = static_cast<dictionary::DictionaryView *>(view.get())->editor();
        auto *list = view->findChild<EditorListView *>();
        auto *trash = view->findChild<QToolButton *>(QStringLiteral("trashButton"));
        const auto segment = [&view](const char *code) {
            return view->findChild<QAbstractButton *>(QStringLiteral("segment.") + QLatin1String(code));
        };
        QVERIFY(segment("pt")->isChecked());
        selectRows(list, 0, 1);
        const QSet<QUuid> both = listSelection(list);
        QCOMPARE(both.size(), 2);

        // Another language: the ids stay, none of them is shown. The trash
        // still confirms (counting 0), Delete and Return do nothing.
        QTest::mouseClick(segment("en"), Qt::LeftButton);
        QCOMPARE(editor->selection(), both);
        QVERIFY(trash->isVisible());
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Delete);
        QVERIFY(!visibleAlert(view.get()));
        QVERIFY(!returnTaken(list));
        trash->click();
        QCOMPARE(cancelAlert(view.get()), QStringLiteral("Excluir 0 Termos"));

        QTest::mouseClick(segment("pt"), Qt::LeftButton);
        QCOMPARE(listSelection(list), both);
        selectRows(list, 0, 2);
        trash->click();
        visibleAlert(view.get())->findChild<QPushButton *>(QStringLiteral("deleteButton"))->click();
        QTRY_VERIFY(!segment("pt"));
        QCOMPARE(editor->currentLanguage(), QStringLiteral("en"));
        // The layout shows new segments in a queued call: wait for it.
        QTRY_VERIFY(segment("en") && segment("en")->isVisible() && !segment("en")->isChecked()
                    && !segment("fr")->isChecked());
    }

    // "alpha" and "beta" selected, then a search that hides "beta": a click
    // in the list decides what the trash deletes. A plain click replaces the
    // whole selection, hidden ids too; Ctrl extends it and keeps them. Items
    // already gone from the store when "Excluir" is pressed still push their
    // deletion.
    void aClickAfterASearch_data()
    {
        QTest::addColumn<Editor>("editor");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<bool>("goneFirst");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("kept");
        const int plain = Qt::NoModifier;
        const int ctrl = Qt::ControlModifier;
        QTest::addRow("terms, plain click on the shown selected one")
            << Editor::dictionary << plain << "alpha" << false << "Excluir Termo" << QStringList{"alps", "beta"};
        QTest::addRow("terms, plain click on another")
            << Editor::dictionary << plain << "alps" << false << "Excluir Termo" << QStringList{"alpha", "beta"};
        QTest::addRow("terms, Ctrl click") << Editor::dictionary << ctrl << "alps" << false << "Excluir 3 Termos"
                                           << QStringList{};
        QTest::addRow("terms, gone before confirming")
            << Editor::dictionary << ctrl << "alps" << true << "Excluir 3 Termos" << QStringList{};
        QTest::addRow("rules, plain click on the shown selected one")
            << Editor::rules << plain << "alpha" << false << "Excluir Regra" << QStringList{"alps", "beta"};
        QTest::addRow("rules, Ctrl click") << Editor::rules << ctrl << "alps" << false << "Excluir 3 Regras"
                                           << QStringList{};
        QTest::addRow("rules, gone before confirming")
            << Editor::rules << ctrl << "alps" << true << "Excluir 3 Regras" << QStringList{};
    }

    void aClickAfterASearch()
    {
        QFETCH(Editor, editor);
        QFETCH(int, modifiers);
        QFETCH(QString, clicked);
        QFETCH(bool, goneFirst);
        QFETCH(QString, title);
        QFETCH(QStringList, kept);
        QHash<QString, QUuid> ids;
        for (const char *name : {"beta", "alps", "alpha"}) {
            const QString text = QString::fromLatin1(name);
            if (editor == Editor::dictionary) {
                DictionaryEntry entry(text, QStringLiteral("pt"), QStringLiteral("manual"));
                ids.insert(text, entry.id);
                store().insert(entry);
            } else {
                ReplacementRule rule(text, QStringLiteral("x"));
                ids.insert(text, rule.id);
                store().insert(rule);
            }
        }
        QVERIFY(store().save());
        auto view = makeView(editor);
        auto *list = view->findChild<EditorListView *>();
        list->selectIds({ids["alpha"], ids["beta"]});
        QTest::keyClicks(view->findChild<QLineEdit *>(QStringLiteral("searchField")), QStringLiteral("al"));
        QCOMPARE(list->model()->rowCount(), 2);

        QModelIndex target;
        for (int row = 0; row < list->model()->rowCount(); ++row)
            if (list->model()->index(row, 0).data(LiveListModel::IdRole).toUuid() == ids[clicked])
                target = list->model()->index(row, 0);
        QVERIFY(target.isValid());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::KeyboardModifiers(modifiers),
                          list->visualRect(target).topLeft() + QPoint(4, 4));
        view->findChild<QToolButton *>(QStringLiteral("trashButton"))->click();
        QMessageBox *alert = visibleAlert(view.get());
        QVERIFY(alert);
        QCOMPARE(alert->text(), title);

        if (goneFirst) { // a pull or the other window deleted them meanwhile
            for (const QUuid &id : ids) {
                if (editor == Editor::dictionary)
                    QVERIFY(store().remove<DictionaryEntry>(id));
                else
                    QVERIFY(store().remove<ReplacementRule>(id));
            }
            QVERIFY(store().save());
        }
        alert->findChild<QPushButton *>(QStringLiteral("deleteButton"))->click();
        QCOMPARE(m_pushes, 3 - kept.size());
        QStringList left;
        if (editor == Editor::dictionary) {
            const auto entries = store().fetch<DictionaryEntry>();
            for (const DictionaryEntry &entry : entries.value())
                left << entry.term;
        } else {
            const auto rules = store().fetch<ReplacementRule>();
            for (const ReplacementRule &rule : rules.value())
                left << rule.originalText;
        }
        left.sort();
        QCOMPARE(left, kept);
    }
};

QTEST_MAIN(TestEditorViews)
#include "tst_EditorViews.moc"

// Every way out of the editors' dialogs: the item sheet closed by Esc, by a
// click beside it and by "Cancelar" saves nothing, "Salvar" saves; the
// deletion alert answered by Esc or "Cancelar" keeps the item, "Excluir"
// deletes it. Each checked on the dictionary and the replacement rules. The
// sheet's buttons, reached by Tab, show their focus and take Return and Enter.
#include "platform/LiveListModel.h"
#include "platform/ModelContext.h"
#include "screens/dictation-settings/ui/DictionaryView.h"
#include "screens/dictation-settings/ui/ReplacementRulesView.h"
#include "screens/settings/ui/EditorListView.h"
#include "screens/settings/ui/FormSheetPresenter.h"
#include "support/FakeSync.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace talvoro;
using talvoro::settings::EditorListView;
using talvoro::settings::FormSheetPresenter;

namespace {

enum class Editor { dictionary, rules };
enum class Exit { escape, besideTheSheet, cancelButton };

QMessageBox *visibleAlert(QWidget *view)
{
    for (QMessageBox *box : view->findChildren<QMessageBox *>())
        if (box->isVisible())
            return box;
    return nullptr;
}

} // namespace

class TestDialogExits : public QObject
{
    Q_OBJECT

    std::unique_ptr<TemporaryProfile> m_profile;
    FakeSync m_sync;
    int m_pushes = 0;
    QUuid m_item;

    ModelContext &store() { return m_profile->models.mainContext(); }

    // One item in the editor, shown and selected.
    std::unique_ptr<QWidget> editorWithOneItem(Editor editor)
    {
        std::unique_ptr<QWidget> view;
        if (editor == Editor::dictionary) {
            const DictionaryEntry entry(QStringLiteral("Talvoro"), QStringLiteral("pt"), QStringLiteral("manual"));
            m_item = entry.id;
            store().insert(entry);
            m_sync.onDictionaryEntryPush = [this](const SyncDictionaryEntryPayload &) { ++m_pushes; };
            m_sync.onDictionaryEntryModelPush = [this](const DictionaryEntry &) { ++m_pushes; };
            m_profile->environment.syncProvider = &m_sync;
            view = std::make_unique<dictionary::DictionaryView>(m_profile->environment);
        } else {
            const ReplacementRule rule(QStringLiteral("tlv"), QStringLiteral("Talvoro"));
            m_item = rule.id;
            store().insert(rule);
            m_sync.onRuleModelPush = [this](const ReplacementRule &, bool) { ++m_pushes; };
            m_sync.onRulePush = [this](const SyncRulePayload &) { ++m_pushes; };
            m_profile->environment.syncProvider = &m_sync;
            view = std::make_unique<ReplacementRulesView>(m_profile->environment);
        }
        [&] { QVERIFY(store().save()); }();
        view->resize(700, 500);
        view->show();
        view->activateWindow();
        [&] { QVERIFY(QTest::qWaitForWindowActive(view.get())); }();
        auto *list = view->findChild<EditorListView *>();
        list->setFocus();
        list->selectionModel()->select(list->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
        return view;
    }

    // The text the item's sheet edits, as stored.
    QString storedText(Editor editor)
    {
        if (editor == Editor::dictionary) {
            const auto entry = store().fetchById<DictionaryEntry>(m_item);
            return entry ? entry->term : QString();
        }
        const auto rule = store().fetchById<ReplacementRule>(m_item);
        return rule ? rule->originalText : QString();
    }
    bool itemExists(Editor editor)
    {
        return editor == Editor::dictionary ? store().fetchById<DictionaryEntry>(m_item).has_value()
                                            : store().fetchById<ReplacementRule>(m_item).has_value();
    }

private Q_SLOTS:
    void init()
    {
        useLanguage(QStringLiteral("pt-BR"));
        m_profile = std::make_unique<TemporaryProfile>();
        m_pushes = 0;
    }
    void cleanup() { m_profile.reset(); }

    void exits_data()
    {
        QTest::addColumn<Editor>("editor");
        QTest::newRow("dictionary") << Editor::dictionary;
        QTest::newRow("rules") << Editor::rules;
    }

    void theItemSheetSavesOnlyThroughItsSaveButton_data() { exits_data(); }
    void theItemSheetSavesOnlyThroughItsSaveButton()
    {
        QFETCH(Editor, editor);
        auto view = editorWithOneItem(editor);
        auto *list = view->findChild<EditorListView *>();
        auto *sheets = view->findChild<FormSheetPresenter *>();
        const QString field = editor == Editor::dictionary ? QStringLiteral("termField")
                                                           : QStringLiteral("originalField");
        const QString before = storedText(editor);

        for (const Exit exit : {Exit::escape, Exit::besideTheSheet, Exit::cancelButton}) {
            QTest::keyClick(list, Qt::Key_Return);
            QVERIFY(sheets->isPresented());
            QWidget *form = sheets->form();
            auto *edit = form->findChild<QLineEdit *>(field);
            QVERIFY(edit);
            QTest::keyClicks(edit, QStringLiteral("x"));
            switch (exit) {
            case Exit::escape:
                QTest::keyClick(edit, Qt::Key_Escape);
                break;
            case Exit::besideTheSheet:
                // The backdrop: the overlay that holds the sheet's panel.
                QTest::mouseClick(form->parentWidget()->parentWidget(), Qt::LeftButton, {}, QPoint(3, 3));
                break;
            case Exit::cancelButton:
                form->findChild<QPushButton *>(QStringLiteral("cancelButton"))->click();
                break;
            }
            QVERIFY2(!sheets->isPresented(), qPrintable(QString::number(int(exit))));
            QCOMPARE(storedText(editor), before);
            QCOMPARE(m_pushes, 0);
            list->setFocus();
        }

        QTest::keyClick(list, Qt::Key_Return);
        auto *edit = sheets->form()->findChild<QLineEdit *>(field);
        QCOMPARE(edit->text(), before);
        QTest::keyClicks(edit, QStringLiteral("x"));
        sheets->form()->findChild<QPushButton *>(QStringLiteral("saveButton"))->click();
        QTRY_VERIFY(!sheets->isPresented());
        QCOMPARE(storedText(editor), before + QStringLiteral("x"));
        QVERIFY(m_pushes >= 1);
    }

    void theSheetsButtonsShowTheirFocusAndTakeReturn_data() { exits_data(); }
    void theSheetsButtonsShowTheirFocusAndTakeReturn()
    {
        QFETCH(Editor, editor);
        auto view = editorWithOneItem(editor);
        auto *list = view->findChild<EditorListView *>();
        auto *sheets = view->findChild<FormSheetPresenter *>();
        const QString before = storedText(editor);
        // "x" typed, then Tab to the button and Return: cancelled, then saved.
        for (const char *name : {"cancelButton", "saveButton"}) {
            QTest::keyClick(list, Qt::Key_Return);
            auto *edit = sheets->form()->findChild<QLineEdit *>();
            auto *button = sheets->form()->findChild<QPushButton *>(QLatin1String(name));
            edit->setFocus();
            QTest::keyClicks(edit, QStringLiteral("x"));
            const QImage unfocused = button->grab().toImage();
            for (int tabs = 0; tabs < 8 && QApplication::focusWidget() != button; ++tabs)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), button);
            QVERIFY2(button->grab().toImage() != unfocused, name);
            QTest::keyClick(button, Qt::Key_Return);
            QTRY_VERIFY(!sheets->isPresented());
            list->setFocus();
        }
        QCOMPARE(storedText(editor), before + QStringLiteral("x"));
    }

    // While "Salvar" is disabled, Tab and Shift+Tab pass over it: every press
    // moves the focus to an enabled control and back the same way.
    void tabPassesOverTheDisabledSave_data()
    {
        QTest::addColumn<Editor>("editor");
        QTest::addColumn<bool>("editing");
        QTest::addColumn<QString>("afterTheField");
        QTest::newRow("new term") << Editor::dictionary << false << QStringLiteral("languagePicker");
        QTest::newRow("new rule") << Editor::rules << false << QStringLiteral("replacementField");
        QTest::newRow("term emptied") << Editor::dictionary << true << QStringLiteral("languagePicker");
        QTest::newRow("rule emptied") << Editor::rules << true << QStringLiteral("replacementField");
    }
    void tabPassesOverTheDisabledSave()
    {
        QFETCH(Editor, editor);
        QFETCH(bool, editing);
        auto view = editorWithOneItem(editor);
        auto *sheets = view->findChild<FormSheetPresenter *>();
        if (editing)
            QTest::keyClick(view->findChild<EditorListView *>(), Qt::Key_Return);
        else
            view->findChild<QAbstractButton *>(QStringLiteral("addButton"))->click();
        QVERIFY(sheets->isPresented());
        auto *field = sheets->form()->findChild<QLineEdit *>(
            editor == Editor::dictionary ? QStringLiteral("termField") : QStringLiteral("originalField"));
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QVERIFY(!sheets->form()->findChild<QPushButton *>(QStringLiteral("saveButton"))->isEnabled());

        QList<QWidget *> visited{QApplication::focusWidget()};
        QCOMPARE(visited.first(), field);
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *now = QApplication::focusWidget();
            QVERIFY2(now != visited.last(), qPrintable(now->objectName()));
            QVERIFY2(now->isEnabled() && sheets->form()->isAncestorOf(now), qPrintable(now->objectName()));
            visited.append(now);
        }
        QTEST(visited[1]->objectName(), "afterTheField");
        for (qsizetype i = visited.size() - 1; i > 0; --i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), visited[i - 1]);
        }
        QTest::keyClick(field, Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cancelButton"));
        // Typing still reaches the field, and the button takes the focus again.
        field->setFocus();
        QTest::keyClicks(field, QStringLiteral("y"));
        QCOMPARE(field->text(), QStringLiteral("y"));
        QTest::keyClick(field, Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("saveButton"));
    }

    void theDeletionAlertDeletesOnlyThroughItsDeleteButton_data() { exits_data(); }
    void theDeletionAlertDeletesOnlyThroughItsDeleteButton()
    {
        QFETCH(Editor, editor);
        auto view = editorWithOneItem(editor);
        auto *list = view->findChild<EditorListView *>();
        for (const char *answer : {"escape", "cancelButton"}) {
            QTest::keyClick(list, Qt::Key_Delete);
            QMessageBox *alert = visibleAlert(view.get());
            QVERIFY(alert);
            if (qstrcmp(answer, "escape") == 0)
                QTest::keyClick(alert, Qt::Key_Escape);
            else
                alert->findChild<QPushButton *>(QStringLiteral("cancelButton"))->click();
            QTRY_VERIFY2(!visibleAlert(view.get()), answer);
            QVERIFY2(itemExists(editor), answer);
            QCOMPARE(m_pushes, 0);
            list->setFocus();
        }
        QTest::keyClick(list, Qt::Key_Delete);
        visibleAlert(view.get())->findChild<QPushButton *>(QStringLiteral("deleteButton"))->click();
        QTRY_VERIFY(!itemExists(editor));
        QVERIFY(m_pushes >= 1);
    }
};

QTEST_MAIN(TestDialogExits)
#include "tst_DialogExits.moc"

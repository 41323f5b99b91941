#include "dictation/HotkeyManager.h"
#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "screens/home-history-stats/HistoryListModel.h"
#include "screens/home-history-stats/ui/HistoryDetailView.h"
#include "screens/home-history-stats/ui/HistoryView.h"
#include "screens/settings/CopyConfirmation.h"
#include "screens/settings/ui/CapsuleButton.h"
#include "screens/settings/ui/ContentUnavailableView.h"
#include "support/DictationFakes.h"
#include "support/TestSupport.h"
#include "texts/Localization.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QStackedWidget>
#include <QTest>

using namespace talvoro;
using namespace talvoro::history;

class TestHistoryView : public QObject
{
    Q_OBJECT

    std::unique_ptr<TemporarySettings> m_settings;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppModelContainer> m_container;
    AppEnvironment m_environment;

    TranscriptionRecord insert(const QString &text)
    {
        TranscriptionRecord record(text, 2, 3.0, QStringLiteral("pt"));
        m_container->mainContext().insert(record);
        [&] { QVERIFY(m_container->mainContext().save()); }();
        return record;
    }

private Q_SLOTS:
    void init()
    {
        overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")});
        installTranslations();
        m_settings = std::make_unique<TemporarySettings>();
        m_dir = std::make_unique<QTemporaryDir>();
        m_container = std::make_unique<AppModelContainer>(m_dir->filePath(QStringLiteral("store")));
        m_environment = {};
        m_environment.settings = m_settings->store.get();
        m_environment.models = m_container.get();
    }

    void emptyStateListAndDeletion()
    {
        HotkeyManager hotkeys(*m_settings->store, std::make_unique<FakeKeyboardMonitor>());
        m_environment.hotkeys = &hotkeys;
        QStringList sent;
        int pulls = 0;
        HistorySyncHooks hooks{[&](const QString &id) { sent.append(id); },
                               [&](int seconds) -> QCoro::Task<void> {
                                   pulls += seconds == kPullMinimumInterval;
                                   return []() -> QCoro::Task<void> { co_return; }();
                               }};
        QList<NavigationDestination> pushed;
        HistoryView view(m_environment, [&](const NavigationDestination &d) { pushed.append(d); }, hooks);
        view.resize(800, 700);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(pulls, 1);

        auto *content = view.findChild<QStackedWidget *>(QStringLiteral("historyContent"));
        auto *emptyText = view.findChild<QLabel *>(QStringLiteral("emptyStateText"));
        QCOMPARE(content->currentWidget()->objectName(), QStringLiteral("historyEmptyState"));
        QCOMPARE(emptyText->text(), QStringLiteral("Nenhuma transcrição ainda.\nPressione ⌃⇧D para começar."));
        QVERIFY(hotkeys.updateHotkey(HotkeyManager::HotkeyKind::dictation, 40, 0x100000));
        QVERIFY(emptyText->text().contains(QStringLiteral("⌘")));

        // A record shows the list; a search without result the same empty state.
        const TranscriptionRecord record = insert(QStringLiteral("<b>ditado</b>"));
        QCOMPARE(content->currentWidget(), view.listView());
        auto *search = view.findChild<QLineEdit *>(QStringLiteral("searchField"));
        QVERIFY(search->text().isEmpty());
        search->setText(QStringLiteral("nada"));
        QCOMPARE(content->currentWidget()->objectName(), QStringLiteral("historyEmptyState"));
        search->clear();
        QCOMPARE(view.listModel()->rowCount(), 2);

        // Return opens the selected row.
        view.listView()->setFocus();
        view.listView()->setCurrentIndex(view.listModel()->index(1));
        QTest::keyClick(view.listView(), Qt::Key_Return);
        QCOMPARE(pushed, QList<NavigationDestination>{HistoryDetailRoute{record.id}});

        view.copyText(1);
        QCOMPARE(QApplication::clipboard()->mimeData()->formats(), QStringList{QStringLiteral("text/plain")});
        QCOMPARE(QApplication::clipboard()->text(), record.text);

        view.deleteRecord(1);
        QCOMPARE(sent, QStringList{record.idString()});
        QCOMPARE(content->currentWidget()->objectName(), QStringLiteral("historyEmptyState"));
    }

    void detailFollowsTheRecordUntilItIsGone()
    {
        TranscriptionRecord record = insert(QStringLiteral("primeira versão"));
        HistoryRecordScreen screen(m_environment, record.id);
        screen.resize(700, 600);
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        QVERIFY(screen.detailView());
        auto *text = screen.findChild<QLabel *>(QStringLiteral("detailText"));
        QCOMPARE(text->textFormat(), Qt::PlainText);
        QCOMPARE(text->text(), record.text);
        QVERIFY(screen.findChild<QLabel *>(QStringLiteral("detailMetaLine"))->text().endsWith(QStringLiteral("Português")));

        record.text = QStringLiteral("segunda versão & fim");
        QVERIFY(m_container->mainContext().update(record));
        QVERIFY(m_container->mainContext().save());
        QCOMPARE(text->text(), record.text);

        // Sharing: e-mail with the text as the whole body, or a UTF-8 file.
        QCOMPARE(screen.detailView()->mailURL().toString(QUrl::FullyEncoded),
                 QStringLiteral("mailto:?body=segunda%20vers%C3%A3o%20%26%20fim"));
        const QString path = m_dir->filePath(QStringLiteral("shared.txt"));
        QVERIFY(screen.detailView()->saveAsTextFile(path));
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(saved.readAll()), record.text);

        // A pending confirmation goes with the page when a pull deletes the record.
        QTest::mouseClick(screen.detailView()->copyButton(), Qt::LeftButton);
        auto cleared = m_container->makeContext();
        QVERIFY(cleared->remove<TranscriptionRecord>(record.id));
        QVERIFY(cleared->save());
        QVERIFY(screen.showsNotFound());
        auto *notFound = screen.findChild<settings::ContentUnavailableView *>();
        QCOMPARE(notFound->title(), QStringLiteral("Registro não encontrado"));
        QCOMPARE(notFound->symbol(), QStringLiteral("doc.questionmark"));
        QVERIFY(notFound->description().isEmpty());
    }

    void copyConfirmationEndsTwoSecondsAfterTheFirstCopy()
    {
        TranscriptionRecord record(QString(), 0, 0, QStringLiteral("auto"));
        QApplication::clipboard()->setText(QStringLiteral("anterior"));
        HistoryDetailView page(record, *m_settings->store, nullptr);
        settings::CopyButton *copy = page.copyButton();
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(copy, Qt::LeftButton);
        QCOMPARE(copy->text(), QStringLiteral("Copiado!"));
        QCOMPARE(copy->symbol(), QStringLiteral("checkmark"));
        QVERIFY(QApplication::clipboard()->text().isEmpty());

        QTest::qWait(1000);
        QTest::mouseClick(copy, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(copy->text(), QStringLiteral("Copiar"), 3000);
        QVERIFY2(clock.elapsed() < 2600, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(copy->symbol(), QStringLiteral("doc.on.doc"));
    }
};

QTEST_MAIN(TestHistoryView)
#include "tst_HistoryView.moc"

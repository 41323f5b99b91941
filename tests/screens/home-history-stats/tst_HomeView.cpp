#include "account/AuthManager.h"
#include "account/AuthProviding.h"
#include "account/BackendAPIClient.h"
#include "account/OfflineSyncQueue.h"
#include "account/SyncDefaults.h"
#include "account/SyncManager.h"
#include "account/SyncPayloads.h"
#include "account/SyncRequests.h"
#include "backend-local/SyncAccount.h"
#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "screens/home-history-stats/ui/HomeView.h"
#include "screens/home-history-stats/ui/RecentTranscriptionsCard.h"
#include "screens/home-history-stats/ui/StatsQuickCard.h"
#include "screens/home-history-stats/ui/WeeklyUsageCard.h"
#include "screens/settings/CopyConfirmation.h"
#include "screens/settings/ui/AccountToolbarItem.h"
#include "screens/settings/ui/SettingsSeparator.h"
#include "screens/settings/ui/UsageBlockView.h"
#include "support/AccountTestSupport.h"
#include "support/TestSupport.h"
#include "texts/Localization.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QJsonDocument>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

using namespace talvoro;
using namespace talvoro::home;

namespace {

QStringList texts(const QWidget *root, const QString &name)
{
    QStringList result;
    for (const QLabel *label : root->findChildren<QLabel *>(name))
        result.append(label->text());
    return result;
}

} // namespace

class TestHomeView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")});
        installTranslations();
    }

    void signedOutShowsTheWeekAndTheNewestTranscriptions()
    {
        TemporarySettings settings;
        QTemporaryDir dir;
        AppModelContainer container(dir.filePath(QStringLiteral("store")));
        AppEnvironment environment;
        environment.settings = settings.store.get();
        environment.models = &container;
        environment.now = [] { return QDateTime(QDate(2026, 12, 9), QTime(10, 0)); };
        QList<NavigationDestination> pushed;
        int calls = 0;
        const auto count = [&calls] {
            ++calls;
            return []() -> QCoro::Task<> { co_return; }();
        };
        HomeSyncHooks hooks{count, count};
        HomeView view(environment, [&](const NavigationDestination &d) { pushed.append(d); }, hooks);
        view.resize(900, 1000);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(calls, 0);

        QCOMPARE(texts(&view, QStringLiteral("weekTitle")), QStringList{QStringLiteral("ESTA SEMANA")});
        QCOMPARE(texts(&view, QStringLiteral("weekRange")), QStringList{QStringLiteral("7 DE DEZ. – 9 DE DEZ.")});
        QVERIFY(!view.findChild<WeeklyUsageCard *>()->isVisible());
        QVERIFY(!view.findChild<settings::AccountAvatarLink *>());
        QVERIFY(view.findChild<QWidget *>(QStringLiteral("recentEmptyState"))->isVisible());

        // The whole quick card opens the statistics, by mouse and by keyboard.
        auto *card = view.findChild<StatsQuickCard *>();
        QTest::mouseClick(card, Qt::LeftButton, {}, QPoint(4, 4));
        card->setFocus();
        QTest::keyClick(card, Qt::Key_Space);
        QCOMPARE(pushed, (QList<NavigationDestination>{DetailRoute::statsDetail, DetailRoute::statsDetail}));
        settings.store->setInt64(SettingsKeys::syncCurrentStreak.key(), 1);
        QCOMPARE(texts(card, QStringLiteral("quickStatCaption")).last(), QStringLiteral("DIA"));

        // Five records: the three newest, separators between them only.
        for (int i = 0; i < 5; ++i)
            container.mainContext().insert(TranscriptionRecord(QStringLiteral("texto %1").arg(i), 2, 3.0,
                                                               QStringLiteral("pt"),
                                                               QDateTime(QDate(2026, 12, 9), QTime(9, i), Qt::UTC)));
        QVERIFY(container.mainContext().save());
        auto *recent = view.findChild<RecentTranscriptionsCard *>();
        QTRY_COMPARE(recent->findChildren<QWidget *>(QStringLiteral("recentTranscriptionRow")).size(), 3);
        QCOMPARE(recent->findChildren<settings::SettingsSeparator *>().size(), 2);
        QVERIFY(!view.findChild<QWidget *>(QStringLiteral("recentEmptyState"))->isVisible());

        // Each row copies its own text and has its own confirmation.
        const auto buttons = recent->findChildren<QAbstractButton *>(QStringLiteral("recentCopyButton"));
        QTest::mouseClick(buttons[1], Qt::LeftButton);
        const QStringList copied{QApplication::clipboard()->text()};
        QVERIFY(copied.first().startsWith(QStringLiteral("texto ")));
        QVERIFY(buttons[1]->findChild<settings::CopyConfirmation *>()->isShown());
        QVERIFY(!buttons[0]->findChild<settings::CopyConfirmation *>()->isShown());
    }

    void signedInShowingDrainsBeforeItPullsFromTheBackend()
    {
        LocalBackend backend;
        AuthHarness harness(backend.baseURL());
        QVERIFY(harness.signIn());
        const QString userId = harness.auth->userId().value_or(QString());

        // Two dictations on the account; the offline queue holds the
        // deletion of one. Only a drain before the pull counts one.
        const double nowMs = SyncTime::msFromDate(QDateTime::currentDateTimeUtc()) - 1000;
        const QString kept = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        const QString deleted = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        backendlocal::SyncAccount account(backend.state().user(userId)->sync);
        QVERIFY(account.pushTranscription(SyncTranscriptionPayload{kept, "fica", nowMs, 4, 2.0, "pt", nowMs, false}
                                              .toJsonObject(), 1).has_value());
        QVERIFY(account.pushTranscription(SyncTranscriptionPayload{deleted, "sai", nowMs, 3, 2.0, "pt", nowMs, false}
                                              .toJsonObject(), 2).has_value());
        backend.state().user(userId)->sync = account.toJson();

        QTemporaryDir dir;
        AppModelContainer container(dir.filePath(QStringLiteral("TalvoroApp.store")));
        auto provider = std::make_shared<DefaultAuthProvider>();
        SyncManager::Dependencies deps;
        deps.auth = provider;
        deps.client = std::make_shared<BackendAPIClient>(provider, &harness.network, backend.baseURL());
        deps.queue = std::make_shared<OfflineSyncQueue>(dir.filePath(QStringLiteral("offline-queue.json")));
        deps.defaults = harness.settings.store.get();
        deps.container = &container;
        deps.accountId = [&harness] { return harness.auth->userId().value_or(QString()); };
        deps.timeZoneId = [] { return QStringLiteral("UTC"); };
        SyncManager sync(deps);
        deps.queue->enqueue(OfflineSyncKind::deleteTranscription,
                            QJsonDocument::fromJson(SyncRequests::deleteTranscriptionBody(deleted, nowMs)).object());

        AppEnvironment environment;
        environment.settings = harness.settings.store.get();
        environment.auth = harness.auth.get();
        environment.sync = &sync;
        environment.models = &container;
        HomeView view(environment, {}, homeSyncHooks(&sync, &container));
        view.resize(900, 1000);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        QTRY_VERIFY(sync.lastSyncDate().has_value());
        QTRY_VERIFY(!sync.isSyncing());
        QCOMPARE(deps.queue->count(), 0);
        auto *card = view.findChild<StatsQuickCard *>();
        QCOMPARE(texts(card, QStringLiteral("quickStatValue")),
                 (QStringList{QStringLiteral("1"), QStringLiteral("4"), QStringLiteral("1")}));
        auto *usage = view.findChild<WeeklyUsageCard *>();
        QVERIFY(usage->isVisible());
        QCOMPARE(usage->weeklyBlock()->countLabel()->text(), QStringLiteral("1 de 500"));
        QCOMPARE(usage->hourlyBlock()->countLabel()->text(), QStringLiteral("1 de 60"));
        QVERIFY(view.findChild<settings::AccountAvatarLink *>());
        auto *recent = view.findChild<RecentTranscriptionsCard *>();
        QTRY_COMPARE(recent->findChildren<QWidget *>(QStringLiteral("recentTranscriptionRow")).size(), 1);

        // Signing out removes the usage card at once.
        harness.auth->signOut();
        QVERIFY(!usage->isVisible());
    }
};

QTEST_MAIN(TestHomeView)
#include "tst_HomeView.moc"

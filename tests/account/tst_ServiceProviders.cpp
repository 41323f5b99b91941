// What the screens and the clients hold instead of the account's services:
// the synchroniser's provider and the auth provider, each over the real
// manager, and what they answer once that manager is gone.

#include "account/AuthProviding.h"
#include "account/SyncMerge.h"
#include "account/SyncProviding.h"
#include "platform/ModelContext.h"
#include "support/SyncTestSupport.h"
#include "support/TestSupport.h"
#include "transcription/DictionaryEntry.h"
#include "transcription/ReplacementRule.h"

#include <QTest>

class TestServiceProviders : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void syncProviderStartsTheManagersWorkAndGoesQuietWithoutIt()
    {
        AccountServices app;
        QVERIFY(app.harness.signIn());
        SyncProviding &sync = *app.environment.syncProvider;
        ModelContext &store = app.models.mainContext();
        const ReplacementRule rule = store.insert(ReplacementRule(QStringLiteral("vc"), QStringLiteral("você")));
        const DictionaryEntry entry =
            store.insert(DictionaryEntry(QStringLiteral("Talvoro"), QStringLiteral("pt"), QStringLiteral("manual")));
        QVERIFY(store.save());

        // The pushes are started, not awaited, and reach the account.
        sync.startRuleModelPush(rule, false);
        sync.startDictionaryEntryModelPush(entry);
        QTRY_VERIFY(app.account().rule(rule.idString()).has_value());
        QTRY_VERIFY(app.account().dictionaryEntry(entry.idString()).has_value());
        QCoro::waitFor(sync.pullIfStale(30));
        const int pulls = app.requests(QStringLiteral("sync/pull"));
        QVERIFY(pulls >= 1);
        QCoro::waitFor(sync.pullIfStale(30)); // the last pull is fresh
        QCOMPARE(app.requests(QStringLiteral("sync/pull")), pulls);

        // Without the manager nothing is sent and the awaited calls finish.
        const int rulePushes = app.requests(QStringLiteral("sync/rules"));
        const int settingsPushes = app.requests(QStringLiteral("sync/settings"));
        app.sync.reset();
        sync.startSettingsPush();
        sync.startRuleModelPush(rule, true);
        sync.startRulePush(SyncMerge::payloadFromRule(rule, true));
        sync.startDictionaryEntryModelPush(entry);
        sync.startDictionaryEntryPush(SyncMerge::payloadFromEntry(entry, true));
        sync.startTranscriptionDeletion(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
        QCoro::waitFor(sync.pullIfStale(0));
        QCoro::waitFor(sync.pull(store));
        QCoro::waitFor(sync.drainOfflineQueue());
        QCoreApplication::processEvents();
        QCOMPARE(app.requests(QStringLiteral("sync/pull")), pulls);
        QCOMPARE(app.requests(QStringLiteral("sync/rules")), rulePushes);
        QCOMPARE(app.requests(QStringLiteral("sync/settings")), settingsPushes);
        QVERIFY(!app.account().rule(rule.idString())->value(QLatin1String("isDeleted")).toBool());
    }

    void authProviderAnswersForItsManagerOnly()
    {
        LocalBackend backend;
        AuthHarness harness(backend.baseURL());
        QVERIFY(harness.signIn());
        DefaultAuthProvider fixed(*harness.auth);
        const std::shared_ptr<AuthProviding> following = harness.authProvider();
        QVERIFY(fixed.isAuthenticated());
        QVERIFY(QCoro::waitFor(fixed.validAccessToken()).has_value());
        QCOMPARE(following->sessionGeneration(), fixed.sessionGeneration());

        // A restart replaces the manager: the provider given the old one
        // answers as signed out, the one that follows asks the new one.
        harness.restart();
        QVERIFY(!fixed.isAuthenticated());
        QCOMPARE(fixed.sessionGeneration(), quint64(0));
        QCOMPARE(QCoro::waitFor(fixed.validAccessToken()).error().kind(), BackendAPIError::Kind::notAuthenticated);
        QCOMPARE(QCoro::waitFor(fixed.forceRefresh()).error().kind(), BackendAPIError::Kind::notAuthenticated);
        QVERIFY(following->isAuthenticated());
        QVERIFY(QCoro::waitFor(following->validAccessToken()).has_value());
    }
};

QTEST_GUILESS_MAIN(TestServiceProviders)
#include "tst_ServiceProviders.moc"

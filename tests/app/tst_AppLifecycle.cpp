// The shell's lifecycle reactions with the real AuthManager, SyncManager and
// store against the stand-in backend on loopback; the wake comes from a
// monitor the test triggers, the clock is the test's.
#include "account/SyncPayloads.h"
#include "app/AppLifecycle.h"
#include "platform/ModelContext.h"
#include "platform/SleepWakeMonitor.h"
#include "support/SyncTestSupport.h"
#include "transcription/DictionaryEntry.h"
#include "transcription/ReplacementRule.h"
#include "transcription/TranscriptionRecord.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;
using backendlocal::SyncAccount;

namespace {

const QString kBobEmail = QStringLiteral("bob@example.com");

SyncRulePayload rulePayload(const QString &clientId, const QString &original)
{
    const double now = double(QDateTime::currentMSecsSinceEpoch());
    return SyncRulePayload{clientId, original, original + QStringLiteral("!"), true, 0, now, now, false};
}

// One running application: the account services and the lifecycle under
// test, with a wake the test sends and a clock of its own.
struct App : AccountServices
{
    SleepWakeMonitor wakeMonitor;
    QDateTime lifecycleClock = QDateTime::currentDateTimeUtc();
    int recoveries = 0;
    std::unique_ptr<AppLifecycle> lifecycle;

    ~App() { lifecycle.reset(); }

    void startLifecycle()
    {
        AppLifecycle::Dependencies deps;
        deps.auth = harness.auth.get();
        deps.sync = sync.get();
        deps.models = &models;
        deps.settings = harness.settings.store.get();
        deps.wakeMonitor = &wakeMonitor;
        deps.now = [this] { return lifecycleClock; };
        deps.recoverPendingJobs = [this]() -> QCoro::Task<> {
            ++recoveries;
            co_return;
        };
        lifecycle = std::make_unique<AppLifecycle>(deps);
    }

    int pulls() const { return requests(QStringLiteral("sync/pull")); }
    QString owner() const
    {
        return harness.settings.store->stringValue(SettingsKeys::lastAuthenticatedAccountId.key());
    }

    template<class T>
    std::vector<T> all()
    {
        return models.makeContext()->fetch<T>().value();
    }

    // A transcription, a rule and a term of the signed-in account, saved.
    void addLocalData(const QString &label)
    {
        ModelContext &context = models.mainContext();
        context.insert(TranscriptionRecord(label + QStringLiteral(" dita algo"), 3, 1.5, QStringLiteral("pt")));
        context.insert(ReplacementRule(label, label + QStringLiteral("-replacement")));
        context.insert(DictionaryEntry(label + QStringLiteral("-term"), QStringLiteral("pt"), QStringLiteral("manual")));
        QVERIFY(context.save().has_value());
    }
};

bool waitUntilIdle(SyncManager &sync)
{
    return QTest::qWaitFor([&] { return !sync.isSyncing(); }, 5000);
}

} // namespace

class TestAppLifecycle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void activationPullsAtMostOnceInFiveMinutes()
    {
        App app;
        QVERIFY(app.harness.signIn());
        app.startLifecycle(); // a restored session: no pull until activated
        QCOMPARE(app.pulls(), 0);

        QCoro::waitFor(app.lifecycle->applicationBecameActive());
        QCOMPARE(app.pulls(), 1);
        QCOMPARE(app.lifecycle->lastAutomaticSyncDate(), std::optional<QDateTime>(app.lifecycleClock));

        app.lifecycleClock = app.lifecycleClock.addSecs(299);
        QCoro::waitFor(app.lifecycle->applicationBecameActive());
        QCOMPARE(app.pulls(), 1);

        app.lifecycleClock = app.lifecycleClock.addSecs(1);
        app.lifecycle->handleApplicationStateChanged(Qt::ApplicationActive);
        QTRY_COMPARE(app.pulls(), 2);
        QVERIFY(waitUntilIdle(*app.sync));

        // Only becoming active counts; signed out nothing pulls.
        app.lifecycleClock = app.lifecycleClock.addSecs(3600);
        app.lifecycle->handleApplicationStateChanged(Qt::ApplicationInactive);
        app.lifecycle->handleApplicationStateChanged(Qt::ApplicationHidden);
        app.harness.auth->signOut();
        QCoro::waitFor(app.lifecycle->applicationBecameActive());
        QCOMPARE(app.pulls(), 2);
    }

    void wakeRefreshesAndDrainsOnlyWhenSignedIn()
    {
        App app;
        app.startLifecycle();
        const QString queuedId = newClientId();
        app.queue->enqueue(OfflineSyncKind::rule, rulePayload(queuedId, QStringLiteral("vc")).toJsonObject());

        Q_EMIT app.wakeMonitor.woke(); // signed out: the wake is over at once
        QCOMPARE(app.requests(QStringLiteral("auth/refresh")), 0);
        QCOMPARE(app.queue->count(), 1);
        QCOMPARE(app.recoveries, 0);

        QVERIFY(app.harness.signIn());
        QVERIFY(waitUntilIdle(*app.sync));
        const auto tokenBefore = QCoro::waitFor(app.harness.auth->getValidAccessToken());
        QVERIFY(tokenBefore);

        Q_EMIT app.wakeMonitor.woke();
        QTRY_COMPARE(app.recoveries, 1);
        QCOMPARE(app.requests(QStringLiteral("auth/refresh")), 1);
        QVERIFY(QCoro::waitFor(app.harness.auth->getValidAccessToken()) != tokenBefore);
        QCOMPARE(app.queue->count(), 0);
        QVERIFY(app.account(app.userId()).rule(queuedId).has_value());
    }

    void aRefusedRefreshAfterWakeDrainsNothing()
    {
        App app;
        QVERIFY(app.harness.signIn());
        app.startLifecycle();
        app.queue->enqueue(OfflineSyncKind::rule, rulePayload(newClientId(), QStringLiteral("vc")).toJsonObject());
        app.backend.server.injectFailure(QStringLiteral("auth/refresh"), {.times = 1, .status = 401});

        QCoro::waitFor(app.lifecycle->machineWoke());
        QVERIFY(!app.harness.auth->isAuthenticated());
        QVERIFY(app.harness.auth->sessionExpired());
        QCOMPARE(app.queue->count(), 1);
        QCOMPARE(app.recoveries, 0);
    }

    void anotherAccountClearsTheLocalDataBeforeItsFirstPull()
    {
        App app;
        app.startLifecycle();
        QSignalSpy cleared(app.lifecycle.get(), &AppLifecycle::accountDataCleared);

        QVERIFY(app.harness.signIn());
        const QString ana = app.userId();
        QCOMPARE(app.owner(), ana); // recorded while signed in, not only at sign-out
        QVERIFY(waitUntilIdle(*app.sync));
        app.addLocalData(QStringLiteral("ana"));
        const QString anaRule = app.all<ReplacementRule>().front().idString();
        const QString anaDelivered = newClientId();
        app.queue->enqueue(OfflineSyncKind::rule, rulePayload(anaDelivered, QStringLiteral("ana")).toJsonObject());

        // Back into the same account: everything stays, and the sign-in's
        // pull delivers what waited in the queue.
        app.harness.auth->signOut();
        QVERIFY(app.harness.signIn());
        QVERIFY(waitUntilIdle(*app.sync));
        QCOMPARE(app.all<TranscriptionRecord>().size(), size_t(1));
        QCOMPARE(app.all<ReplacementRule>().size(), size_t(1));
        QCOMPARE(app.all<DictionaryEntry>().size(), size_t(1));
        QCOMPARE(app.queue->count(), 0);
        QVERIFY(app.account(ana).rule(anaDelivered).has_value());
        QCOMPARE(cleared.count(), 0);
        const QString anaQueued = newClientId();
        app.queue->enqueue(OfflineSyncKind::rule, rulePayload(anaQueued, QStringLiteral("ana-queued")).toJsonObject());

        // Bob's account already holds a rule of its own.
        const QString bob = app.backend.state().userForEmail(kBobEmail, QStringLiteral("bob")).id;
        const QString bobRule = newClientId();
        SyncAccount bobAccount = app.account(bob);
        QVERIFY(bobAccount.pushRule(rulePayload(bobRule, QStringLiteral("bob")).toJsonObject(), 1).has_value());
        app.storeAccount(bobAccount, bob);

        app.harness.auth->signOut();
        QCOMPARE(app.owner(), ana);
        app.harness.browserEmail = kBobEmail;
        const int pullsBefore = app.pulls();
        QVERIFY(app.harness.signIn());
        QCOMPARE(app.userId(), bob);
        QCOMPARE(cleared.count(), 1);
        QTRY_VERIFY(app.pulls() > pullsBefore && !app.sync->isSyncing());

        // Ana's data is gone and only Bob's arrived...
        QCOMPARE(app.all<TranscriptionRecord>().size(), size_t(0));
        QCOMPARE(app.all<DictionaryEntry>().size(), size_t(0));
        const auto rules = app.all<ReplacementRule>();
        QCOMPARE(rules.size(), size_t(1));
        QCOMPARE(rules.front().idString(), bobRule);
        QCOMPARE(app.queue->count(), 0);
        QCOMPARE(app.owner(), bob);
        // ...and nothing of Ana's reached Bob's account: not her history
        // (the initial push ran on the emptied store), not her queued edit.
        const SyncAccount bobAfter = app.account(bob);
        QVERIFY(!bobAfter.rule(anaRule).has_value());
        QVERIFY(!bobAfter.rule(anaQueued).has_value());
        QCOMPARE(bobAfter.liveTranscriptionCount(), 0);
    }

    void aPullOfThePreviousAccountStillRunningDoesNotSwallowTheNewOne()
    {
        App app;
        app.startLifecycle();
        QVERIFY(app.harness.signIn());
        const QString ana = app.userId();
        QVERIFY(waitUntilIdle(*app.sync));
        SyncAccount anaAccount = app.account(ana);
        const QString anaServerRule = newClientId();
        QVERIFY(anaAccount.pushRule(rulePayload(anaServerRule, QStringLiteral("ana")).toJsonObject(), 99)
                    .has_value());
        app.storeAccount(anaAccount, ana);

        const QString bob = app.backend.state().userForEmail(kBobEmail, QStringLiteral("bob")).id;
        const QString bobRule = newClientId();
        SyncAccount bobAccount = app.account(bob);
        QVERIFY(bobAccount.pushRule(rulePayload(bobRule, QStringLiteral("bob")).toJsonObject(), 1).has_value());
        app.storeAccount(bobAccount, bob);

        // Ana's activation pull hangs on a slow server while Bob signs in.
        app.backend.server.injectFailure(QStringLiteral("sync/pull"), {.times = 1, .status = 0, .delay = 3000ms});
        app.lifecycleClock = app.lifecycleClock.addSecs(600);
        app.lifecycle->handleApplicationStateChanged(Qt::ApplicationActive);
        QTRY_VERIFY(app.sync->isSyncing());
        app.harness.auth->signOut();
        app.harness.browserEmail = kBobEmail;
        QVERIFY(app.harness.signIn());
        QVERIFY(app.sync->isSyncing()); // Ana's pull is still waiting for its reply

        QTRY_VERIFY_WITH_TIMEOUT(!app.all<ReplacementRule>().empty() && !app.sync->isSyncing(), 10000);
        const auto rules = app.all<ReplacementRule>();
        QCOMPARE(rules.size(), size_t(1));
        QCOMPARE(rules.front().idString(), bobRule);
    }

    void aSessionRestoredForAnotherAccountIsClearedAtStart()
    {
        App app;
        QVERIFY(app.harness.signIn());
        app.addLocalData(QStringLiteral("someone"));
        app.queue->enqueue(OfflineSyncKind::rule, rulePayload(newClientId(), QStringLiteral("x")).toJsonObject());
        // The data belongs to an account that never signed out here (a crash).
        app.harness.settings.store->setString(SettingsKeys::lastAuthenticatedAccountId.key(),
                                              QStringLiteral("another-account"));

        app.startLifecycle();
        QCOMPARE(app.all<TranscriptionRecord>().size(), size_t(0));
        QCOMPARE(app.all<ReplacementRule>().size(), size_t(0));
        QCOMPARE(app.all<DictionaryEntry>().size(), size_t(0));
        QCOMPARE(app.queue->count(), 0);
        QCOMPARE(app.owner(), app.userId());
        QTRY_COMPARE(app.pulls(), 1);
    }

    void dataOfNoAccountIsAdoptedByTheFirstSignIn()
    {
        App app;
        app.startLifecycle();
        app.addLocalData(QStringLiteral("offline"));
        QVERIFY(app.owner().isEmpty());

        QVERIFY(app.harness.signIn());
        QVERIFY(waitUntilIdle(*app.sync));
        QCOMPARE(app.owner(), app.userId());
        QCOMPARE(app.all<ReplacementRule>().size(), size_t(1));
        // The initial push took it to the account.
        QCOMPARE(app.account(app.userId()).liveTranscriptionCount(), 1);
    }
};

QTEST_GUILESS_MAIN(TestAppLifecycle)
#include "tst_AppLifecycle.moc"

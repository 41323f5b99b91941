// The real SyncManager and BackendAPIClient against the stand-in backend on loopback.
#include "account/BackendAPIClient.h"
#include "account/InitialPushBodies.h"
#include "account/OfflineSyncQueue.h"
#include "account/SyncDefaults.h"
#include "account/SyncManager.h"
#include "account/SyncMerge.h"
#include "account/SyncRequests.h"
#include "backend-local/BackendServer.h"
#include "backend-local/SyncAccount.h"
#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "platform/SettingsKeys.h"
#include "platform/SqliteDatabase.h"
#include "support/GuardedObject.h"
#include "support/SyncTestSupport.h"
#include "support/TestSupport.h"
#include "transcription/DictionaryEntry.h"
#include "transcription/ReplacementRule.h"
#include "transcription/TranscriptionRecord.h"

#include "platform/StartTask.h"

#include <QCoroTask>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QProcess>
#include <QTimeZone>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <sqlite3.h>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>

using namespace std::chrono_literals;
using backendlocal::BackendServer;
using backendlocal::SyncAccount;

namespace {

double ms(const QDateTime &date) { return SyncTime::msFromDate(date); }

// QCoro::waitFor never returns from a task that throws.
QCoro::Task<bool> endsByAnException(QCoro::Task<> task)
{
    try {
        co_await std::move(task);
    } catch (const std::exception &) {
        co_return true;
    }
    co_return false;
}

// One device: its settings, store, queue and synchroniser, all on files of a
// folder so a restart can drop the process state and read them back.
struct Device
{
    QString folder;
    std::shared_ptr<TestAuthProvider> auth = std::make_shared<TestAuthProvider>();
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<AppModelContainer> container;
    std::shared_ptr<OfflineSyncQueue> queue;
    QNetworkAccessManager network;
    std::unique_ptr<SyncManager> sync;
    QUrl baseURL;

    Device(const QString &folder, const QUrl &baseURL, const QString &token)
        : folder(folder)
        , baseURL(baseURL)
    {
        auth->accessToken = token;
        start();
    }

    void start()
    {
        settings = std::make_unique<SettingsStore>(folder + QStringLiteral("/settings.ini"));
        container = std::make_unique<AppModelContainer>(folder + QStringLiteral("/TalvoroApp.store"));
        queue = std::make_shared<OfflineSyncQueue>(folder + QStringLiteral("/offline-queue.json"));
        sync = std::make_unique<SyncManager>(dependencies());
    }

    SyncManager::Dependencies dependencies()
    {
        SyncManager::Dependencies deps;
        deps.auth = auth;
        deps.client = std::make_shared<BackendAPIClient>(auth, &network, baseURL);
        deps.queue = queue;
        deps.defaults = settings.get();
        deps.container = container.get();
        deps.accountId = [] { return QStringLiteral("user-1"); };
        deps.timeZoneId = [] { return QStringLiteral("UTC"); };
        return deps;
    }

    // Drops everything held in memory and reads the files again.
    void restart()
    {
        sync.reset();
        queue.reset();
        container.reset();
        settings->synchronize();
        settings.reset();
        start();
    }

    ModelContext &context() { return container->mainContext(); }
    void pull() { QCoro::waitFor(sync->pull(context())); }

    template<class T>
    std::vector<T> all()
    {
        return container->makeContext()->fetch<T>().value();
    }
};

} // namespace

class TestSyncIntegration : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<BackendServer> m_server;
    QString m_userId;
    QString m_token;
    int m_deviceCount = 0;

    // This test program on a device folder: "delete" removes every rule, term
    // and transcription and pushes the deletions, "drain" replays the queue.
    void startSyncChild(QProcess &child, const QString &mode, const QString &folder, std::optional<QUrl> url = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TALVORO_SYNC_CHILD"), mode);
        env.insert(QStringLiteral("TALVORO_SYNC_FOLDER"), folder);
        env.insert(QStringLiteral("TALVORO_SYNC_URL"), url.value_or(m_server->baseURL()).toString());
        env.insert(QStringLiteral("TALVORO_SYNC_TOKEN"), m_token);
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath());
        QVERIFY(child.waitForStarted());
    }

    struct SeededRows
    {
        ReplacementRule rule;
        DictionaryEntry entry;
        TranscriptionRecord record;
    };

    // A rule, a term and a dictation saved on the device and pulled onto the
    // account; nothing when the store refused them.
    std::optional<SeededRows> seedOnAccount(Device &device)
    {
        SeededRows rows{ReplacementRule(QStringLiteral("a"), QStringLiteral("b")),
                        DictionaryEntry(QStringLiteral("x"), QStringLiteral("pt"), QStringLiteral("manual")),
                        TranscriptionRecord(QStringLiteral("texto"), 1, 1.0, QStringLiteral("pt"))};
        device.context().insert(rows.rule);
        device.context().insert(rows.entry);
        device.context().insert(rows.record);
        if (!device.context().save())
            return std::nullopt;
        device.pull();
        return rows;
    }

    std::unique_ptr<Device> newDevice(std::optional<QUrl> baseURL = {})
    {
        const QString folder = m_dir.filePath(QStringLiteral("device-%1").arg(++m_deviceCount));
        QDir().mkpath(folder);
        return std::make_unique<Device>(folder, baseURL.value_or(m_server->baseURL()), m_token);
    }

    SyncAccount account() { return SyncAccount(m_server->state().user(m_userId)->sync); }
    void storeAccount(const SyncAccount &a) { m_server->state().user(m_userId)->sync = a.toJson(); }

private Q_SLOTS:
    void init()
    {
        m_server = std::make_unique<BackendServer>();
        QVERIFY(m_server->listen(0) != 0);
        m_userId = m_server->state().userForEmail(QStringLiteral("ana@example.com"), QStringLiteral("Ana")).id;
        m_token = m_server->state().issueTokens(m_userId, m_server->baseURL()).value("accessToken").toString();
        QVERIFY(!m_token.isEmpty());
    }

    void cleanup() { m_server.reset(); }

    void pullMergesRowsAndWritesSettingsAndStatistics()
    {
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const qint64 nowMs = now.toMSecsSinceEpoch();
        const QString rid = newClientId();
        const QString eid = newClientId();
        const QString tid = newClientId();
        SyncAccount a = account();
        QVERIFY(a.pushRule(SyncRulePayload{rid, "vc", "você", true, 3, ms(now) - 5000, double(nowMs - 1000) - 0.4, false}
                               .toJsonObject(), 1).has_value());
        QVERIFY(a.pushDictionaryEntry(SyncDictionaryEntryPayload{eid, "Talvoro", "pt", "manual", 1, ms(now), ms(now),
                                                                 ms(now), false}.toJsonObject(), 2).has_value());
        QVERIFY(a.pushTranscription(SyncTranscriptionPayload{tid, "Olá mundo", ms(now) - 60000, 2, 3.5, "pt",
                                                             ms(now) - 60000, false}.toJsonObject(), 3).has_value());
        QVERIFY(a.pushSettings({{"accentColor", "green"}, {"updatedAt", ms(now)}}, 4).has_value());
        storeAccount(a);

        auto device = newDevice();
        QSignalSpy syncing(device->sync.get(), &SyncManager::isSyncingChanged);
        device->pull();
        QCOMPARE(syncing.count(), 2);
        QVERIFY(!device->sync->isSyncing());
        QVERIFY(device->sync->lastSyncDate().has_value());

        const auto rules = device->all<ReplacementRule>();
        QCOMPARE(rules.size(), size_t(1));
        QCOMPARE(rules[0].idString(), rid);
        QCOMPARE(rules[0].replacementText, QString("você"));
        // The fraction of a millisecond is kept, exactly (QCOMPARE of doubles this
        // near 1.7e12 would tolerate about 2 ms).
        QVERIFY(rules[0].updatedAt.millisecondsSince1970() == double(nowMs - 1000) - 0.4);
        QCOMPARE(rules[0].createdAt.toMSecsSinceEpoch(), nowMs - 5000);
        QCOMPARE(device->all<DictionaryEntry>().size(), size_t(1));
        const auto transcriptions = device->all<TranscriptionRecord>();
        QCOMPARE(transcriptions.size(), size_t(1));
        QCOMPARE(transcriptions[0].text, QString("Olá mundo"));

        auto &d = *device->settings;
        QCOMPARE(d.stringValue("keyboardAccentColor"), QString("green"));
        QCOMPARE(d.int64Value("syncWeekDictations", -1), 1);
        QCOMPARE(d.doubleValue("syncTotalDurationSeconds", -1), 3.5);
        QCOMPARE(decodeWeeklyChart(d.dataValue("syncWeeklyChart"))->last().dictations, 1);

        // The next pull asks only for what changed since: a deletion made
        // elsewhere.
        QVERIFY(device->settings->int64Value("syncPullCursor") > 0);
        a = account();
        QVERIFY(a.deleteTranscription({{"clientId", tid}, {"updatedAt", ms(now)}}, 10).value());
        storeAccount(a);
        device->pull();
        QCOMPARE(device->all<TranscriptionRecord>().size(), size_t(0));
        QCOMPARE(device->settings->int64Value("syncTotalDictations", -1), 0);
    }

    void initialPushSendsTheWholeHistoryUntilItSucceeds()
    {
        auto device = newDevice();
        TranscriptionRecord record(QStringLiteral("primeira"), 1, 1.0, QStringLiteral("pt"));
        ReplacementRule rule(QStringLiteral("a"), QStringLiteral("b"));
        DictionaryEntry entry(QStringLiteral("Kubernetes"), QStringLiteral("en"), QStringLiteral("manual"));
        device->context().insert(record);
        device->context().insert(rule);
        device->context().insert(entry);
        QVERIFY(device->context().save().has_value());
        device->settings->setString("keyboardAccentColor", "pink");

        // A failed push is not taken as done: the next pull sends the history again.
        m_server->injectFailure("sync/push", {.times = 1, .status = 500});
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Initial push failed"));
        device->pull();
        QVERIFY(!account().transcription(record.idString()).has_value());
        device->pull();
        QVERIFY(account().transcription(record.idString()).has_value());
        QVERIFY(account().rule(rule.idString()).has_value());
        QVERIFY(account().dictionaryEntry(entry.idString()).has_value());
        QCOMPARE(account().settings()->value("accentColor").toString(), QString("pink"));
        const int pushes = m_server->requestCount("sync/push");
        device->pull();
        QCOMPARE(m_server->requestCount("sync/push"), pushes);

        // A second device does not overwrite the account's settings with its defaults.
        auto other = newDevice();
        other->pull();
        QCOMPARE(account().settings()->value("accentColor").toString(), QString("pink"));
        QCOMPARE(other->settings->stringValue("keyboardAccentColor"), QString("pink"));
        QCOMPARE(other->all<TranscriptionRecord>().size(), size_t(1));
    }

    // The history goes in requests of bounded size, each one the stand-in
    // takes, read from the store file; every row arrives once, unchanged.
    void initialPushIsSplitIntoRequestsTheBackendAccepts()
    {
        auto device = newDevice();
        std::vector<TranscriptionRecord> records;
        for (int i = 0; i < 60; ++i) {
            records.emplace_back(QStringLiteral("ditado número %1 \"aspas\"\n").arg(i), i, 1.5 * i, QStringLiteral("pt"));
            device->context().insert(records.back());
        }
        QVERIFY(device->context().save().has_value());

        SyncPushRequest small;
        small.rules = {SyncMerge::payloadFromRule(ReplacementRule(QStringLiteral("a"), QStringLiteral("b")), false)};
        InitialPushBodies bodies(device->container->filePath(), small.membersWithoutTranscriptions(std::nullopt), 1500);
        QHash<QString, SyncTranscriptionPayload> received;
        int requests = 0;
        for (;;) {
            auto next = QCoro::waitFor(bodies.next());
            QVERIFY(next.has_value());
            if (!*next)
                break;
            QVERIFY((*next)->json.size() < 3000);
            const auto request = SyncPushRequest::fromJson(QJsonDocument::fromJson((*next)->json).object());
            QVERIFY(request.has_value());
            QCOMPARE(request->rules.size(), requests == 0 ? 1 : 0);
            for (const auto &row : request->transcriptions) {
                QVERIFY(!received.contains(row.clientId));
                received.insert(row.clientId, row);
            }
            QVERIFY(QCoro::waitFor(SyncRequests::post(device->sync->backendClient(), "sync/push", (*next)->json)));
            ++requests;
        }
        QVERIFY(requests > 5);
        QCOMPARE(received.size(), qsizetype(records.size()));
        for (const auto &record : records) {
            QCOMPARE(received.value(record.idString()), SyncMerge::payloadFromTranscription(record));
            QVERIFY(account().transcription(record.idString()).has_value());
        }
    }

    void failedPushesSurviveARestartAndDrainWhenTheServerIsBack()
    {
        auto device = newDevice();
        ReplacementRule rule(QStringLiteral("a"), QStringLiteral("b"));
        const ReplacementRule refused(QStringLiteral("c"), QStringLiteral("d"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Push rule failed: "));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Push rule failed: "));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Push settings failed: "));
        // Refused as malformed (400) would be refused again: not queued.
        m_server->injectFailure("sync/rules", {.times = 1, .status = 400});
        QCoro::waitFor(device->sync->pushRuleModel(refused, false));
        QCOMPARE(device->queue->count(), 0);
        m_server->injectFailure("sync/rules", {.times = 1, .status = 503});
        QCoro::waitFor(device->sync->pushRuleModel(rule, false));
        m_server->injectFailure("sync/settings", {.times = 1, .status = 500});
        QCoro::waitFor(device->sync->pushSettings());
        QCOMPARE(device->queue->count(), 2);

        // Still failing: the retry is counted and put off.
        m_server->injectFailure("sync/rules", {.times = 1, .status = 502});
        QCoro::waitFor(drainOfflineSyncQueue(device->sync->backendClient(), device->sync->authProvider(),
                                             device->sync->offlineQueue()));
        QCOMPARE(device->queue->count(), 1);
        const OfflineSyncItem waiting = device->queue->items()[0];
        QCOMPARE(waiting.kind, OfflineSyncKind::rule);
        QCOMPARE(waiting.retryCount, 1);
        QVERIFY(waiting.nextRetryAt > QDateTime::currentDateTimeUtc().addSecs(20));
        QVERIFY(account().settings().has_value());

        // Not due yet: nothing is sent.
        const int before = m_server->requestCount("sync/rules");
        QCoro::waitFor(device->sync->drainOfflineQueue());
        QCOMPARE(m_server->requestCount("sync/rules"), before);

        OfflineSyncItem due = waiting;
        due.nextRetryAt = QDateTime::currentDateTimeUtc().addSecs(-1);
        device->queue->update(due);
        device->restart();
        QCoro::waitFor(device->sync->drainOfflineQueue());
        QCOMPARE(device->queue->count(), 0);
        QVERIFY(account().rule(rule.idString()).has_value());

        // A change that failed also reaches the account after the next
        // successful pull, or with the next delivered push.
        device->pull();
        const auto failSettingsPush = [&](const char *accent) {
            device->settings->setString("keyboardAccentColor", accent);
            m_server->injectFailure("sync/settings", {.times = 1, .status = 503});
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Push settings failed: "));
            QCoro::waitFor(device->sync->pushSettings());
            QCOMPARE(device->queue->count(), 1);
        };
        failSettingsPush("green");
        device->pull();
        QCOMPARE(device->queue->count(), 0);
        QCOMPARE(account().settings()->value("accentColor").toString(), QString("green"));

        failSettingsPush("purple");
        QCoro::waitFor(device->sync->pushRuleModel(ReplacementRule(QStringLiteral("pq"), QStringLiteral("porque")), false));
        QCOMPARE(device->queue->count(), 0);
        QCOMPARE(account().settings()->value("accentColor").toString(), QString("purple"));
    }

    // Only the reply an endpoint documents counts as delivered: a portal's page,
    // a redirect or a JSON object of another shape keeps the push for a retry.
    // A drain keeps what was not delivered and drops what never will be.
    void onlyTheDocumentedReplyCountsAsDelivered()
    {
        auto device = newDevice();
        const QList<BackendServer::Failure> impostors{
            {.times = 1, .status = 200, .body = "<html><body>Sign in to the Wi-Fi</body></html>",
             .contentType = "text/html"},
            {.times = 1, .status = 302, .body = "", .contentType = "text/html"},
            {.times = 1, .status = 200, .body = "{}"},
            {.times = 1, .status = 201, .body = R"({"applied":true})"},
        };
        for (const auto &impostor : impostors) {
            m_server->injectFailure("sync/settings", impostor);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Push settings failed: "));
            QCoro::waitFor(device->sync->pushSettings());
            QCOMPARE(device->queue->count(), 1);

            OfflineSyncItem due = device->queue->items()[0];
            due.nextRetryAt = {};
            device->queue->update(due);
            m_server->injectFailure("sync/settings", impostor);
            QCoro::waitFor(device->sync->drainOfflineQueue());
            QCOMPARE(device->queue->count(), 1);
            QCOMPARE(device->queue->items()[0].retryCount, due.retryCount + 1);
            QVERIFY(!account().settings().has_value());
            device->queue->clear();
        }

        // A refused token keeps the items untouched; an item the backend
        // refuses as malformed is dropped.
        const QString tid = newClientId();
        device->queue->enqueue(OfflineSyncKind::deleteTranscription,
                               {{"clientId", tid}, {"isDeleted", true}, {"updatedAt", 5.0}});
        device->queue->enqueue(OfflineSyncKind::rule, QJsonObject{{"clientId", tid}, {"broken", true}});

        device->auth->accessToken = QStringLiteral("revoked");
        QCoro::waitFor(device->sync->drainOfflineQueue());
        QCOMPARE(device->auth->forceRefreshCalls, 1);
        QCOMPARE(device->queue->count(), 2);
        QCOMPARE(device->queue->items()[0].retryCount, 0);

        device->auth->accessToken = m_token;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Discarding queued rule push"));
        QCoro::waitFor(device->sync->drainOfflineQueue());
        QCOMPARE(device->queue->count(), 0);
        QVERIFY(account().transcription(tid)->value("isDeleted").toBool());
    }

    // Every answer a push can meet: what would pass keeps the push queued and
    // the next drain delivers it; a final refusal drops it, logged.
    void everyAnswerAPushCanMeet_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("kept");
        const QByteArray injected; // the stand-in's own error body
        QTest::newRow("dropped connection") << int(BackendServer::Failure::kLostReply) << injected << true;
        for (const int status : {408, 409, 425, 429, 500, 502, 503, 504, 599})
            QTest::addRow("%d", status) << status << injected << true;
        QTest::newRow("redirect not followed") << 307 << QByteArray("") << true;
        QTest::newRow("200 of another shape") << 200 << QByteArray(R"({"ok":true})") << true;
        QTest::newRow("processing code on a 400") << 400 << QByteArray(R"({"error":"processing_in_progress"})") << true;
        for (const int status : {400, 403, 404, 405, 410, 413, 415, 422})
            QTest::addRow("%d", status) << status << injected << false;
    }
    void everyAnswerAPushCanMeet()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, kept);
        auto device = newDevice();
        const ReplacementRule rule(QStringLiteral("vc"), QStringLiteral("você"));
        // Qt sends a request again once when a reused connection drops; a
        // lost reply also means the account has taken the push already.
        const bool lost = status == BackendServer::Failure::kLostReply;
        BackendServer::Failure failure{.times = lost ? 2 : 1, .status = status};
        if (!body.isNull())
            failure.body = body;
        m_server->injectFailure("sync/rules", failure);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Push rule failed: "));
        QCoro::waitFor(device->sync->pushRuleModel(rule, false));
        m_server->clearFailures();
        QCOMPARE(device->queue->count(), kept ? 1 : 0);
        QCOMPARE(account().rule(rule.idString()).has_value(), lost);
        if (!kept)
            return;

        // Kept across a restart, and delivered by the next drain once due.
        device->restart();
        OfflineSyncItem due = device->queue->items().value(0);
        QCOMPARE(due.kind, OfflineSyncKind::rule);
        due.nextRetryAt = {};
        device->queue->update(due);
        QCoro::waitFor(device->sync->drainOfflineQueue());
        QCOMPARE(device->queue->count(), 0);
        QVERIFY(account().rule(rule.idString()).has_value());
    }

    void pullsShareOneRequestAndSkipWhenFreshOrSignedOut()
    {
        auto device = newDevice();
        device->pull(); // initial push and first pull out of the way
        m_server->resetRequestCounts();
        m_server->injectFailure("sync/pull", {.times = 1, .status = 0, .delay = 200ms});
        auto first = device->sync->pull(device->context());
        QVERIFY(device->sync->isSyncing());
        auto fresh = device->container->makeContext();
        auto second = device->sync->pull(*fresh);
        auto third = device->sync->pullIfStale(0);
        QCoro::waitFor(std::move(second));
        QVERIFY(!device->sync->isSyncing());
        QCoro::waitFor(std::move(first));
        QCoro::waitFor(std::move(third));
        QCOMPARE(m_server->requestCount("sync/pull"), 1);

        // Fresh enough: no request at all.
        QCoro::waitFor(device->sync->pullIfStale(30));
        QCOMPARE(m_server->requestCount("sync/pull"), 1);

        // Signed out nothing is sent, and no push is queued: it could never be
        // delivered under the account that signs in next.
        const auto lastSync = device->sync->lastSyncDate();
        device->auth->authenticated = false;
        QTest::ignoreMessage(QtInfoMsg, "Not authenticated, skipping pull");
        device->pull();
        QCOMPARE(m_server->requestCount("sync/pull"), 1);
        QCOMPARE(device->sync->lastSyncDate(), lastSync);

        device->settings->setString("keyboardAccentColor", "green");
        QCoro::waitFor(device->sync->pushSettings());
        QCoro::waitFor(device->sync->pushRuleModel(ReplacementRule(QStringLiteral("a"), QStringLiteral("b")), false));
        QCoro::waitFor(device->sync->deleteTranscription(QUuid::createUuid().toString(QUuid::WithoutBraces)));
        QCOMPARE(device->queue->count(), 0);
        QCOMPARE(m_server->requestCount("sync/settings") + m_server->requestCount("sync/rules"), 0);
    }

    void sessionChangeDropsAStalePullResult()
    {
        auto device = newDevice();
        device->pull();
        const QString rid = newClientId();
        SyncAccount a = account();
        a.pushRule(SyncRulePayload{rid, "a", "b", true, 0, 1, 2, false}.toJsonObject(), 1);
        a.pushSettings({{"accentColor", "orange"}, {"updatedAt", ms(QDateTime::currentDateTimeUtc())}}, 2);
        storeAccount(a);
        const auto lastSync = device->sync->lastSyncDate();

        m_server->injectFailure("sync/pull", {.times = 1, .status = 0, .delay = 200ms});
        auto pull = device->sync->pull(device->context());
        QTimer::singleShot(50ms, [&] { device->auth->generation += 1; });
        QCoro::waitFor(std::move(pull));
        QCOMPARE(device->all<ReplacementRule>().size(), size_t(0));
        QVERIFY(device->settings->stringValue("keyboardAccentColor") != QString("orange"));
        QCOMPARE(device->sync->lastSyncDate(), lastSync);

        // A settings push to the previous account is still on its way when the
        // new account's first pull answers: it does not hold the pulled block back.
        m_server->injectFailure("sync/settings", {.times = 1, .status = 0, .delay = 1500ms});
        auto push = device->sync->pushSettings();
        device->sync->resetAccountScopedState();
        device->auth->generation += 1;
        device->pull();
        QCOMPARE(device->all<ReplacementRule>().size(), size_t(1));
        QCOMPARE(device->settings->stringValue("keyboardAccentColor"), QString("orange"));
        QCoro::waitFor(std::move(push));
    }

    void pulledSettingsNewerThanAWaitingLocalBlockAreApplied()
    {
        auto device = newDevice();
        device->pull(); // initial push out of the way
        const QDateTime now = QDateTime::currentDateTimeUtc();

        // Chosen here while offline: the block waits in the queue...
        device->settings->setString("keyboardAccentColor", "pink");
        device->queue->enqueue(OfflineSyncKind::settings,
                               SyncDefaults::currentSettingsBlock(*device->settings, now.addSecs(-60)).toJsonObject());
        // ...and later on another device.
        SyncAccount a = account();
        QVERIFY(a.pushSettings({{"accentColor", "green"}, {"updatedAt", ms(now)}}, 1).value());
        storeAccount(a);

        // The newer choice wins here too, and the older block, replayed, is refused.
        device->pull();
        QCOMPARE(device->settings->stringValue("keyboardAccentColor"), QString("green"));
        QCoro::waitFor(device->sync->drainOfflineQueue());
        QCOMPARE(device->queue->count(), 0);
        QCOMPARE(account().settings()->value("accentColor").toString(), QString("green"));

        // A waiting block newer than the account's stands until it is delivered.
        device->settings->setString("keyboardAccentColor", "orange");
        device->queue->enqueue(OfflineSyncKind::settings,
                               SyncDefaults::currentSettingsBlock(*device->settings, now.addSecs(60)).toJsonObject());
        a = account();
        QVERIFY(a.pushSettings({{"accentColor", "yellow"}, {"updatedAt", ms(now) + 1000}}, 2).value());
        storeAccount(a);
        device->pull();
        QCOMPARE(device->settings->stringValue("keyboardAccentColor"), QString("orange"));
        QCoro::waitFor(device->sync->drainOfflineQueue());
        QCOMPARE(account().settings()->value("accentColor").toString(), QString("orange"));
    }

    void queuedDeletionIsNotUndoneByPull()
    {
        auto device = newDevice();
        const auto seeded = seedOnAccount(*device);
        QVERIFY(seeded);
        const auto &[rule, entry, record] = *seeded;

        // Deleted while the server is unreachable: the deletions wait in the queue.
        m_server->injectFailure("sync/rules", {.times = 1, .status = 503});
        m_server->injectFailure("sync/dictionary-entries", {.times = 1, .status = 503});
        m_server->injectFailure("sync/transcriptions", {.times = 1, .status = 503});
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Push rule failed"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Push dictionary entry failed"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Delete transcription failed"));
        const auto removedRule = device->context().remove<ReplacementRule>(rule.id);
        const auto removedEntry = device->context().remove<DictionaryEntry>(entry.id);
        device->context().remove<TranscriptionRecord>(record.id);
        QVERIFY(device->context().save().has_value());
        QCoro::waitFor(device->sync->pushRuleModel(*removedRule, true));
        QCoro::waitFor(device->sync->pushDictionaryEntryModel(*removedEntry, true));
        QCoro::waitFor(device->sync->deleteTranscription(record.idString()));
        QCOMPARE(device->queue->count(), 3);

        // A full pull (as after a restart with no cursor) still returns the three rows.
        device->restart();
        device->settings->remove("syncPullCursor");
        device->pull();
        QCOMPARE(device->all<ReplacementRule>().size(), size_t(0));
        QCOMPARE(device->all<DictionaryEntry>().size(), size_t(0));
        QCOMPARE(device->all<TranscriptionRecord>().size(), size_t(0));

        QCoro::waitFor(device->sync->drainOfflineQueue());
        QCOMPARE(device->queue->count(), 0);
        device->settings->remove("syncPullCursor");
        device->pull();
        QCOMPARE(device->all<ReplacementRule>().size(), size_t(0));
        QVERIFY(account().rule(rule.idString())->value("isDeleted").toBool());
        QVERIFY(account().transcription(record.idString())->value("isDeleted").toBool());
    }

    void aDrainStopsAtASessionChangeOrAnUnreachableServer()
    {
        const ReplacementRule first(QStringLiteral("a"), QStringLiteral("b"));
        const ReplacementRule second(QStringLiteral("c"), QStringLiteral("d"));
        const auto fill = [&](Device &device) {
            device.queue->enqueue(OfflineSyncKind::rule, SyncMerge::payloadFromRule(first, false).toJsonObject());
            device.queue->enqueue(OfflineSyncKind::rule, SyncMerge::payloadFromRule(second, false).toJsonObject());
        };

        // Signed out (or another account) while the first item is on its way:
        // nothing more of the previous account's items is sent.
        auto device = newDevice();
        fill(*device);
        m_server->injectFailure("sync/rules", {.times = 1, .status = 0, .delay = 300ms});
        auto drain = device->sync->drainOfflineQueue();
        QTimer::singleShot(50ms, [&] { device->auth->generation += 1; });
        QCoro::waitFor(std::move(drain));
        QCOMPARE(m_server->requestCount("sync/rules"), 1);
        QVERIFY(!account().rule(second.idString()).has_value());

        // Out of reach: a push is queued; in a drain the first failure ends
        // it and the rest stay due untouched.
        auto offline = newDevice(QUrl(QStringLiteral("http://127.0.0.1:1/")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Push rule failed: "));
        QCoro::waitFor(offline->sync->pushRuleModel(first, false));
        QCOMPARE(offline->queue->count(), 1);
        offline->queue->clear();
        fill(*offline);
        QCoro::waitFor(offline->sync->drainOfflineQueue());
        const auto items = offline->queue->items();
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0].retryCount, 1);
        QCOMPARE(items[1].retryCount, 0);
        QVERIFY(!items[1].nextRetryAt.isValid());
    }

    // A hostile pull reply: a cursor past qint64, negative totals and a
    // weekly chart of 300,000 weeks. The cursor and totals stay as they were
    // and the settings file keeps only the weeks the chart draws.
    void outOfRangePulledValuesAreRefused()
    {
        auto device = newDevice();
        device->pull();
        auto &d = *device->settings;
        const qint64 cursor = d.int64Value("syncPullCursor");
        QVERIFY(cursor > 0);
        d.setInt64("syncTotalDictations", 310);

        QJsonArray weeks;
        for (int i = 0; i < 300000; ++i)
            weeks.append(QJsonObject{{"weekStart", QDate(2000, 1, 3).addDays(7 * (i % 1000)).toString(Qt::ISODate)},
                                     {"dictations", i}, {"words", i}});
        const QJsonObject reply{
            {"cursor", 1e308},
            {"transcriptions", QJsonArray{}}, {"rules", QJsonArray{}}, {"dictionaryEntries", QJsonArray{}},
            {"statistics", QJsonObject{{"weekDictations", 1}, {"weekWords", 1}, {"currentStreak", 1},
                                       {"longestStreak", 1}, {"thisMonthDictations", 1}, {"last7DaysDictations", 1},
                                       {"weeklyChart", weeks}, {"weeklyUsed", 1}, {"weeklyLimit", 500},
                                       {"hourlyUsed", 1}, {"hourlyLimit", 60}}},
            {"user", QJsonObject{{"totalDictations", -310}, {"totalWords", -9120}, {"totalDurationSeconds", 1}}},
        };
        m_server->injectFailure("sync/pull", {.times = 1, .status = 200, .body = QJsonDocument(reply).toJson()});
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Pull reply had unreadable parts: .*cursor.*out of range"));
        device->pull();

        QCOMPARE(d.int64Value("syncPullCursor"), cursor);
        QCOMPARE(d.int64Value("syncTotalDictations"), 310);
        QCOMPARE(decodeWeeklyChart(d.dataValue("syncWeeklyChart"))->last().dictations, 299999);
        QVERIFY(d.synchronize());
        QVERIFY(QFileInfo(device->folder + QStringLiteral("/settings.ini")).size() < 16 * 1024);
    }

    void aPullWhoseSaveFailsLeavesTheCursor()
    {
        auto device = newDevice();
        device->pull();
        const qint64 cursor = device->settings->int64Value("syncPullCursor");
        const ReplacementRule rule(QStringLiteral("a"), QStringLiteral("b"));
        SyncAccount a = account();
        QVERIFY(a.pushRule(SyncMerge::payloadFromRule(rule, false).toJsonObject(),
                           QDateTime::currentMSecsSinceEpoch()).has_value());
        storeAccount(a);

        // Another connection holds the write lock: the merged rows cannot be saved.
        SqliteDatabase other;
        QCOMPARE(other.open(device->container->filePath()), 0);
        QCOMPARE(other.exec(QStringLiteral("PRAGMA busy_timeout = 0; BEGIN IMMEDIATE")), 0);
        sqlite3_busy_timeout(device->container->database().handle(), 10);
        auto context = device->container->makeContext();
        context->setAutosaveEnabled(false);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Pull failed"));
        QCoro::waitFor(device->sync->pull(*context));
        QCOMPARE(device->settings->int64Value("syncPullCursor"), cursor);
        context->rollback();
        other.exec(QStringLiteral("ROLLBACK"));

        // The next pull asks from the same point and brings the rule.
        device->pull();
        QCOMPARE(device->all<ReplacementRule>().size(), size_t(1));
    }

    // An account larger than one batch of rows: they arrive in several
    // commits, each in an event-loop turn of its own. A reply cut short
    // midway keeps the rows it brought and moves no cursor; the next pull
    // asks from the old point and completes.
    void aLargePullMergesInBatchesAndACutReplyKeepsTheCursor()
    {
        const int rows = 3500;
        SyncAccount a = account();
        for (int i = 0; i < rows; ++i) {
            const SyncTranscriptionPayload row{newClientId(), QStringLiteral("ditado %1").arg(i), 1.7e12 + i, 2, 1.0,
                                               QStringLiteral("pt"), 1.7e12 + i, false};
            QVERIFY(a.pushTranscription(row.toJsonObject(), 1 + i).has_value());
        }
        storeAccount(a);

        auto device = newDevice();
        int turns = 0;
        QTimer turnCounter;
        turnCounter.setInterval(0);
        connect(&turnCounter, &QTimer::timeout, this, [&turns] { ++turns; });
        turnCounter.start();
        QList<int> commitTurns;
        connect(device->container.get(), &AppModelContainer::didCommit, this,
                [&] { commitTurns.append(turns); });
        device->pull();
        turnCounter.stop();
        QCOMPARE(device->all<TranscriptionRecord>().size(), size_t(rows));
        QVERIFY(device->settings->int64Value("syncPullCursor") > 0);
        QVERIFY2(commitTurns.size() >= 3, qPrintable(QString::number(commitTurns.size())));
        for (qsizetype i = 1; i < commitTurns.size(); ++i)
            QVERIFY2(commitTurns[i] > commitTurns[i - 1], "two batches were merged in one turn");

        auto second = newDevice();
        const QByteArray whole = QJsonDocument(account().pull(0, QTimeZone::utc(), QDateTime::currentMSecsSinceEpoch()))
                                     .toJson(QJsonDocument::Compact);
        QVERIFY(whole.indexOf("\"transcriptions\"") < whole.size() / 2);
        m_server->injectFailure("sync/pull", {.times = 1, .status = 200, .body = whole.first(whole.size() * 3 / 4)});
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Unreadable pull reply: .*before it is complete"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Pull failed"));
        second->pull();
        const size_t partial = second->all<TranscriptionRecord>().size();
        QVERIFY2(partial > 0 && partial < size_t(rows), qPrintable(QString::number(partial)));
        QCOMPARE(second->settings->int64Value("syncPullCursor", -1), -1);
        QVERIFY(!second->sync->lastSyncDate().has_value());

        second->pull();
        QCOMPARE(second->all<TranscriptionRecord>().size(), size_t(rows));
        QCOMPARE(second->settings->int64Value("syncPullCursor"), device->settings->int64Value("syncPullCursor"));
    }

    // A deletion is written to the queue before it is sent: a process that
    // ends while the request waits for its reply (killed, or ended by
    // SIGTERM) delivers it from its next start. The held requests end in a
    // 503, so only the replay can bring the deletions to the account.
    void deletionsSurviveTheEndOfTheProcessMidRequest()
    {
        for (const int signal : {SIGKILL, SIGTERM}) {
            auto device = newDevice();
            const auto seeded = seedOnAccount(*device);
            QVERIFY(seeded);
            const auto &[rule, entry, record] = *seeded;
            const QString folder = device->folder;
            device.reset();

            m_server->resetRequestCounts();
            const QStringList paths{"sync/rules", "sync/dictionary-entries", "sync/transcriptions"};
            for (const QString &path : paths)
                m_server->injectFailure(path, {.times = 1, .status = 503, .delay = 120s});
            QProcess deleting;
            startSyncChild(deleting, "delete", folder);
            QTRY_VERIFY_WITH_TIMEOUT(std::ranges::all_of(paths, [&](const QString &path) {
                                         return m_server->requestCount(path) == 1;
                                     }),
                                     30'000);
            QCOMPARE(deleting.state(), QProcess::Running);
            ::kill(pid_t(deleting.processId()), signal);
            QTRY_COMPARE_WITH_TIMEOUT(deleting.state(), QProcess::NotRunning, 30'000);
            m_server->clearFailures();
            QVERIFY(!account().rule(rule.idString())->value("isDeleted").toBool());

            QProcess restarted;
            startSyncChild(restarted, "drain", folder);
            QTRY_COMPARE_WITH_TIMEOUT(restarted.state(), QProcess::NotRunning, 30'000);
            QCOMPARE(restarted.exitCode(), 0);
            QVERIFY(account().rule(rule.idString())->value("isDeleted").toBool());
            QVERIFY(account().dictionaryEntry(entry.idString())->value("isDeleted").toBool());
            QVERIFY(account().transcription(record.idString())->value("isDeleted").toBool());
            QCOMPARE(OfflineSyncQueue(folder + QStringLiteral("/offline-queue.json")).count(), 0);
        }
    }

    // A push waiting for its reply is in the queue, yet a drain meanwhile
    // does not send it again; it leaves the queue when answered.
    void aDrainDoesNotResendAPushOnItsWay()
    {
        auto device = newDevice();
        const ReplacementRule rule(QStringLiteral("a"), QStringLiteral("b"));
        m_server->injectFailure("sync/rules", {.times = 1, .status = 0, .delay = 500ms});
        auto push = device->sync->pushRuleModel(rule, true);
        QCOMPARE(device->queue->count(), 1);
        QCoro::waitFor(device->sync->drainOfflineQueue());
        QCoro::waitFor(std::move(push));
        QCOMPARE(m_server->requestCount("sync/rules"), 1);
        QCOMPARE(device->queue->count(), 0);
        QVERIFY(account().rule(rule.idString())->value("isDeleted").toBool());
    }

    // A pull cancelled, quit, or ended by an exception: cancelPull aborts the
    // request it waits for (the pull ends long before the held reply); a
    // manager destroyed mid-pull is not touched afterwards (its memory is
    // made unreadable); an exception leaves no pull "running" behind.
    void aPullEndsCleanlyWhenCancelledQuitOrThrown()
    {
        auto device = newDevice();
        device->pull(); // past the initial push
        QSignalSpy answered(m_server.get(), &BackendServer::requestHandled);

        m_server->injectFailure("sync/pull", {.times = 1, .status = 0, .delay = 30s});
        auto cancelled = device->sync->pull(device->context());
        QTRY_COMPARE(m_server->requestCount("sync/pull"), 2);
        device->sync->cancelPull();
        QCoro::waitFor(std::move(cancelled));
        QVERIFY(!device->sync->isSyncing());
        QCOMPARE(answered.count(), 0);

        {
            m_server->injectFailure("sync/pull", {.times = 1, .status = 0, .delay = 300ms});
            GuardedObject<SyncManager> quitting(device->dependencies());
            auto pull = quitting->pull(device->context());
            QTRY_COMPARE(m_server->requestCount("sync/pull"), 3);
            quitting.destroy();
            QCoro::waitFor(std::move(pull));
            QTRY_COMPARE(answered.count(), 1); // the reply came and was dropped
        }

        SyncManager::Dependencies throwing = device->dependencies();
        throwing.timeZoneId = []() -> QString { throw std::runtime_error("no time zone"); };
        SyncManager sync(throwing);
        QVERIFY(QCoro::waitFor(endsByAnException(sync.pull(device->context()))));
        QVERIFY(!sync.isSyncing());
        auto again = endsByAnException(sync.pull(device->context()));
        QVERIFY2(again.isReady(), "a new pull must start, not wait for the one that threw");
        QVERIFY(QCoro::waitFor(std::move(again)));
    }

    // Quitting mid-pull can delete the network manager, and with it the
    // reply the pull reads, before the pull's own timers fire.
    void aPullWhoseNetworkManagerGoesAwayEndsCancelled()
    {
        auto device = newDevice();
        device->pull(); // past the initial push
        auto network = std::make_unique<QNetworkAccessManager>();
        SyncManager::Dependencies deps = device->dependencies();
        deps.client = std::make_shared<BackendAPIClient>(device->auth, network.get(), device->baseURL);
        SyncManager sync(deps);
        m_server->injectFailure("sync/pull", {.times = 1, .status = 0, .delay = 30s});
        auto pull = sync.pull(device->context());
        QTRY_COMPARE(m_server->requestCount("sync/pull"), 2);
        network.reset();
        QCoro::waitFor(std::move(pull));
        QVERIFY(!sync.isSyncing());
        m_server->clearFailures();
    }

    void deletionDeliveredDuringAPullIsNotUndoneByItsReply()
    {
        auto device = newDevice();
        ReplacementRule rule(QStringLiteral("a"), QStringLiteral("b"));
        device->context().insert(rule);
        QVERIFY(device->context().save().has_value());
        device->pull(); // the rule is on the account
        const SyncAccount before = account();

        // A pull whose reply the account makes before it hears of the deletion
        // below, but which arrives after the deletion was answered. A full pull
        // stands for one that finds the rule changed elsewhere meanwhile.
        device->settings->remove("syncPullCursor");
        m_server->injectFailure("sync/pull", {.times = 1, .status = 0, .delay = 5000ms});
        auto pull = device->sync->pull(device->context());
        const auto removed = device->context().remove<ReplacementRule>(rule.id);
        QVERIFY(device->context().save().has_value());
        QCoro::waitFor(device->sync->pushRuleModel(*removed, true));
        QVERIFY2(device->sync->isSyncing(), "the pull must still be waiting for its reply");
        storeAccount(before); // the state the reply is made from
        QCoro::waitFor(std::move(pull));
        QCOMPARE(device->all<ReplacementRule>().size(), size_t(0));
    }

    // A rule or term the account holds at a time with a fraction of a
    // millisecond is pulled, read back from the store file and deleted: the
    // deletion carries exactly the account's time and is taken. A deletion the
    // account refuses (another device edited the row while the deletion
    // waited, and the pull passed the edit by) brings that edit back.
    void deletionsCarryTheAccountsExactTime_data()
    {
        QTest::addColumn<bool>("term");
        QTest::addColumn<double>("fraction");
        QTest::addColumn<bool>("editedElsewhere");
        QTest::newRow("rule at .2 ms") << false << 0.2 << false;
        QTest::newRow("rule at .7 ms") << false << 0.7 << false;
        QTest::newRow("rule at a whole ms") << false << 0.0 << false;
        QTest::newRow("term at .2 ms") << true << 0.2 << false;
        QTest::newRow("term at .999 ms") << true << 0.999 << false;
        QTest::newRow("rule edited elsewhere while its deletion waited") << false << 0.2 << true;
        QTest::newRow("term edited elsewhere while its deletion waited") << true << 0.2 << true;
    }

    void deletionsCarryTheAccountsExactTime()
    {
        QFETCH(bool, term);
        QFETCH(double, fraction);
        QFETCH(bool, editedElsewhere);
        const QString id = newClientId();
        const double at = 1741600000000.0 + fraction;
        const auto put = [&](double updatedAt, const QString &text) {
            SyncAccount a = account();
            const auto taken = term ? a.pushDictionaryEntry(SyncDictionaryEntryPayload{id, text, "pt", "manual", 1, at, at,
                                                                                       updatedAt, false}.toJsonObject(), 1)
                                    : a.pushRule(SyncRulePayload{id, text, "você", true, 1, at, updatedAt, false}
                                                     .toJsonObject(), 1);
            QVERIFY(taken.value_or(false));
            storeAccount(a);
        };
        const auto onAccount = [&] { return (term ? account().dictionaryEntry(id) : account().rule(id)).value(); };
        auto device = newDevice();
        const auto local = [&] {
            if (term) {
                const auto rows = device->all<DictionaryEntry>();
                return rows.empty() ? QString() : rows[0].term;
            }
            const auto rows = device->all<ReplacementRule>();
            return rows.empty() ? QString() : rows[0].originalText;
        };
        put(at, QStringLiteral("vc"));
        device->pull();
        device->restart();
        QCOMPARE(local(), QStringLiteral("vc"));

        if (editedElsewhere) {
            m_server->injectFailure(term ? "sync/dictionary-entries" : "sync/rules", {.times = 1, .status = 503});
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Push (rule|dictionary entry) failed"));
        }
        // The editors' confirmed deletion: removed, saved, and the snapshot pushed.
        const QUuid uuid = syncUuidFromClientId(id);
        if (term) {
            const auto removed = device->context().remove<DictionaryEntry>(uuid);
            QVERIFY(device->context().save().has_value());
            QCoro::waitFor(device->sync->pushDictionaryEntryModel(*removed, true));
        } else {
            const auto removed = device->context().remove<ReplacementRule>(uuid);
            QVERIFY(device->context().save().has_value());
            QCoro::waitFor(device->sync->pushRuleModel(*removed, true));
        }
        if (!editedElsewhere) {
            QVERIFY(onAccount().value("isDeleted").toBool());
            QVERIFY(onAccount().value("updatedAt").toDouble() == at); // exactly: QCOMPARE is fuzzy
        } else {
            // The pull passes the edit by (the deletion waits), then replays the
            // deletion, which the account refuses.
            put(at + 60000, QStringLiteral("vcs"));
            device->pull();
            QVERIFY(!onAccount().value("isDeleted").toBool());
            QCOMPARE(local(), QStringLiteral("vcs"));
        }
        QCOMPARE(device->queue->count(), 0);
    }

    // A server that streams rows for ever: the pull ends at its bound with an
    // error and the cursor unchanged. In a child process held to 512 MiB of
    // data and 256 MiB per file (past either the kernel ends it).
    void anEndlessPullReplyEndsAtItsBound()
    {
        QByteArray rows;
        const QByteArray row = SyncTranscriptionPayload{newClientId(), QString(400, QLatin1Char('a')), 1.7e12, 1, 1.0,
                                                        "pt", 1.7e12, false}.toJson() + ',';
        while (rows.size() < 256 * 1024)
            rows += row;
        QTcpServer endless;
        QVERIFY(endless.listen(QHostAddress::LocalHost));
        connect(&endless, &QTcpServer::newConnection, this, [&] {
            while (QTcpSocket *socket = endless.nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                const auto feed = [socket, &rows] {
                    while (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() < 4 * rows.size())
                        socket->write(rows);
                };
                connect(socket, &QTcpSocket::bytesWritten, socket, feed);
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\n\r\n"
                              "{\"cursor\":1,\"transcriptions\":[");
                feed();
            }
        });
        const QString folder = m_dir.filePath(QStringLiteral("endless"));
        QVERIFY(QDir().mkpath(folder));
        QProcess child;
        startSyncChild(child, QStringLiteral("endless"), folder,
                       QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(endless.serverPort())));
        QTRY_VERIFY_WITH_TIMEOUT(child.state() == QProcess::NotRunning, 120000);
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
    }

};

// Started by startSyncChild.
static int runSyncChild(const QString &mode)
{
    QLoggingCategory::setFilterRules(QStringLiteral("*.info=false"));
    Device device(qEnvironmentVariable("TALVORO_SYNC_FOLDER"), QUrl(qEnvironmentVariable("TALVORO_SYNC_URL")),
                  qEnvironmentVariable("TALVORO_SYNC_TOKEN"));
    if (mode == QLatin1String("endless")) {
        const rlimit file{256 << 20, 256 << 20};
#ifndef __SANITIZE_ADDRESS__ // its allocator reserves far more address space than it uses
        const rlimit data{512 << 20, 512 << 20};
        if (setrlimit(RLIMIT_DATA, &data) != 0)
            return 3;
#endif
        if (setrlimit(RLIMIT_FSIZE, &file) != 0)
            return 3;
        auto deps = device.dependencies();
        deps.maxPullReplyBytes = 64 << 20;
        device.sync = std::make_unique<SyncManager>(deps);
        device.settings->set(SettingsKeys::syncInitialPushAccount, QStringLiteral("account:user-1"));
        device.pull();
        const bool ended = !device.sync->isSyncing() && !device.sync->lastSyncDate();
        return ended && device.settings->int64Value("syncPullCursor", -1) == -1 ? 0 : 1;
    }
    if (mode == QLatin1String("drain")) {
        QCoro::waitFor(device.sync->drainOfflineQueue());
        return device.queue->count() == 0 ? 0 : 1;
    }
    // Removed and saved first, as the screens do; then pushed.
    ModelContext &context = device.context();
    QList<ReplacementRule> rules;
    QList<DictionaryEntry> entries;
    QStringList records;
    for (const auto &rule : device.all<ReplacementRule>())
        rules.append(context.remove<ReplacementRule>(rule.id).value());
    for (const auto &entry : device.all<DictionaryEntry>())
        entries.append(context.remove<DictionaryEntry>(entry.id).value());
    for (const auto &record : device.all<TranscriptionRecord>()) {
        context.remove<TranscriptionRecord>(record.id);
        records.append(record.idString());
    }
    if (!context.save())
        return 2;
    SyncManager *sync = device.sync.get();
    for (const auto &rule : rules)
        talvoro::startTask(sync, sync->pushRuleModel(rule, true), "rule deletion");
    for (const auto &entry : entries)
        talvoro::startTask(sync, sync->pushDictionaryEntryModel(entry, true), "term deletion");
    for (const QString &record : records)
        talvoro::startTask(sync, sync->deleteTranscription(record), "transcription deletion");
    return QCoreApplication::exec(); // until the test ends the process
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (const QString mode = qEnvironmentVariable("TALVORO_SYNC_CHILD"); !mode.isEmpty())
        return runSyncChild(mode);
    TestSyncIntegration test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_SyncIntegration.moc"

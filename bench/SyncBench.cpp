// Synchronisation rows of talvoro-bench, against talvoro-backend-local run as
// a separate process (its memory and work are not the client's):
//   offline queue: 1,000 edits failing offline, one per event-loop turn as in
//     use, then a drain of 1,000 replies: bytes written against the final
//     file sizes, and the longest event-loop turn throughout;
//   first sync after sign-in: the initial push of the whole store, over
//     several runs: the longest event-loop turn, and the peak memory added
//     against one body of the largest size posted alone in the same process;
//   first pull on a new machine: a device with an empty store signs in to
//     an account of N transcriptions and pulls it whole, over several runs:
//     whether every row arrives, the longest event-loop turn, and the peak
//     memory added against a pull of one batch (1,000 rows, one streamed
//     chunk) by a new device of the same process, measured the same way;
//   encoder: a push body of every row against one QJsonDocument of them.
#include "bench/SyncBench.h"

#include "account/AuthProviding.h"
#include "account/BackendAPIClient.h"
#include "account/InitialPushBodies.h"
#include "account/OfflineSyncQueue.h"
#include "account/PullStream.h"
#include "account/SyncManager.h"
#include "account/SyncMerge.h"
#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "platform/SettingsKeys.h"
#include "platform/SettingsStore.h"
#include "transcription/TranscriptionRecord.h"

#include <QCoroNetworkReply>
#include <QCoroTask>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrlQuery>
#include <QUuid>

#include <cstdio>
#include <ctime>
#include <malloc.h>

namespace {

class FixedTokenAuth final : public AuthProviding
{
public:
    explicit FixedTokenAuth(QString token) : m_token(std::move(token)) {}
    // Copies: QCoro moves from an lvalue given to co_return.
    QCoro::Task<std::expected<QString, BackendAPIError>> validAccessToken() override { co_return QString(m_token); }
    QCoro::Task<std::expected<QString, BackendAPIError>> forceRefresh() override { co_return QString(m_token); }
    bool isAuthenticated() const override { return true; }
    quint64 sessionGeneration() const override { return 1; }

private:
    QString m_token;
};

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The longest time the event loop went without turning, and the longest
// such turn in this thread's CPU time (what the code spent, without the
// time a loaded machine kept the thread waiting).
class StallMonitor
{
public:
    StallMonitor()
    {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const double cpu = threadCpuMs();
            m_longestMs = std::max(m_longestMs, m_sinceTurn.nsecsElapsed() / 1e6);
            m_longestCpuMs = std::max(m_longestCpuMs, cpu - m_cpuAtTurn);
            m_sinceTurn.restart();
            m_cpuAtTurn = cpu;
        });
        m_sinceTurn.start();
        m_cpuAtTurn = threadCpuMs();
        m_timer.start();
    }
    double longestMs() const { return m_longestMs; }
    double longestCpuMs() const { return m_longestCpuMs; }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceTurn;
    double m_cpuAtTurn = 0;
    double m_longestMs = 0;
    double m_longestCpuMs = 0;
};

qint64 statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Resets the peak resident size; false where the kernel does not allow it.
// Freed heap goes back to the system first, so that what a measurement
// allocates shows as new resident pages instead of reusing old ones.
bool resetPeakMemory()
{
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

template<typename T>
T wait(QCoro::Task<T> task)
{
    return QCoro::waitFor(std::move(task));
}

QCoro::Task<QByteArray> send(QNetworkAccessManager &network, QNetworkRequest request, QByteArray body = {})
{
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply *reply = body.isNull() ? network.get(request) : network.post(request, body);
    co_await reply;
    reply->deleteLater();
    if (!body.isNull() || reply->rawHeader("Location").isEmpty())
        co_return reply->readAll();
    co_return reply->rawHeader("Location");
}

// Signs a new account in through the stand-in's browser pages; its access token.
QString signIn(const QUrl &base)
{
    QNetworkAccessManager network;
    const QByteArray verifier = QUuid::createUuid().toByteArray(QUuid::Id128) + "bench-verifier-0123456789";
    const QByteArray challenge = QCryptographicHash::hash(verifier, QCryptographicHash::Sha256)
                                     .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    const QString callback = QStringLiteral("stovelantern-mac://auth/callback");
    QUrl authorize = base.resolved(QUrl(QStringLiteral("auth/authorize")));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("client_id"), QStringLiteral("talvoro-desktop"));
    query.addQueryItem(QStringLiteral("response_type"), QStringLiteral("code"));
    query.addQueryItem(QStringLiteral("redirect_uri"), callback);
    query.addQueryItem(QStringLiteral("code_challenge"), QString::fromLatin1(challenge));
    query.addQueryItem(QStringLiteral("code_challenge_method"), QStringLiteral("S256"));
    query.addQueryItem(QStringLiteral("state"), QStringLiteral("bench"));
    authorize.setQuery(query);
    const QString page = QString::fromUtf8(wait(send(network, QNetworkRequest(authorize))));
    const auto link = QRegularExpression(QStringLiteral("id=\"approve\" href=\"([^\"]+)\"")).match(page);
    if (!link.hasMatch())
        return {};
    const QUrl approve = authorize.resolved(QUrl(link.captured(1).replace(QStringLiteral("&amp;"), QStringLiteral("&"))));
    const QUrl returned = QUrl::fromEncoded(wait(send(network, QNetworkRequest(approve))));
    const QString code = QUrlQuery(returned).queryItemValue(QStringLiteral("code"));
    QNetworkRequest session(base.resolved(QUrl(QStringLiteral("auth/session"))));
    session.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));
    const QJsonObject body{{"code", code}, {"codeVerifier", QString::fromLatin1(verifier)}, {"redirectUri", callback}};
    const QByteArray reply = wait(send(network, session, QJsonDocument(body).toJson(QJsonDocument::Compact)));
    return QJsonDocument::fromJson(reply).object().value(QStringLiteral("accessToken")).toString();
}

void failNextPull(const QUrl &base, const QString &token)
{
    QNetworkAccessManager network;
    QNetworkRequest request(base.resolved(QUrl(QStringLiteral("_test/fail"))));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));
    request.setRawHeader("Authorization", "Bearer " + token.toUtf8());
    wait(send(network, request, R"({"path":"sync/pull","times":1,"status":503})"));
}

// Gives the stand-in account `count` more transcriptions at once.
void seedTranscriptions(const QUrl &base, const QString &token, int count)
{
    QNetworkAccessManager network;
    QNetworkRequest request(base.resolved(QUrl(QStringLiteral("_test/seed-transcriptions"))));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));
    request.setRawHeader("Authorization", "Bearer " + token.toUtf8());
    request.setTransferTimeout(600'000);
    wait(send(network, request, QJsonDocument(QJsonObject{{"count", count}}).toJson(QJsonDocument::Compact)));
}

double medianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

struct Row
{
    QString name;
    double value = 0;
    double baseline = 0;
    QString unit;
    QString baselineName;
    double ratioTarget = 0; // 0: none
    double absoluteTarget = 0; // on `value`; 0: none
    bool atLeast = false; // the ratio must reach the target instead of staying under it
};

struct PullRun
{
    double seconds = 0;
    double longestTurnMs = 0;
    double longestTurnCpuMs = 0;
    double addedBytes = -1; // -1: the kernel does not let the peak be reset
    qsizetype stored = 0;
    bool cursorStored = false;
};

// A new machine's first pull: an empty store, fresh settings, the account's
// whole history in one reply read as it arrives.
PullRun firstPullOnANewMachine(const std::shared_ptr<FixedTokenAuth> &auth,
                               const std::shared_ptr<BackendAPIClient> &client, const QString &folder)
{
    QDir().mkpath(folder);
    SettingsStore settings(folder + QStringLiteral("/settings.ini"));
    AppModelContainer container(folder + QStringLiteral("/TalvoroApp.store"));
    SyncManager::Dependencies deps;
    deps.auth = auth;
    deps.client = client;
    deps.queue = std::make_shared<OfflineSyncQueue>(folder + QStringLiteral("/offline-queue.json"));
    deps.defaults = &settings;
    deps.container = &container;
    deps.accountId = [] { return QStringLiteral("bench"); };
    SyncManager sync(deps);
    PullRun run;
    const bool peakReset = resetPeakMemory();
    const qint64 residentBefore = statusKiB("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    {
        StallMonitor stalls;
        wait(sync.pull(container.mainContext()));
        run.longestTurnMs = stalls.longestMs();
        run.longestTurnCpuMs = stalls.longestCpuMs();
    }
    run.seconds = timer.nsecsElapsed() / 1e9;
    if (peakReset)
        run.addedBytes = (statusKiB("VmHWM:") - residentBefore) * 1024.0;
    run.stored = container.makeContext()->fetchCount<TranscriptionRecord>().value_or(0);
    run.cursorStored = settings.value(SettingsKeys::syncPullCursor) > 0;
    return run;
}

} // namespace

bool runSyncBench(const QString &storePath, int rows, int pullRows, int syncRuns, bool check)
{
    QLoggingCategory::setFilterRules(QStringLiteral("com.torvenak.talvoro-mac.*.info=false\n"
                                                    "com.torvenak.talvoro-mac.*.warning=true"));
    QTemporaryDir dir;
    QProcess backend;
    backend.start(QStringLiteral(TALVORO_BACKEND_LOCAL), {QStringLiteral("--port"), QStringLiteral("0")});
    if (!backend.waitForStarted() || !backend.waitForReadyRead(10'000)) {
        std::fprintf(stderr, "talvoro-bench: cannot start %s\n", TALVORO_BACKEND_LOCAL);
        return false;
    }
    const QUrl base(QString::fromUtf8(backend.readLine().trimmed()));
    const QString token = signIn(base);
    if (token.isEmpty()) {
        std::fprintf(stderr, "talvoro-bench: cannot sign in to the stand-in backend\n");
        return false;
    }
    auto auth = std::make_shared<FixedTokenAuth>(token);
    QNetworkAccessManager network;
    auto client = std::make_shared<BackendAPIClient>(auth, &network, base);
    std::vector<Row> figures;
    // The network manager's first request looks up the system proxy on this
    // thread (tens of ms, once per process): done here, so that the rows
    // below measure the queue and the sync.
    wait(send(network, QNetworkRequest(base)));

    // Offline queue: one change per event-loop turn, as edits come in use.
    {
        const int items = std::min(rows, 1000);
        const QString queuePath = dir.filePath(QStringLiteral("offline-queue.json"));
        // The queue's file and any companion it keeps beside it.
        auto diskSize = [&] {
            qint64 size = 0;
            for (const QFileInfo &file : QDir(dir.path()).entryInfoList({QStringLiteral("offline-queue.json*")},
                                                                        QDir::Files))
                size += file.size();
            return size;
        };
        OfflineSyncQueue queue(queuePath);
        auto stalls = std::make_unique<StallMonitor>();
        QEventLoop loop;
        int enqueued = 0;
        QTimer turns;
        turns.setInterval(0);
        QObject::connect(&turns, &QTimer::timeout, [&] {
            if (enqueued == items) {
                turns.stop();
                loop.quit();
                return;
            }
            const int i = enqueued++;
            SyncRulePayload rule{syncClientId(QUuid::createUuid()), QStringLiteral("abreviação %1").arg(i),
                                 QStringLiteral("substituição por extenso número %1").arg(i), true, i,
                                 1.7e12 + i, 1.7e12 + i, false};
            queue.enqueue(OfflineSyncKind::rule, rule.toJsonObject());
        });
        turns.start();
        loop.exec();
        QCoreApplication::processEvents(); // the last turn's write
        const double enqueueStallMs = stalls->longestMs();
        const qint64 queuedSize = diskSize();
        stalls = std::make_unique<StallMonitor>();
        wait(drainOfflineSyncQueue(*client, *auth, queue));
        QCoreApplication::processEvents();
        const qint64 finalSize = diskSize();
        if (queue.count() != 0)
            std::fprintf(stderr, "talvoro-bench: %d queued items were not delivered\n", queue.count());
        figures.push_back({QStringLiteral("queue: bytes written, %1 turns + drain").arg(items),
                           double(queue.bytesWritten()), double(queuedSize + finalSize), QStringLiteral("bytes"),
                           QStringLiteral("final file sizes"), 3.0, 0});
        figures.push_back({QStringLiteral("queue: longest turn, enqueues"), enqueueStallMs, 16.0,
                           QStringLiteral("ms"), QStringLiteral("16 ms"), 1.0, 0});
        figures.push_back({QStringLiteral("queue: longest turn, drain"), stalls->longestMs(), 16.0,
                           QStringLiteral("ms"), QStringLiteral("16 ms"), 1.0, 0});
        figures.push_back({QStringLiteral("queue: same, in CPU time"), stalls->longestCpuMs(), 16.0,
                           QStringLiteral("ms"), QStringLiteral("16 ms"), 1.0, 0});
    }

    // First sync: the initial push of the whole store, each run as a new
    // account's first sync (fresh settings). The memory baseline is one
    // body of the largest size posted by the same process in the same state.
    {
        AppModelContainer container(storePath);
        std::vector<double> stallMs, addedBytes, bodyBytes, seconds;
        for (int run = 0; run < syncRuns; ++run) {
            SettingsStore settings(dir.filePath(QStringLiteral("settings-%1.ini").arg(run)));
            SyncManager::Dependencies deps;
            deps.auth = auth;
            deps.client = client;
            deps.queue = std::make_shared<OfflineSyncQueue>(dir.filePath(QStringLiteral("sync-queue-%1.json").arg(run)));
            deps.defaults = &settings;
            deps.container = &container;
            deps.accountId = [] { return QStringLiteral("bench"); };
            SyncManager sync(deps);
            std::unique_ptr<ModelContext> context = container.makeContext();

            // Baseline: the largest body in flight alone.
            if (resetPeakMemory()) {
                const qint64 before = statusKiB("VmRSS:");
                {
                    // A push of nothing padded to the body size.
                    QByteArray body = R"({"transcriptions":[],"rules":[],"dictionaryEntries":[],"pad":")";
                    body += QByteArray(InitialPushBodies::kBodyBytes - body.size() - 2, 'x');
                    body += "\"}";
                    QNetworkRequest request(base.resolved(QUrl(QStringLiteral("sync/push"))));
                    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));
                    request.setRawHeader("Authorization", "Bearer " + token.toUtf8());
                    wait(send(network, request, body));
                }
                bodyBytes.push_back((statusKiB("VmHWM:") - before) * 1024.0);
            }

            failNextPull(base, token); // only the push is measured here
            const bool peakReset = resetPeakMemory();
            const qint64 residentBefore = statusKiB("VmRSS:");
            QElapsedTimer timer;
            timer.start();
            StallMonitor stalls;
            wait(sync.pull(*context));
            seconds.push_back(timer.nsecsElapsed() / 1e9);
            if (peakReset)
                addedBytes.push_back((statusKiB("VmHWM:") - residentBefore) * 1024.0);
            stallMs.push_back(stalls.longestMs());
            if (settings.value(SettingsKeys::syncInitialPushAccount).isEmpty())
                std::fprintf(stderr, "talvoro-bench: the initial push failed\n");
        }
        figures.push_back({QStringLiteral("first sync: longest turn (%1 s, %2 runs)")
                               .arg(medianOf(seconds), 0, 'f', 1)
                               .arg(syncRuns),
                           medianOf(stallMs), 50.0, QStringLiteral("ms"), QStringLiteral("50 ms"), 1.0, 0});
        if (!addedBytes.empty() && !bodyBytes.empty()) {
            figures.push_back({QStringLiteral("first sync: peak memory added"), medianOf(addedBytes),
                               std::max(medianOf(bodyBytes), 1.0), QStringLiteral("bytes"),
                               QStringLiteral("one body in flight"), 2.0, 0});
        }
    }

    // First pull on a new machine, against a stand-in of its own (a new
    // account). The baseline is the same path at one batch of rows.
    {
        QProcess pullBackend;
        pullBackend.start(QStringLiteral(TALVORO_BACKEND_LOCAL), {QStringLiteral("--port"), QStringLiteral("0")});
        const bool started = pullBackend.waitForStarted() && pullBackend.waitForReadyRead(10'000);
        const QUrl pullBase(QString::fromUtf8(pullBackend.readLine().trimmed()));
        const QString pullToken = started ? signIn(pullBase) : QString();
        if (pullToken.isEmpty()) {
            std::fprintf(stderr, "talvoro-bench: cannot start a second stand-in backend for the pull\n");
            return false;
        }
        auto pullAuth = std::make_shared<FixedTokenAuth>(pullToken);
        auto pullClient = std::make_shared<BackendAPIClient>(pullAuth, &network, pullBase);
        pullRows = std::max(pullRows, int(3 * PullStream::kBatchRows));
        const int batchRows = int(PullStream::kBatchRows);
        std::vector<double> baselineBytes, addedBytes, stallMs, stallCpuMs, seconds;
        seedTranscriptions(pullBase, pullToken, batchRows);
        for (int run = 0; run < syncRuns; ++run) {
            const PullRun one = firstPullOnANewMachine(pullAuth, pullClient, dir.filePath(QStringLiteral("batch-%1").arg(run)));
            if (one.addedBytes >= 0)
                baselineBytes.push_back(one.addedBytes);
        }
        seedTranscriptions(pullBase, pullToken, pullRows - batchRows);
        qsizetype fewestStored = pullRows;
        for (int run = 0; run < syncRuns; ++run) {
            const PullRun whole = firstPullOnANewMachine(pullAuth, pullClient, dir.filePath(QStringLiteral("pull-%1").arg(run)));
            if (whole.addedBytes >= 0)
                addedBytes.push_back(whole.addedBytes);
            stallMs.push_back(whole.longestTurnMs);
            stallCpuMs.push_back(whole.longestTurnCpuMs);
            seconds.push_back(whole.seconds);
            fewestStored = std::min(fewestStored, whole.cursorStored ? whole.stored : 0);
        }
        pullBackend.terminate();
        pullBackend.waitForFinished(5000);
        figures.push_back({QStringLiteral("first pull: rows stored (%1 s, %2 runs)").arg(medianOf(seconds), 0, 'f', 1).arg(syncRuns),
                           double(fewestStored), double(pullRows), QStringLiteral("rows"),
                           QStringLiteral("rows on the account"), 1.0, 0, true});
        figures.push_back({QStringLiteral("first pull: longest turn"), medianOf(stallMs), 50.0, QStringLiteral("ms"),
                           QStringLiteral("50 ms"), 1.0, 0});
        figures.push_back({QStringLiteral("first pull: same, in CPU time"), medianOf(stallCpuMs), 50.0,
                           QStringLiteral("ms"), QStringLiteral("50 ms"), 1.0, 0});
        if (!addedBytes.empty() && !baselineBytes.empty()) {
            figures.push_back({QStringLiteral("first pull: peak memory added"), medianOf(addedBytes),
                               std::max(medianOf(baselineBytes), 1.0), QStringLiteral("bytes"),
                               QStringLiteral("a pull of one batch"), 2.0, 0});
        }
    }

    // Encoder.
    {
        AppModelContainer container(storePath);
        auto records = container.makeContext()->fetch<TranscriptionRecord>();
        SyncPushRequest request;
        for (const auto &record : records.value())
            request.transcriptions.append(SyncMerge::payloadFromTranscription(record));
        std::vector<double> ours, document;
        qsizetype sizes = 0;
        for (int run = 0; run < 3; ++run) {
            QElapsedTimer timer;
            timer.start();
            sizes += request.toJson().size();
            ours.push_back(timer.nsecsElapsed() / 1e6);
            timer.restart();
            QJsonArray array;
            for (const auto &row : request.transcriptions) {
                array.append(QJsonObject{{"clientId", row.clientId}, {"text", row.text}, {"createdAt", row.createdAt},
                                         {"wordCount", row.wordCount}, {"durationSeconds", row.durationSeconds},
                                         {"language", row.language}, {"updatedAt", row.updatedAt},
                                         {"isDeleted", row.isDeleted}});
            }
            const QJsonObject root{{"transcriptions", array}, {"rules", QJsonArray()},
                                   {"dictionaryEntries", QJsonArray()}};
            sizes += QJsonDocument(root).toJson(QJsonDocument::Compact).size();
            document.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::sort(ours.begin(), ours.end());
        std::sort(document.begin(), document.end());
        figures.push_back({QStringLiteral("sync encoder, %1 rows").arg(request.transcriptions.size()), ours[1],
                           document[1], QStringLiteral("ms"), QStringLiteral("one QJsonDocument"), 1.2, 0});
        Q_UNUSED(sizes)
    }

    backend.terminate();
    backend.waitForFinished(5000);

    std::printf("\n%-40s %14s %14s  %-18s %8s  %s\n", "sync figure", "measured", "baseline", "baseline", "ratio",
                "target");
    bool allMet = true;
    for (const Row &f : figures) {
        const double ratio = f.baseline > 0 ? f.value / f.baseline : 0;
        const bool met = f.atLeast ? ratio >= f.ratioTarget : ratio <= f.ratioTarget;
        allMet = allMet && met;
        std::printf("%-40s %14.1f %14.1f  %-18s %8.3f  %s %g %s (%s)\n", qPrintable(f.name), f.value, f.baseline,
                    qPrintable(f.baselineName), ratio, f.atLeast ? ">=" : "<=", f.ratioTarget, met ? "met" : "MISSED",
                    qPrintable(f.unit));
    }
    return !check || allMet;
}

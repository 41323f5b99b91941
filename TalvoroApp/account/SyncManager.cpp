#include "account/SyncManager.h"

#include "account/AppConfig.h"
#include "account/AuthManager.h"
#include "account/AuthProviding.h"
#include "account/BackendAPIClient.h"
#include "account/PullStream.h"
#include "account/SyncDefaults.h"
#include "account/SyncLogging.h"
#include "account/SyncMerge.h"
#include "account/SyncRequests.h"
#include "platform/AppModelContainer.h"
#include "platform/AwaitOwned.h"
#include "platform/ModelContext.h"
#include "platform/SettingsKeys.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaultsProviding.h"
#include "transcription/DictionaryEntry.h"
#include "transcription/ReplacementRule.h"
#include "transcription/TranscriptionRecord.h"

#include <QJsonDocument>
#include <QPointer>
#include <QScopeGuard>
#include <QTimeZone>

#include <algorithm>
#include <utility>

namespace {


QString deletionKey(OfflineSyncKind kind, const QString &clientId)
{
    return offlineSyncKindName(kind) + QLatin1Char(':') + clientId.toUpper();
}

QJsonObject objectOf(const QByteArray &json) { return QJsonDocument::fromJson(json).object(); }

// How the log names a record push: when skipped, and when it failed.
struct PushLabels
{
    const char *what;
    const char *failure;
};

PushLabels pushLabels(OfflineSyncKind kind)
{
    switch (kind) {
    case OfflineSyncKind::rule: return {"rule", "Push rule failed"};
    case OfflineSyncKind::dictionaryEntry: return {"dictionary entry", "Push dictionary entry failed"};
    case OfflineSyncKind::deleteTranscription: return {"transcription deletion", "Delete transcription failed"};
    case OfflineSyncKind::settings: break;
    }
    return {"settings", "Push settings failed"};
}

} // namespace

SyncManager::Dependencies SyncManager::defaultDependencies(AuthManager &auth, UserDefaultsProviding &defaults,
                                                           AppModelContainer &container)
{
    Dependencies deps;
    deps.auth = std::make_shared<DefaultAuthProvider>(auth);
    deps.client = std::make_shared<BackendAPIClient>(deps.auth, BackendAPIClient::sharedSession(),
                                                     AppConfig::backendBaseURL());
    deps.queue = std::make_shared<OfflineSyncQueue>();
    deps.defaults = &defaults;
    deps.container = &container;
    deps.accountId = [manager = QPointer<AuthManager>(&auth)] {
        return manager ? manager->userId().value_or(QString()) : QString();
    };
    return deps;
}

SyncManager::SyncManager(Dependencies dependencies, QObject *parent)
    : QObject(parent)
    , m_deps(std::move(dependencies))
{
    if (!m_deps.now)
        m_deps.now = [] { return QDateTime::currentDateTimeUtc(); };
    if (!m_deps.timeZoneId)
        m_deps.timeZoneId = [] { return QString::fromUtf8(QTimeZone::systemTimeZoneId()); };
    if (!m_deps.accountId)
        m_deps.accountId = [] { return QString(); };
}

SyncManager::~SyncManager() = default;

SyncManager &SyncManager::shared()
{
    return SharedInstance<SyncManager>::get();
}

QDateTime SyncManager::now() const
{
    return m_deps.now();
}

void SyncManager::setSyncing(bool syncing)
{
    if (m_isSyncing == syncing)
        return;
    m_isSyncing = syncing;
    Q_EMIT isSyncingChanged();
}

bool SyncManager::isStale(quint64 generation, quint64 epoch) const
{
    return m_deps.auth->sessionGeneration() != generation || m_pullEpoch != epoch;
}

bool SyncManager::isDeletionPending(OfflineSyncKind kind, const QString &clientId) const
{
    // A deletion on its way is in the queue from before it was sent.
    return m_deletionsSettledDuringPull.contains(deletionKey(kind, clientId))
        || m_deps.queue->hasPendingDeletion(kind, clientId);
}

std::optional<double> SyncManager::newestUndeliveredSettings() const
{
    std::optional<double> newest;
    for (double updatedAt : m_settingsPushesInFlight)
        newest = std::max(newest.value_or(updatedAt), updatedAt);
    if (const auto queued = m_deps.queue->pendingSettings()) {
        const double updatedAt = queued->payload.value(QLatin1String("updatedAt")).toDouble();
        newest = std::max(newest.value_or(updatedAt), updatedAt);
    }
    return newest;
}

// MARK: pull

namespace {

// Suspends until the running pull's end resumes the caller (m_pullJoiners).
struct JoinRunningPull
{
    std::shared_ptr<std::vector<std::coroutine_handle<>>> joiners;

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> joiner) { joiners->push_back(joiner); }
    void await_resume() const noexcept {}
};

} // namespace

QCoro::Task<> SyncManager::pull(ModelContext &context)
{
    if (m_pullRunning) {
        // Named: GCC 12 destroys a temporary awaiter of a co_await twice.
        JoinRunningPull join{m_pullJoiners};
        co_await join;
        co_return;
    }
    if (!m_deps.auth->isAuthenticated()) {
        qCInfo(lcSyncManager) << "Not authenticated, skipping pull";
        co_return;
    }
    m_pullRunning = true;
    // The previous one may still be emitting (a new pull started from the
    // end of a cancelled one): it goes at the next turn.
    if (m_pullCancellation)
        m_pullCancellation.release()->deleteLater();
    m_pullCancellation = std::make_unique<RequestCancellation>();
    setSyncing(true);
    // Held by this frame too: the guard below resumes them after the manager is gone.
    const auto joiners = std::make_shared<std::vector<std::coroutine_handle<>>>();
    m_pullJoiners = joiners;
    // However the pull ends (an exception included), the next one may start;
    // nothing of the manager is touched once it is gone.
    const auto ended = qScopeGuard([self = QPointer<SyncManager>(this), joiners = joiners.get()] {
        if (self) {
            self->m_pullRunning = false;
            self->m_deletionsSettledDuringPull.clear();
            self->setSyncing(false);
            Q_EMIT self->pullFinished();
        }
        // Taken first: a joiner may start the next pull, with joiners of its own.
        for (const std::coroutine_handle<> joiner : std::exchange(*joiners, {}))
            joiner.resume();
    });
    // GCC 12 destroys arguments of a coroutine call made inside co_await
    // twice; every such call here is made first and awaited after.
    auto run = runPull(QPointer<ModelContext>(&context), m_pullCancellation.get());
    co_await run;
}

QCoro::Task<> SyncManager::pullIfStale(double seconds)
{
    if (m_lastSyncDate && m_lastSyncDate->msecsTo(now()) <= qint64(seconds * 1000.0))
        co_return;
    if (!m_deps.container) {
        qCWarning(lcSyncManager) << "No model container, skipping pull";
        co_return;
    }
    std::unique_ptr<ModelContext> context = m_deps.container->makeContext();
    auto running = pull(*context);
    co_await running;
}

void SyncManager::cancelPull()
{
    ++m_pullEpoch;
    if (!m_pullRunning)
        return;
    qCInfo(lcSyncManager) << "Cancelling the running pull";
    // Its requests are of no use any more: they end now, as `cancelled`.
    if (m_pullCancellation)
        m_pullCancellation->cancel();
}

QCoro::Task<> SyncManager::runPull(QPointer<ModelContext> context, QPointer<RequestCancellation> cancellation)
{
    const quint64 generation = m_deps.auth->sessionGeneration();
    const quint64 epoch = m_pullEpoch;
    // Held here: the requests run on in the client when this manager goes away.
    const std::shared_ptr<BackendAPIClient> client = m_deps.client;
    // Stored with a prefix so that an unknown account id still differs from "never pushed".
    const QString account = QStringLiteral("account:") + m_deps.accountId();

    if (m_deps.defaults->value(SettingsKeys::syncInitialPushAccount) != account) {
        auto initialPush = talvoro::awaitOwned(this, runInitialPush(context, generation, epoch, cancellation));
        const auto pushed = co_await std::move(initialPush);
        if (!pushed)
            co_return;
        if (*pushed)
            m_deps.defaults->set(SettingsKeys::syncInitialPushAccount, account);
    }
    if (isStale(generation, epoch) || !context) {
        qCInfo(lcSyncManager) << "Session changed during pull; dropping its result";
        co_return;
    }

    const double since = double(m_deps.defaults->value(SettingsKeys::syncPullCursor));
    // Read as it arrives: each batch of rows is merged and saved in a turn of
    // its own; the rest applies once the whole reply is in. A reply that fails
    // midway leaves the cursor where it was: the next pull brings the merged
    // rows again, which changes nothing.
    PullStream stream(*client, since, m_deps.timeZoneId(), cancellation, {}, m_deps.maxPullReplyBytes);
    SyncMerge::Counts merged;
    const auto deletionPending = [this](OfflineSyncKind kind, const QString &clientId) {
        return isDeletionPending(kind, clientId);
    };
    for (;;) {
        auto reading = talvoro::awaitOwned(this, stream.next());
        const auto read = co_await std::move(reading);
        if (!read)
            co_return;
        if (isStale(generation, epoch)) {
            qCInfo(lcSyncManager) << "Session changed during pull; dropping its result";
            co_return;
        }
        const auto &batch = *read;
        if (!batch) {
            qCWarning(lcSyncManager, "Pull failed: %s", qUtf8Printable(batch.error().errorDescription()));
            co_return;
        }
        if (!*batch)
            break;
        if (!context) {
            qCWarning(lcSyncManager, "Pull failed: %s", "the model context went away");
            co_return;
        }
        // The transcriptions (nearly all of a first pull) are written on the
        // store's writer thread; rules and terms merge here, last writer wins.
        AppModelContainer *container = context->container();
        if (!container) {
            qCWarning(lcSyncManager, "Pull failed: %s", "the store went away");
            co_return;
        }
        auto writing = talvoro::awaitOwned(
            this, SyncMerge::applyTranscriptions(*container, (**batch).transcriptions, deletionPending));
        const auto wrote = co_await std::move(writing);
        if (!wrote)
            co_return;
        if (!*wrote) {
            qCWarning(lcSyncManager, "Pull failed: %s", qUtf8Printable(wrote->error().errorDescription()));
            co_return;
        }
        merged += **wrote;
        if (isStale(generation, epoch) || !context) {
            qCInfo(lcSyncManager) << "Session changed during pull; dropping its result";
            co_return;
        }
        SyncPullResponse others;
        others.rules = (**batch).rules;
        others.dictionaryEntries = (**batch).dictionaryEntries;
        const auto counts = SyncMerge::apply(*context, others, deletionPending);
        if (!counts) {
            qCWarning(lcSyncManager, "Pull failed: %s", qUtf8Printable(counts.error().errorDescription()));
            co_return;
        }
        merged += *counts;
    }
    const auto reply = stream.finish();
    if (!reply) {
        qCWarning(lcSyncManager, "Pull failed: %s", qUtf8Printable(reply.error().errorDescription()));
        co_return;
    }

    const SyncPullResponse &response = *reply;
    if (!response.problems.isEmpty())
        qCWarning(lcSyncManager, "Pull reply had unreadable parts: %s",
                  qUtf8Printable(response.problems.join(QStringLiteral("; "))));

    // A settings block of this device still on its way stands when it is at
    // least as new as the pulled one (the account will take it); an older one
    // will be refused there, so the pulled block applies.
    SyncDefaults::ApplyOptions options;
    if (const auto undelivered = newestUndeliveredSettings(); undelivered && response.settings)
        options.applySettings = response.settings->updatedAt > *undelivered;
    const QStringList problems = SyncDefaults::applyPull(response, *m_deps.defaults, options);
    if (!problems.isEmpty())
        qCWarning(lcSyncManager, "Pulled settings not applied: %s", qUtf8Printable(problems.join(QStringLiteral("; "))));

    if (response.cursor)
        m_deps.defaults->set(SettingsKeys::syncPullCursor, *response.cursor);
    m_lastSyncDate = now();
    Q_EMIT lastSyncDateChanged();
    qCInfo(lcSyncManager, "Pull merged: %d inserted, %d updated, %d deleted, %d kept local", merged.inserted,
           merged.updated, merged.deleted, merged.keptLocal);

    // The backend answered: pushes that failed while it could not are due now.
    auto drain = drainOfflineQueue();
    co_await drain;
}

// MARK: pushes

bool SyncManager::canPush(const char *what) const
{
    if (m_deps.auth->isAuthenticated())
        return true;
    // Nothing to queue either: a signed-out push could never be delivered
    // under the account that signs in next, and asking for a token here would
    // read the keychain on every settings change.
    qCInfo(lcSyncManager, "Not authenticated, skipping %s push", what);
    return false;
}

QCoro::Task<> SyncManager::pushSucceeded()
{
    // The backend answers again: deliver what waited for it.
    if (m_deps.queue->dueItems(now()).isEmpty() || m_deps.queue->isDraining())
        co_return;
    auto drain = drainOfflineQueue();
    co_await drain;
}

QCoro::Task<std::optional<std::expected<bool, BackendAPIError>>> SyncManager::sendWrittenAhead(OfflineSyncKind kind,
                                                                                                QByteArray body)
{
    // Held here: both may outlive this manager while the request runs.
    const std::shared_ptr<OfflineSyncQueue> queue = m_deps.queue;
    const std::shared_ptr<BackendAPIClient> client = m_deps.client;
    const QJsonObject payload = objectOf(body);
    const OfflineSyncItem item = queue->enqueue(kind, payload, now());
    if (queue->isInFlight(item.id)) {
        qCInfo(lcSyncManager, "A %s push of the same thing is already on its way", qUtf8Printable(offlineSyncKindName(kind)));
        co_return std::nullopt;
    }
    if (item.payload != payload) // a newer change of the same row was waiting: it goes instead
        body = QJsonDocument(item.payload).toJson(QJsonDocument::Compact);
    queue->markInFlight(item.id);
    // On disk before the request leaves: an end of the process from here on
    // leaves the push in the file for the next start.
    queue->flush();
    auto sending = talvoro::awaitOwned(this, SyncRequests::post(*client, SyncRequests::pathFor(kind), body));
    auto answered = co_await std::move(sending);
    queue->settle(item.id);
    if (!answered)
        co_return std::nullopt;
    auto &sent = *answered;
    // Only the documented reply delivers; a refusal that would come again
    // drops the push. Anything else (unreachable, 5xx, signed out meanwhile)
    // keeps it for the next drain; a settings block is kept on any failure.
    const bool refusedForGood = !sent && kind != OfflineSyncKind::settings
        && !SyncRequests::isWorthRetrying(sent.error()) && !sent.error().isAuthenticationFailure()
        && sent.error().kind() != BackendAPIError::Kind::cancelled;
    if (sent || refusedForGood)
        queue->remove(item.id);
    co_return std::optional(std::move(sent));
}

QCoro::Task<> SyncManager::pushSettings()
{
    if (!canPush("settings"))
        co_return;
    const SyncSettingsPayload block = SyncDefaults::currentSettingsBlock(*m_deps.defaults, now());
    m_settingsPushesInFlight.append(block.updatedAt);
    auto sending = talvoro::awaitOwned(this, sendWrittenAhead(OfflineSyncKind::settings, block.toJson()));
    const auto answered = co_await std::move(sending);
    if (!answered)
        co_return;
    const auto &sent = *answered;
    m_settingsPushesInFlight.removeOne(block.updatedAt);
    if (!sent)
        co_return;
    if (!*sent) {
        qCWarning(lcSyncManager, "Push settings failed: %s", qUtf8Printable(sent->error().errorDescription()));
        co_return;
    }
    auto drain = pushSucceeded();
    co_await drain;
}

QCoro::Task<> SyncManager::pushRuleModel(ReplacementRule rule, bool isDeleted)
{
    auto push = pushRule(SyncMerge::payloadFromRule(rule, isDeleted));
    co_await push;
}

QCoro::Task<> SyncManager::pushRule(SyncRulePayload payload)
{
    auto push = pushRecord(OfflineSyncKind::rule, payload.clientId, payload.isDeleted, payload.toJson());
    co_await push;
}

QCoro::Task<> SyncManager::pushDictionaryEntryModel(DictionaryEntry entry, bool isDeleted)
{
    auto push = pushDictionaryEntry(SyncMerge::payloadFromEntry(entry, isDeleted));
    co_await push;
}

QCoro::Task<> SyncManager::pushDictionaryEntry(SyncDictionaryEntryPayload payload)
{
    auto push = pushRecord(OfflineSyncKind::dictionaryEntry, payload.clientId, payload.isDeleted, payload.toJson());
    co_await push;
}

QCoro::Task<> SyncManager::deleteTranscription(QString clientId)
{
    auto push = pushRecord(OfflineSyncKind::deleteTranscription, clientId, true,
                           SyncRequests::deleteTranscriptionBody(clientId, SyncTime::msFromDate(now())));
    co_await push;
}

QCoro::Task<> SyncManager::pushRecord(OfflineSyncKind kind, QString clientId, bool isDeleted, QByteArray body)
{
    const PushLabels labels = pushLabels(kind);
    if (!canPush(labels.what))
        co_return;
    auto sending = talvoro::awaitOwned(this, sendWrittenAhead(kind, body));
    const auto answered = co_await std::move(sending);
    if (!answered || !*answered)
        co_return;
    const auto &sent = *answered;
    if (!*sent) {
        qCWarning(lcSyncManager, "%s: %s", labels.failure, qUtf8Printable(sent->error().errorDescription()));
        co_return;
    }
    if (isDeleted && !**sent && kind != OfflineSyncKind::deleteTranscription) {
        // The account holds a newer copy than the one deleted here: bring it back.
        auto pulling = pullKind(kind);
        co_await pulling;
    } else if (isDeleted && m_pullRunning) {
        m_deletionsSettledDuringPull.insert(deletionKey(kind, clientId));
    }
    auto drain = pushSucceeded();
    co_await drain;
}

QCoro::Task<> SyncManager::pullKind(OfflineSyncKind kind)
{
    const char *member = kind == OfflineSyncKind::rule ? "rules" : "dictionaryEntries";
    qCInfo(lcSyncManager, "The account refused a deletion as older than its row; pulling its %s again", member);
    if (!m_deps.container || !m_deps.auth->isAuthenticated())
        co_return;
    const quint64 generation = m_deps.auth->sessionGeneration();
    const quint64 epoch = m_pullEpoch;
    const std::shared_ptr<BackendAPIClient> client = m_deps.client;
    const std::unique_ptr<ModelContext> context = m_deps.container->makeContext();
    // Every row of the kind (since 0), whatever the cursor passed; the
    // cursor, settings and statistics stay as the last full pull left them.
    PullStream stream(*client, 0, m_deps.timeZoneId(), nullptr, {QString::fromLatin1(member)}, m_deps.maxPullReplyBytes);
    SyncMerge::Counts merged;
    for (;;) {
        auto reading = talvoro::awaitOwned(this, stream.next());
        const auto read = co_await std::move(reading);
        if (!read || isStale(generation, epoch))
            co_return;
        const auto &batch = *read;
        if (!batch) {
            qCWarning(lcSyncManager, "Pull of %s failed: %s", member, qUtf8Printable(batch.error().errorDescription()));
            co_return;
        }
        if (!*batch)
            break;
        // A backend that ignores "kinds" sends everything: only this kind merges.
        SyncPullResponse rows;
        if (kind == OfflineSyncKind::rule)
            rows.rules = (*batch)->rules;
        else
            rows.dictionaryEntries = (*batch)->dictionaryEntries;
        const auto counts = SyncMerge::apply(*context, rows, [this](OfflineSyncKind k, const QString &id) {
            return isDeletionPending(k, id);
        });
        if (!counts) {
            qCWarning(lcSyncManager, "Pull of %s failed: %s", member, qUtf8Printable(counts.error().errorDescription()));
            co_return;
        }
        merged += *counts;
    }
    if (const auto rest = stream.finish(); !rest) {
        qCWarning(lcSyncManager, "Pull of %s failed: %s", member, qUtf8Printable(rest.error().errorDescription()));
        co_return;
    }
    qCInfo(lcSyncManager, "Pull of %s merged: %d inserted, %d updated, %d deleted, %d kept local", member,
           merged.inserted, merged.updated, merged.deleted, merged.keptLocal);
}

void SyncManager::resetAccountScopedState()
{
    cancelPull();
    m_deps.queue->clear();
    // Still on their way to the previous account: no reason to hold back the new one's settings.
    m_settingsPushesInFlight.clear();
    m_deps.defaults->remove(SettingsKeys::syncPullCursor);
    m_deps.defaults->remove(SettingsKeys::syncInitialPushAccount);
    if (m_lastSyncDate) {
        m_lastSyncDate.reset();
        Q_EMIT lastSyncDateChanged();
    }
}

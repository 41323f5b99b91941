#pragma once

#include "account/BackendAPIError.h"
#include "account/OfflineSyncQueue.h"
#include "account/SyncPayloads.h"

#include <QCoroTask>
#include <QDateTime>
#include <QObject>
#include <QSet>

#include <coroutine>
#include <expected>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AppModelContainer;
class AuthManager;
class AuthProviding;
class BackendAPIClient;
class ModelContext;
class RequestCancellation;
class UserDefaultsProviding;
struct DictionaryEntry;
struct ReplacementRule;

// The single synchroniser of the local store with the account: pulls and
// merges, pushes each edit as it happens, and keeps failed pushes in the
// offline queue. Main thread only; every operation logs its failures and
// reports none to its caller. Work that spans a network call drops its result
// when the sign-in session changed meanwhile.
class SyncManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isSyncing READ isSyncing NOTIFY isSyncingChanged)
    Q_PROPERTY(QDateTime lastSyncDate READ lastSyncDateValue NOTIFY lastSyncDateChanged)
public:
    struct Dependencies
    {
        std::shared_ptr<AuthProviding> auth;
        std::shared_ptr<BackendAPIClient> client;
        std::shared_ptr<OfflineSyncQueue> queue;
        UserDefaultsProviding *defaults = nullptr;
        AppModelContainer *container = nullptr;
        // The signed-in account's id; the initial push happens once per account.
        std::function<QString()> accountId;
        std::function<QDateTime()> now;
        // IANA id of the calendar the statistics are counted in.
        std::function<QString()> timeZoneId;
        // The largest pull reply taken; 0: PullStream::kMaxBodyBytes.
        qint64 maxPullReplyBytes = 0;
    };

    // The application's parts: `auth` behind a client on AppConfig's base URL,
    // offline-queue.json in the data folder, the settings and the container.
    static Dependencies defaultDependencies(AuthManager &auth, UserDefaultsProviding &defaults,
                                            AppModelContainer &container);

    explicit SyncManager(Dependencies dependencies, QObject *parent = nullptr);
    ~SyncManager() override;

    // `SyncManager.shared`: the synchroniser the composition root made.
    static SyncManager &shared();

    bool isSyncing() const { return m_isSyncing; }
    std::optional<QDateTime> lastSyncDate() const { return m_lastSyncDate; }
    QDateTime lastSyncDateValue() const { return m_lastSyncDate.value_or(QDateTime()); }

    BackendAPIClient &backendClient() const { return *m_deps.client; }
    AuthProviding &authProvider() const { return *m_deps.auth; }
    OfflineSyncQueue &offlineQueue() const { return *m_deps.queue; }

    // Pulls the account into `context`; joins a pull already running.
    [[nodiscard]] QCoro::Task<> pull(ModelContext &context);
    // Pulls with a fresh context unless the last pull is at most `seconds` old.
    [[nodiscard]] QCoro::Task<> pullIfStale(double seconds);
    // Drops the result of a running pull (the account changed) and aborts
    // the requests it still waits for.
    void cancelPull();

    [[nodiscard]] QCoro::Task<> pushSettings();
    [[nodiscard]] QCoro::Task<> pushRuleModel(ReplacementRule rule, bool isDeleted);
    [[nodiscard]] QCoro::Task<> pushRule(SyncRulePayload payload);
    [[nodiscard]] QCoro::Task<> pushDictionaryEntryModel(DictionaryEntry entry, bool isDeleted);
    [[nodiscard]] QCoro::Task<> pushDictionaryEntry(SyncDictionaryEntryPayload payload);
    [[nodiscard]] QCoro::Task<> deleteTranscription(QString clientId);

    // Replays due queued pushes (`drainOfflineSyncQueue` with this manager's parts).
    [[nodiscard]] QCoro::Task<> drainOfflineQueue();

    // For the shell when the signed-in account changes: forgets the pull
    // cursor, the initial-push mark, the last sync date, the queue and the
    // settings pushes still on their way.
    void resetAccountScopedState();

Q_SIGNALS:
    void isSyncingChanged();
    void lastSyncDateChanged();
    void pullFinished();

private:
    [[nodiscard]] QCoro::Task<> runPull(QPointer<ModelContext> context, QPointer<RequestCancellation> cancellation);
    [[nodiscard]] QCoro::Task<bool> runInitialPush(QPointer<ModelContext> context, quint64 generation, quint64 epoch,
                                                   QPointer<RequestCancellation> cancellation);
    // False (logged) while signed out: such a push is neither sent nor queued.
    bool canPush(const char *what) const;
    // After a delivered push: drains the queue when something waits in it.
    [[nodiscard]] QCoro::Task<> pushSucceeded();
    // Sends one rule, term or transcription deletion through the queue.
    [[nodiscard]] QCoro::Task<> pushRecord(OfflineSyncKind kind, QString clientId, bool isDeleted, QByteArray body);
    // Writes the push into the offline queue, marked in flight, then sends it.
    // It leaves the queue on the documented reply or a refusal that would
    // come again; otherwise it stays for the next drain. The reply; nothing
    // when the same push was already on its way or the manager went away.
    [[nodiscard]] QCoro::Task<std::optional<std::expected<bool, BackendAPIError>>> sendWrittenAhead(OfflineSyncKind kind,
                                                                                                     QByteArray body);
    // After a rule or term deletion the account refused as older than its
    // row: pulls every row of that kind and merges it, so the account's newer
    // row comes back (the cursor may have passed it while the deletion waited).
    [[nodiscard]] QCoro::Task<> pullKind(OfflineSyncKind kind);
    bool isDeletionPending(OfflineSyncKind kind, const QString &clientId) const;
    bool isStale(quint64 generation, quint64 epoch) const;
    // The newest settings block of this device not yet delivered (in flight or queued).
    std::optional<double> newestUndeliveredSettings() const;
    void setSyncing(bool syncing);
    QDateTime now() const;

    Dependencies m_deps;
    bool m_isSyncing = false;
    bool m_pullRunning = false;
    quint64 m_pullEpoch = 0;
    // Aborts the running pull's requests (cancelPull).
    std::unique_ptr<RequestCancellation> m_pullCancellation;
    // Callers who joined the running pull. Its end resumes them directly, even
    // after this manager has gone: a resumption through the event queue is
    // lost when the pull ends as the application quits (no loop runs again),
    // and their coroutines would never end.
    std::shared_ptr<std::vector<std::coroutine_handle<>>> m_pullJoiners;
    // `updatedAt` of each settings block on its way to the account.
    QList<double> m_settingsPushesInFlight;
    std::optional<QDateTime> m_lastSyncDate;
    // Deletions answered while a pull runs: its reply may predate them.
    QSet<QString> m_deletionsSettledDuringPull; // "<kind>:<client id>"
};

// Replays the queued pushes that are due: a success removes the item, a
// permanent error discards it, a retryable error counts a retry and sets its
// next retry time, an authentication failure keeps it unchanged. A second
// call while one runs waits for it instead of sending twice.
// `deletionRefused` hears of each rule or term deletion the account answered
// with "applied": false.
[[nodiscard]] QCoro::Task<> drainOfflineSyncQueue(BackendAPIClient &client, AuthProviding &auth, OfflineSyncQueue &queue,
                                    std::function<QDateTime()> now = {},
                                    std::function<void(OfflineSyncKind)> deletionRefused = {});


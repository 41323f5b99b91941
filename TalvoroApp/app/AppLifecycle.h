#pragma once

#include "platform/ShellLogging.h"
#include "platform/ModelStoreTypes.h"

#include <QCoroTask>
#include <QDateTime>
#include <QLoggingCategory>
#include <QObject>
#include <QString>

#include <chrono>
#include <expected>
#include <functional>
#include <optional>


class AppModelContainer;
class AuthManager;
class SleepWakeMonitor;
class SyncManager;
class UserDefaultsProviding;

// The shell's reactions to the application's life:
// - becoming active (a window of ours was activated): pull, unless the last
//   automatic sync is less than five minutes old;
// - the machine waking: refresh the access token, drain the offline queue and
//   recover pending jobs;
// - a sign-in to an account other than the one the local data belongs to:
//   cancel a running pull and clear the account-scoped local data before the
//   new account's first pull.
// The owner of the local data is the settings key "lastAuthenticatedAccountId":
// AuthManager writes it at sign-out, this class while someone is signed in.
// Main thread only; no widgets.
class AppLifecycle : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::seconds kActivationSyncInterval{300};

    struct Dependencies
    {
        AuthManager *auth = nullptr;
        SyncManager *sync = nullptr;
        AppModelContainer *models = nullptr;
        UserDefaultsProviding *settings = nullptr;
        // Optional: no monitor, no wake reactions.
        SleepWakeMonitor *wakeMonitor = nullptr;
        std::function<QDateTime()> now;
        // The pending-job recovery pass of the transcription pipeline, run
        // after a wake once the queue is drained. Unset until the pipeline exists.
        std::function<QCoro::Task<>()> recoverPendingJobs;
    };

    // Follows the auth state, the wake monitor and, when a QGuiApplication
    // runs, its application state. An account mismatch found here (a session
    // restored for another account than the stored data's) is handled at once.
    explicit AppLifecycle(Dependencies dependencies, QObject *parent = nullptr);
    ~AppLifecycle() override;

    // When the last automatic pull started; nullopt before the first.
    std::optional<QDateTime> lastAutomaticSyncDate() const { return m_lastAutomaticSync; }

    // The reactions, awaitable for tests; the slots below start them.
    [[nodiscard]] QCoro::Task<> applicationBecameActive();
    [[nodiscard]] QCoro::Task<> machineWoke();

public Q_SLOTS:
    void handleApplicationStateChanged(Qt::ApplicationState state);
    void handleWake();
    // isAuthenticatedChanged / userIdChanged.
    void handleAuthenticationChange();

Q_SIGNALS:
    // The previous account's local data is gone; the new account's pull follows.
    void accountDataCleared();

private:
    enum class Ownership {
        same,        // the data belongs to the signed-in account (or to nobody yet: adopted)
        changed,     // it belonged to another account and was cleared
        clearFailed, // it belongs to another account and could not be cleared
    };

    // Synchronous, so nothing can sync between the check and the clearing.
    Ownership reconcileOwnership();
    std::expected<void, StoreError> clearLocalStore();
    [[nodiscard]] QCoro::Task<> automaticPull(bool afterAccountChange);
    QDateTime now() const;

    Dependencies m_deps;
    std::optional<QDateTime> m_lastAutomaticSync;
    // The session generation whose sign-in was handled (two signals announce one sign-in).
    std::optional<quint64> m_handledGeneration;
    // Owner of local data that could not be cleared: restored into the key
    // when a sign-out overwrites it, so the next sign-in tries again.
    QString m_unclearedOwner;
};

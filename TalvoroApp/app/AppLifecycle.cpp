#include "app/AppLifecycle.h"

#include "account/AuthManager.h"
#include "account/SyncManager.h"
#include "platform/SleepWakeMonitor.h"
#include "platform/StartTask.h"
#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "platform/SettingsKeys.h"
#include "platform/UserDefaultsProviding.h"
#include "transcription/DictionaryEntry.h"
#include "transcription/ReplacementRule.h"
#include "transcription/TranscriptionRecord.h"

#include <QCoroSignal>
#include <QGuiApplication>
#include <QPointer>


AppLifecycle::AppLifecycle(Dependencies dependencies, QObject *parent)
    : QObject(parent)
    , m_deps(std::move(dependencies))
{
    Q_ASSERT(m_deps.auth && m_deps.sync && m_deps.models && m_deps.settings);
    if (!m_deps.now)
        m_deps.now = [] { return QDateTime::currentDateTimeUtc(); };

    connect(m_deps.auth, &AuthManager::isAuthenticatedChanged, this, &AppLifecycle::handleAuthenticationChange);
    connect(m_deps.auth, &AuthManager::userIdChanged, this, &AppLifecycle::handleAuthenticationChange);
    if (m_deps.wakeMonitor)
        connect(m_deps.wakeMonitor, &SleepWakeMonitor::woke, this, &AppLifecycle::handleWake);
    if (auto *gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connect(gui, &QGuiApplication::applicationStateChanged, this, &AppLifecycle::handleApplicationStateChanged);

    // A session restored from the settings: only the ownership is checked
    // here; the first activation pulls.
    if (m_deps.auth->isAuthenticated() && m_deps.auth->userId()) {
        m_handledGeneration = m_deps.auth->sessionGeneration();
        if (reconcileOwnership() == Ownership::changed) {
            auto pull = automaticPull(true);
            Q_UNUSED(pull)
        }
    }
}

AppLifecycle::~AppLifecycle() = default;

QDateTime AppLifecycle::now() const
{
    return m_deps.now();
}

// MARK: activation

void AppLifecycle::handleApplicationStateChanged(Qt::ApplicationState state)
{
    if (state != Qt::ApplicationActive)
        return;
    talvoro::startTask(this, applicationBecameActive(), "The sync on activation");
}

QCoro::Task<> AppLifecycle::applicationBecameActive()
{
    if (!m_deps.auth->isAuthenticated() || !m_deps.auth->userId())
        co_return;
    const qint64 intervalMs = std::chrono::milliseconds(kActivationSyncInterval).count();
    if (m_lastAutomaticSync && m_lastAutomaticSync->msecsTo(now()) < intervalMs)
        co_return;
    // Normally settled when the account signed in; this retries a clearing
    // that failed then, and never pulls into another account's data.
    const Ownership ownership = reconcileOwnership();
    if (ownership == Ownership::clearFailed)
        co_return;
    auto pull = automaticPull(ownership == Ownership::changed);
    co_await pull;
}

QCoro::Task<> AppLifecycle::automaticPull(bool afterAccountChange)
{
    QPointer<AppLifecycle> self(this);
    QPointer<SyncManager> sync(m_deps.sync);
    if (afterAccountChange && sync->isSyncing()) {
        // The cancelled pull of the previous account is still winding down;
        // a pull started now would join it and fetch nothing.
        const quint64 generation = m_deps.auth->sessionGeneration();
        co_await qCoro(sync.data(), &SyncManager::pullFinished);
        if (!self || !sync || m_deps.auth->sessionGeneration() != generation)
            co_return;
    }
    m_lastAutomaticSync = now();
    std::unique_ptr<ModelContext> context = m_deps.models->makeContext();
    auto pull = sync->pull(*context);
    co_await pull;
}

// MARK: wake

void AppLifecycle::handleWake()
{
    talvoro::startTask(this, machineWoke(), "The sync after waking");
}

QCoro::Task<> AppLifecycle::machineWoke()
{
    if (!m_deps.auth->isAuthenticated()) {
        qCInfo(lcAppLifecycle) << "Machine woke; not signed in";
        co_return;
    }
    qCInfo(lcAppLifecycle) << "Machine woke; refreshing the session and draining the offline queue";
    QPointer<AppLifecycle> self(this);
    auto refresh = m_deps.auth->forceRefresh();
    const std::optional<QString> token = co_await refresh;
    if (!self)
        co_return;
    if (!token)
        qCWarning(lcAppLifecycle) << "Token refresh after wake failed";
    // A refused refresh ended the session; a failed one (the network is
    // often not back yet) leaves the drain to find out for itself.
    if (!m_deps.auth->isAuthenticated())
        co_return;
    auto drain = m_deps.sync->drainOfflineQueue();
    co_await drain;
    if (!self)
        co_return;
    if (m_deps.recoverPendingJobs) {
        auto recover = m_deps.recoverPendingJobs();
        co_await recover;
    }
}

// MARK: account change

void AppLifecycle::handleAuthenticationChange()
{
    if (!m_deps.auth->isAuthenticated()) {
        m_handledGeneration.reset();
        // signOut has just recorded the signed-out account as the owner; the
        // data still belongs to the account it could not be cleared for.
        if (!m_unclearedOwner.isEmpty())
            m_deps.settings->set(SettingsKeys::lastAuthenticatedAccountId, m_unclearedOwner);
        return;
    }
    if (!m_deps.auth->userId())
        return;
    const quint64 generation = m_deps.auth->sessionGeneration();
    if (m_handledGeneration == generation)
        return;
    m_handledGeneration = generation;

    const Ownership ownership = reconcileOwnership();
    if (ownership == Ownership::clearFailed)
        return;
    // Every sign-in pulls: the account's data and settings arrive at once.
    auto pull = automaticPull(ownership == Ownership::changed);
    Q_UNUSED(pull)
}

AppLifecycle::Ownership AppLifecycle::reconcileOwnership()
{
    const QString account = m_deps.auth->userId().value_or(QString());
    if (account.isEmpty())
        return Ownership::same;
    const QString owner = m_deps.settings->value(SettingsKeys::lastAuthenticatedAccountId);
    if (owner == account)
        return Ownership::same;
    if (owner.isEmpty()) {
        // Data made before any sign-in on this machine: the first account
        // takes it (its initial push uploads it).
        m_deps.settings->set(SettingsKeys::lastAuthenticatedAccountId, account);
        return Ownership::same;
    }

    qCInfo(lcAppLifecycle) << "Signed-in account changed; clearing the previous account's local data";
    m_deps.sync->resetAccountScopedState();
    m_lastAutomaticSync.reset();
    if (const auto cleared = clearLocalStore(); !cleared) {
        // Syncing now would push the previous account's history into this
        // one; the next activation or sign-in tries again.
        qCCritical(lcAppLifecycle, "Could not clear the previous account's local data; not syncing: %s",
                   qUtf8Printable(cleared.error().errorDescription()));
        m_unclearedOwner = owner;
        return Ownership::clearFailed;
    }
    m_unclearedOwner.clear();
    m_deps.settings->set(SettingsKeys::lastAuthenticatedAccountId, account);
    Q_EMIT accountDataCleared();
    return Ownership::changed;
}

std::expected<void, StoreError> AppLifecycle::clearLocalStore()
{
    // The main context: its unsaved edits of the old data go with it.
    // Account-scoped data added later (pending transcription jobs) joins here.
    ModelContext &context = m_deps.models->mainContext();
    if (auto removed = context.deleteAll<TranscriptionRecord>(); !removed)
        return removed;
    if (auto removed = context.deleteAll<ReplacementRule>(); !removed)
        return removed;
    return context.deleteAll<DictionaryEntry>();
}

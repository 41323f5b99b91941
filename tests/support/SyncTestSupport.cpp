#include "support/SyncTestSupport.h"

#include "account/BackendAPIClient.h"

QCoro::Task<std::expected<QString, BackendAPIError>> TestAuthProvider::validAccessToken()
{
    if (!authenticated || accessToken.isEmpty())
        co_return std::unexpected(BackendAPIError::notAuthenticated());
    // A copy: GCC 12 moves from a member named in co_return.
    co_return QString(accessToken);
}

QCoro::Task<std::expected<QString, BackendAPIError>> TestAuthProvider::forceRefresh()
{
    ++forceRefreshCalls;
    if (onForceRefresh)
        co_return onForceRefresh();
    co_return std::unexpected(BackendAPIError::tokenRefreshFailed());
}

std::shared_ptr<AuthProviding> signedOutAuth()
{
    auto provider = std::make_shared<TestAuthProvider>();
    provider->authenticated = false;
    return provider;
}

AccountServices::AccountServices()
    : queue(std::make_shared<OfflineSyncQueue>(dir.filePath(QStringLiteral("offline-queue.json"))))
{
    SyncManager::Dependencies deps;
    deps.auth = harness.authProvider();
    deps.client = std::make_shared<BackendAPIClient>(deps.auth, &harness.network, backend.baseURL());
    deps.queue = queue;
    deps.defaults = harness.settings.store.get();
    deps.container = &models;
    deps.accountId = [this] { return userId(); };
    deps.timeZoneId = [] { return QStringLiteral("UTC"); };
    deps.now = [this] { return clock.isValid() ? clock : QDateTime::currentDateTimeUtc(); };
    sync = std::make_unique<SyncManager>(deps);
    syncProvider = std::make_unique<DefaultSyncProvider>(*sync);
    environment.settings = harness.settings.store.get();
    environment.auth = harness.auth.get();
    environment.sync = sync.get();
    environment.syncProvider = syncProvider.get();
    environment.models = &models;
    environment.urlOpener = &harness.opener;
    environment.now = [this] { return clock.isValid() ? clock : QDateTime::currentDateTime(); };
}

AccountServices::~AccountServices() = default;

QString AccountServices::userId() const
{
    return harness.auth->userId().value_or(QString());
}

backendlocal::SyncAccount AccountServices::account(const QString &id)
{
    return backendlocal::SyncAccount(backend.state().user(id.isEmpty() ? userId() : id)->sync);
}

void AccountServices::storeAccount(const backendlocal::SyncAccount &account, const QString &id)
{
    backend.state().user(id.isEmpty() ? userId() : id)->sync = account.toJson();
}

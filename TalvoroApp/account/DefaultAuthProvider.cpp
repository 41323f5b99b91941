#include "account/AuthProviding.h"

#include "account/AuthManager.h"

QCoro::Task<std::expected<QString, BackendAPIError>> DefaultAuthProvider::validAccessToken()
{
    AuthManager &manager = AuthManager::shared();
    const auto token = co_await manager.getValidAccessToken();
    if (token)
        co_return *token;
    if (!manager.hasStoredAccessToken())
        co_return std::unexpected(BackendAPIError::notAuthenticated());
    co_return std::unexpected(BackendAPIError::tokenRefreshFailed());
}

QCoro::Task<std::expected<QString, BackendAPIError>> DefaultAuthProvider::forceRefresh()
{
    AuthManager &manager = AuthManager::shared();
    const auto token = co_await manager.forceRefresh();
    if (token)
        co_return *token;
    if (!manager.isAuthenticated())
        co_return std::unexpected(BackendAPIError::notAuthenticated());
    co_return std::unexpected(BackendAPIError::tokenRefreshFailed());
}

bool DefaultAuthProvider::isAuthenticated() const
{
    return AuthManager::shared().isAuthenticated();
}

quint64 DefaultAuthProvider::sessionGeneration() const
{
    return AuthManager::shared().sessionGeneration();
}

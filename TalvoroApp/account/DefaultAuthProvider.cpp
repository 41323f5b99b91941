#include "account/AuthProviding.h"

#include "account/AuthManager.h"

#include <QPointer>

DefaultAuthProvider::DefaultAuthProvider(AuthManager &manager)
    : m_manager([manager = QPointer<AuthManager>(&manager)] { return manager.data(); })
{
}

DefaultAuthProvider::DefaultAuthProvider(std::function<AuthManager *()> manager)
    : m_manager(std::move(manager))
{
}

QCoro::Task<std::expected<QString, BackendAPIError>> DefaultAuthProvider::validAccessToken()
{
    // A copy in the frame: the provider may go during the await.
    const std::function<AuthManager *()> current = m_manager;
    AuthManager *manager = current();
    if (!manager)
        co_return std::unexpected(BackendAPIError::notAuthenticated());
    const auto token = co_await manager->getValidAccessToken();
    if (token)
        co_return *token;
    // Asked again: the manager too may have gone.
    manager = current();
    if (!manager || !manager->hasStoredAccessToken())
        co_return std::unexpected(BackendAPIError::notAuthenticated());
    co_return std::unexpected(BackendAPIError::tokenRefreshFailed());
}

QCoro::Task<std::expected<QString, BackendAPIError>> DefaultAuthProvider::forceRefresh()
{
    const std::function<AuthManager *()> current = m_manager;
    AuthManager *manager = current();
    if (!manager)
        co_return std::unexpected(BackendAPIError::notAuthenticated());
    const auto token = co_await manager->forceRefresh();
    if (token)
        co_return *token;
    manager = current();
    if (!manager || !manager->isAuthenticated())
        co_return std::unexpected(BackendAPIError::notAuthenticated());
    co_return std::unexpected(BackendAPIError::tokenRefreshFailed());
}

bool DefaultAuthProvider::isAuthenticated() const
{
    const AuthManager *manager = m_manager();
    return manager && manager->isAuthenticated();
}

quint64 DefaultAuthProvider::sessionGeneration() const
{
    const AuthManager *manager = m_manager();
    return manager ? manager->sessionGeneration() : 0;
}

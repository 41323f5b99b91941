#include "support/SyncTestSupport.h"

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

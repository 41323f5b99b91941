#include "account/AuthManager.h"

#include "account/AccountLogging.h"
#include "account/AuthReplies.h"
#include "account/BackendAPIClient.h"
#include "platform/AwaitOwned.h"

#include <QCoroSignal>
#include <QCoroTimer>

// One shared token refresh (or keychain load) that later callers join.
class TokenWaiter : public QObject
{
    Q_OBJECT
public:
    bool done = false;
    std::optional<QString> result;

    void finish(const std::optional<QString> &value)
    {
        if (done)
            return;
        done = true;
        result = value;
        Q_EMIT finished();
    }

    QCoro::Task<void> wait()
    {
        if (!done)
            co_await qCoro(this, &TokenWaiter::finished);
    }

Q_SIGNALS:
    void finished();
};

namespace {

// QCoro 0.8 moves from a non-const lvalue given to co_return; members and
// shared results are returned as copies.
template<typename T>
std::optional<QString> copyOf(const T &value)
{
    return std::optional<QString>(value);
}

} // namespace

QCoro::Task<void> AuthManager::ensureTokensLoaded()
{
    if (m_tokensLoaded)
        co_return;
    if (m_load) {
        const auto waiter = m_load;
        co_await waiter->wait();
        co_return;
    }
    const auto waiter = std::make_shared<TokenWaiter>();
    m_load = waiter;
    const quint64 generation = m_sessionGeneration;

    // Nothing when this manager went away meanwhile (its callers then find
    // it gone as well).
    auto reading = m_keychain.read();
    const auto read = co_await std::move(reading);
    if (!read) {
        waiter->finish(std::nullopt);
        co_return;
    }
    const auto &stored = *read;

    if (generation == m_sessionGeneration && !m_tokensLoaded) {
        if (!stored) {
            qCWarning(lcAuthManager, "Keychain read failed: %s", qUtf8Printable(stored.error().detail));
        } else {
            m_tokensLoaded = true;
            if (stored->session) {
                m_accessToken = stored->session->access;
                m_refreshToken = stored->session->refresh;
                m_expiresAt = stored->session->expiresAt;
            } else if (stored->incomplete) {
                // Written by a sign-in that never completed: not a session.
                qCInfo(lcAuthManager) << "Ignoring tokens without a keychain sentinel";
            }
        }
    }
    waiter->finish(std::nullopt);
    if (m_load == waiter)
        m_load.reset();
}

QCoro::Task<std::optional<QString>> AuthManager::getValidAccessToken()
{
    auto loading = talvoro::awaitOwned(this, ensureTokensLoaded());
    if (!co_await std::move(loading) || m_accessToken.isEmpty())
        co_return std::nullopt;
    if (!m_expiresAt.isValid() || m_deps.now().addSecs(kRefreshMargin.count()) < m_expiresAt)
        co_return copyOf(m_accessToken);
    auto refreshing = refreshShared();
    co_return co_await std::move(refreshing);
}

QCoro::Task<std::optional<QString>> AuthManager::forceRefresh()
{
    auto loading = talvoro::awaitOwned(this, ensureTokensLoaded());
    if (!co_await std::move(loading) || !m_isAuthenticated)
        co_return std::nullopt;
    auto refreshing = refreshShared();
    co_return co_await std::move(refreshing);
}

void AuthManager::cancelRunningRefresh()
{
    if (const auto waiter = std::exchange(m_refresh, nullptr))
        waiter->finish(std::nullopt);
}

bool AuthManager::isRefreshing() const
{
    return m_refresh && !m_refresh->done;
}

QCoro::Task<std::optional<QString>> AuthManager::refreshShared()
{
    if (m_refresh) {
        const auto waiter = m_refresh;
        co_await waiter->wait();
        co_return copyOf(waiter->result);
    }
    const auto waiter = std::make_shared<TokenWaiter>();
    m_refresh = waiter;
    auto refresh = talvoro::awaitOwned(this, performRefresh(m_sessionGeneration));
    const auto refreshed = co_await std::move(refresh);
    // Those who joined are let go either way; they check for the manager themselves.
    waiter->finish(refreshed.value_or(std::nullopt));
    if (!refreshed)
        co_return std::nullopt;
    if (m_refresh == waiter)
        m_refresh.reset();
    co_return copyOf(waiter->result);
}

QCoro::Task<std::optional<QString>> AuthManager::performRefresh(quint64 generation)
{
    if (m_refreshToken.isEmpty()) {
        if (m_isAuthenticated) {
            qCWarning(lcAuthManager) << "No refresh token stored; the session has ended";
            endSession(true);
        }
        co_return std::nullopt;
    }
    qCInfo(lcAuthManager) << "Refreshing the access token";
    const auto client = makeClient();
    auto refreshCall = talvoro::awaitOwned(this, client->refreshSession(m_refreshToken));
    auto answered = co_await std::move(refreshCall);
    if (!answered)
        co_return std::nullopt;
    auto reply = std::move(*answered);
    if (generation != m_sessionGeneration) {
        qCInfo(lcAuthManager) << "Session changed during token refresh; dropping its result";
        co_return std::nullopt;
    }
    const auto transient = [](const BackendAPIError &error) {
        return error.kind() == BackendAPIError::Kind::networkError
            || (error.kind() == BackendAPIError::Kind::serverError && error.statusCode() >= 500);
    };
    if (!reply && transient(reply.error())) {
        qCInfo(lcAuthManager, "Token refresh failed (%s); trying once more",
               qUtf8Printable(reply.error().errorDescription()));
        auto pause = talvoro::awaitOwned(this, QCoro::sleepFor(kRefreshRetryPause));
        if (!co_await std::move(pause) || generation != m_sessionGeneration)
            co_return std::nullopt;
        auto retry = talvoro::awaitOwned(this, client->refreshSession(m_refreshToken));
        auto retried = co_await std::move(retry);
        if (!retried)
            co_return std::nullopt;
        reply = std::move(*retried);
        if (generation != m_sessionGeneration) {
            qCInfo(lcAuthManager) << "Session changed during token refresh; dropping its result";
            co_return std::nullopt;
        }
    }
    if (!reply) {
        const BackendAPIError &error = reply.error();
        const bool refused = error.kind() == BackendAPIError::Kind::notAuthenticated
            || (error.kind() == BackendAPIError::Kind::serverError
                && (error.statusCode() == 400 || error.statusCode() == 403));
        if (refused) {
            qCWarning(lcAuthManager) << "The backend refused the refresh token; the session has ended";
            endSession(true);
        } else {
            qCWarning(lcAuthManager, "Token refresh failed: %s", qUtf8Printable(error.errorDescription()));
        }
        co_return std::nullopt;
    }
    const auto tokens = AuthReplies::tokensFromReply(*reply, m_refreshToken, m_deps.now);
    if (!tokens) {
        qCWarning(lcAuthManager) << "Token refresh reply is incomplete";
        co_return std::nullopt;
    }
    auto store = talvoro::awaitOwned(this, m_keychain.write(*tokens));
    const auto storing = co_await std::move(store);
    if (!storing)
        co_return std::nullopt;
    const auto &stored = *storing;
    if (generation != m_sessionGeneration) {
        qCInfo(lcAuthManager) << "Session changed during token refresh; dropping its result";
        co_return std::nullopt;
    }
    if (!stored)
        qCWarning(lcAuthManager, "Could not store refreshed tokens: %s", qUtf8Printable(stored.error().detail));
    m_accessToken = tokens->access;
    m_refreshToken = tokens->refresh;
    m_expiresAt = tokens->expiresAt;
    if (reply->value(QLatin1String("user")).isObject())
        applyUser(reply->value(QLatin1String("user")).toObject());
    qCInfo(lcAuthManager) << "Access token refreshed";
    co_return copyOf(m_accessToken);
}

#include "AuthManagerTokens.moc"

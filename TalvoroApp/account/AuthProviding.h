#pragma once

#include "account/BackendAPIError.h"

#include <QCoroTask>
#include <QString>

#include <expected>
#include <functional>

// What a backend client and the synchroniser need of the sign-in owner.
class AuthProviding
{
public:
    virtual ~AuthProviding() = default;

    // A valid access token, refreshed first when it is about to expire.
    // notAuthenticated when no access token is stored, tokenRefreshFailed
    // when a needed refresh did not give one.
    [[nodiscard]] virtual QCoro::Task<std::expected<QString, BackendAPIError>> validAccessToken() = 0;
    // A new access token after the backend refused the current one; the
    // same errors. Concurrent callers share one refresh.
    [[nodiscard]] virtual QCoro::Task<std::expected<QString, BackendAPIError>> forceRefresh() = 0;

    virtual bool isAuthenticated() const = 0;
    // Changes whenever the signed-in session changes (sign-in, sign-out,
    // session ended); work that spans an await compares it before applying.
    virtual quint64 sessionGeneration() const = 0;
};

class AuthManager;

// The provider every client gets: the application's AuthManager. Once the
// manager is gone it answers as signed out.
class DefaultAuthProvider final : public AuthProviding
{
public:
    explicit DefaultAuthProvider(AuthManager &manager);
    // Asks whichever manager `manager` returns at each call (null: signed
    // out); for a test that replaces its manager as a restart does.
    explicit DefaultAuthProvider(std::function<AuthManager *()> manager);

    [[nodiscard]] QCoro::Task<std::expected<QString, BackendAPIError>> validAccessToken() override;
    [[nodiscard]] QCoro::Task<std::expected<QString, BackendAPIError>> forceRefresh() override;
    bool isAuthenticated() const override;
    quint64 sessionGeneration() const override;

private:
    std::function<AuthManager *()> m_manager;
};

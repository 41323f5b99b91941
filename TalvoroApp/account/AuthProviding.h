#pragma once

#include "account/BackendAPIError.h"

#include <QCoroTask>
#include <QString>

#include <expected>

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

// The provider every client gets: the shared AuthManager. Holds no fields.
class DefaultAuthProvider final : public AuthProviding
{
public:
    [[nodiscard]] QCoro::Task<std::expected<QString, BackendAPIError>> validAccessToken() override;
    [[nodiscard]] QCoro::Task<std::expected<QString, BackendAPIError>> forceRefresh() override;
    bool isAuthenticated() const override;
    quint64 sessionGeneration() const override;
};

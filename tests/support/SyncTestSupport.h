#pragma once

#include "account/AuthProviding.h"

#include <QString>

#include <functional>

// An auth provider the tests steer: a fixed token, a session generation the
// test can bump, and a refresh that does what the test says.
class TestAuthProvider final : public AuthProviding
{
public:
    QString accessToken;
    bool authenticated = true;
    quint64 generation = 1;
    int forceRefreshCalls = 0;
    std::function<std::expected<QString, BackendAPIError>()> onForceRefresh;

    QCoro::Task<std::expected<QString, BackendAPIError>> validAccessToken() override;
    QCoro::Task<std::expected<QString, BackendAPIError>> forceRefresh() override;
    bool isAuthenticated() const override { return authenticated; }
    quint64 sessionGeneration() const override { return generation; }
};

#pragma once

#include "platform/SecretStore.h"

#include <QCoroTask>
#include <QDateTime>
#include <QString>

#include <chrono>
#include <expected>
#include <optional>

class QObject;

struct AuthTokens
{
    QString access;
    QString refresh;
    QDateTime expiresAt;
};

// The session's tokens in the keychain: three items and a sentinel written
// last, whose presence says the three are complete. Reads and writes stop
// when their owner (the sign-in state's holder) goes away.
class AuthKeychain
{
public:
    static constexpr const char *kAccessTokenItem = "auth-access-token";
    static constexpr const char *kRefreshTokenItem = "auth-refresh-token";
    static constexpr const char *kExpiresAtItem = "auth-expires-at";
    static constexpr const char *kSentinelItem = "auth-keychain-sentinel";

    // What a read found: the tokens of a complete session, or none, and
    // whether tokens without a sentinel were left by a sign-in that never
    // completed.
    struct Stored
    {
        std::optional<AuthTokens> session;
        bool incomplete = false;
    };

    // Each read or write waits at most `bound` for the keychain's answer,
    // then fails as unanswered.
    AuthKeychain(SecretStore *secrets, QObject *owner, std::chrono::milliseconds bound)
        : m_secrets(secrets)
        , m_owner(owner)
        , m_bound(bound)
    {
    }

    // The four items, read in order; nullopt when the owner went away meanwhile.
    [[nodiscard]] QCoro::Task<std::optional<std::expected<Stored, SecretStoreError>>> read();
    [[nodiscard]] QCoro::Task<std::expected<void, SecretStoreError>> write(AuthTokens tokens);
    void removeAll();

private:
    SecretStore *m_secrets;
    QObject *m_owner;
    std::chrono::milliseconds m_bound;
};

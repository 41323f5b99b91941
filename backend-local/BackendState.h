#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

namespace backendlocal {

struct User
{
    QString id;
    QString email;
    QString name;
    QString avatarStorageId; // empty: no avatar
    QJsonArray feedback;
    // The account's synchronised data, owned by the sync routes; persisted as is.
    QJsonObject sync;
};

struct AccessGrant
{
    QString userId;
    qint64 expiresAtMs = 0;
};

// A refresh token rotated away, remembered for the grace window.
struct SpentRefreshToken
{
    QString userId;
    QString successor;
    qint64 spentAtMs = 0;
};

struct AuthorizationCode
{
    QString userId;
    QString codeChallenge;
    QString redirectUri;
    qint64 expiresAtMs = 0;
};

struct StoredFile
{
    QByteArray data;
    QByteArray contentType;
    QString ownerUserId;
};

struct UploadSlot
{
    QString purpose; // "avatar", "feedback"
    QString userId;
};

// Everything the stand-in backend knows, in memory; optionally kept in a
// JSON file so accounts and sessions survive a restart of the server.
class BackendState
{
public:
    BackendState();

    QHash<QString, User> users; // by id
    QHash<QString, AccessGrant> accessTokens;
    QHash<QString, QString> refreshTokens; // token -> user id
    QHash<QString, SpentRefreshToken> spentRefreshTokens; // in memory only
    QHash<QString, AuthorizationCode> authorizationCodes;
    QHash<QString, StoredFile> files; // by storage id
    QHash<QString, UploadSlot> uploadSlots;

    qint64 accessTokenLifetimeSeconds = 3600;
    // How long a rotated refresh token is still taken once: longer than the
    // client's deadline for a refresh, so a retry after a lost reply lands.
    static constexpr qint64 kRefreshGraceMs = 2 * 60 * 1000;
    std::function<qint64()> nowMs;

    static QString newToken();
    static QString newId();

    // The user with that e-mail, created when new.
    User &userForEmail(const QString &email, const QString &name);
    User *user(const QString &id);
    // A new access and refresh token pair for the user, as the
    // auth/session and auth/refresh reply object (with "user").
    QJsonObject issueTokens(const QString &userId, const QUrl &baseURL);
    // The user of a valid access token; nullopt for unknown or expired ones.
    std::optional<QString> userForAccessToken(const QString &token) const;
    // Rotates a refresh token: the presented one is spent and a new pair
    // issued. Until its successor is used, and within the grace window, a
    // spent token is taken again: the client lost the reply, so the
    // successor it never got is revoked and a new pair issued. nullopt for
    // an unknown or stale token.
    std::optional<QJsonObject> rotateRefreshToken(const QString &token, const QUrl &baseURL);
    void expireAccessTokens();
    // Removes the user with everything that belongs to them.
    void deleteUser(const QString &userId);

    QJsonObject userJSON(const User &user, const QUrl &baseURL) const;
    static QUrl fileURL(const QUrl &baseURL, const QString &storageId);

    QJsonObject toJSON() const;
    void loadJSON(const QJsonObject &object);
    bool saveToFile(const QString &path) const;
    bool loadFromFile(const QString &path);
};

} // namespace backendlocal

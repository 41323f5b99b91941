#include "account/AuthReplies.h"

#include "account/BackendAPIClient.h"

#include <QJsonValue>

namespace AuthReplies {

std::optional<QString> nonEmptyString(const QJsonObject &object, const char *key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (!value.isString() || value.toString().isEmpty())
        return std::nullopt;
    return value.toString();
}

std::optional<AuthTokens> tokensFromReply(const QJsonObject &reply, const QString &previousRefresh,
                                          const std::function<QDateTime()> &now)
{
    const auto access = nonEmptyString(reply, "accessToken");
    if (!access)
        return std::nullopt;
    AuthTokens tokens;
    tokens.access = *access;
    tokens.refresh = nonEmptyString(reply, "refreshToken").value_or(previousRefresh);
    if (tokens.refresh.isEmpty())
        return std::nullopt;
    const QJsonValue expiresIn = reply.value(QLatin1String("expiresIn"));
    const QJsonValue expiresAt = reply.value(QLatin1String("expiresAt"));
    if (expiresAt.isDouble())
        tokens.expiresAt = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(expiresAt.toDouble()), Qt::UTC);
    else if (expiresIn.isDouble())
        tokens.expiresAt = now().addMSecs(static_cast<qint64>(expiresIn.toDouble() * 1000));
    return tokens;
}

AuthError signInErrorFromBackend(const BackendAPIError &error)
{
    switch (error.kind()) {
    case BackendAPIError::Kind::networkError:
        return AuthError::networkError(error.message());
    case BackendAPIError::Kind::parseError:
        return AuthError::parseError();
    case BackendAPIError::Kind::serverError:
        return AuthError::serverError(error.statusCode(), error.message());
    case BackendAPIError::Kind::notAuthenticated:
        return AuthError::serverError(401, error.errorDescription());
    default:
        return AuthError::serverError(0, error.errorDescription());
    }
}

} // namespace AuthReplies

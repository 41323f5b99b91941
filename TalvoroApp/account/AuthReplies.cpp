#include "account/AuthReplies.h"

#include "account/BackendAPIClient.h"
#include "platform/ModelValues.h"

#include <QJsonValue>
#include <QTimeZone>

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
    // Numbers past a qint64 (1e308) were cast as they came: undefined, and
    // the token counted as expired. A lifetime is held within a year; a time
    // outside what a date holds is refused (no known expiry: a 401 refreshes).
    constexpr qint64 kLongestLifetimeSeconds = 366LL * 24 * 3600;
    if (expiresAt.isDouble()) {
        if (const auto ms = talvoro::integerInRange(expiresAt.toDouble(), 0, talvoro::kLatestMillisecondsSince1970))
            tokens.expiresAt = QDateTime::fromMSecsSinceEpoch(*ms, QTimeZone::utc());
    } else if (expiresIn.isDouble()) {
        tokens.expiresAt = now().addSecs(talvoro::clampedInteger(expiresIn.toDouble(), 0, kLongestLifetimeSeconds));
    }
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

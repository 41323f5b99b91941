#pragma once

#include "account/AuthKeychain.h"
#include "account/AuthError.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <functional>
#include <optional>

class BackendAPIError;

// Reading the account's sign-in and refresh replies.
namespace AuthReplies {

// The member's text; nullopt when it is missing, not a text or empty.
std::optional<QString> nonEmptyString(const QJsonObject &object, const char *key);

// The tokens of a reply; a reply without a refresh token keeps `previousRefresh`.
// nullopt when the reply lacks an access token or both refresh tokens are empty.
std::optional<AuthTokens> tokensFromReply(const QJsonObject &reply, const QString &previousRefresh,
                                          const std::function<QDateTime()> &now);

// How a failed code exchange shows as a sign-in error.
AuthError signInErrorFromBackend(const BackendAPIError &error);

} // namespace AuthReplies

#include "account/SyncRequests.h"

#include "account/BackendAPIClient.h"
#include "account/SyncLogging.h"
#include "platform/OrderedJson.h"

#include <chrono>

using namespace std::chrono_literals;

namespace SyncRequests {

namespace {

BackendRequest syncPost(QString path, QByteArray body, QString token)
{
    BackendRequest request{"POST", std::move(path), std::move(body), 60s, std::move(token)};
    // A first pull brings the account's whole history; every other reply is small.
    if (request.path == QLatin1String(kPullPath))
        request.maxReplyBytes = 64 * 1024 * 1024;
    return request;
}

// Free coroutines with by-value parameters: nothing they use lives in a
// lambda's captures, which could go away while they are suspended.
QCoro::Task<std::expected<QJsonObject, BackendAPIError>> postForObject(BackendAPIClient *client, QString path,
                                                                       QByteArray body, QString token)
{
    // Called first, awaited after: GCC 12 destroys the arguments of a
    // coroutine call made inside co_await twice.
    auto sending = client->sendForJSONObject(syncPost(path, body, token));
    co_return co_await sending;
}

QCoro::Task<std::expected<void, BackendAPIError>> postIgnoringReply(BackendAPIClient *client, QString path,
                                                                    QByteArray body, QString token)
{
    auto sending = client->sendIgnoringReply(syncPost(path, body, token));
    co_return co_await sending;
}

} // namespace

QString pathFor(OfflineSyncKind kind)
{
    switch (kind) {
    case OfflineSyncKind::settings: return QString::fromLatin1(kSettingsPath);
    case OfflineSyncKind::rule: return QString::fromLatin1(kRulesPath);
    case OfflineSyncKind::dictionaryEntry: return QString::fromLatin1(kDictionaryEntriesPath);
    case OfflineSyncKind::deleteTranscription: return QString::fromLatin1(kTranscriptionsPath);
    }
    return {};
}

QCoro::Task<std::expected<SyncPullResponse, BackendAPIError>> pull(BackendAPIClient &client, double since,
                                                                    QString timeZone)
{
    const QByteArray body = OrderedJson::object({
        {QStringLiteral("since"), OrderedJson::value(since)},
        {QStringLiteral("timeZone"), OrderedJson::value(timeZone)},
    });
    BackendAPIClient *c = &client;
    auto pulling = client.withAuthorizedRetryForJSONObject(
        [c, body](QString token) { return postForObject(c, QString::fromLatin1(kPullPath), body, token); },
        [](const QJsonObject &object) -> std::optional<SyncPullResponse> {
            auto decoded = SyncPullResponse::fromJson(object);
            if (!decoded) {
                qCWarning(lcSyncManager, "Unreadable pull reply: %s", qUtf8Printable(decoded.error()));
                return std::nullopt;
            }
            return *decoded;
        });
    co_return co_await pulling;
}

QCoro::Task<std::expected<void, BackendAPIError>> post(BackendAPIClient &client, QString path, QByteArray body)
{
    BackendAPIClient *c = &client;
    auto posting = client.withAuthorizedRetry(
        [c, path, body](QString token) { return postIgnoringReply(c, path, body, token); });
    co_return co_await posting;
}

QByteArray deleteTranscriptionBody(const QString &clientId, double deletedAtMs)
{
    return OrderedJson::object({
        {QStringLiteral("clientId"), OrderedJson::value(clientId.toUpper())},
        {QStringLiteral("isDeleted"), OrderedJson::value(true)},
        {QStringLiteral("updatedAt"), OrderedJson::value(deletedAtMs)},
    });
}

} // namespace SyncRequests

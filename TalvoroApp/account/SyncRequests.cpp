#include "account/SyncRequests.h"

#include "account/BackendAPIClient.h"
#include "account/SyncLogging.h"
#include "platform/OrderedJson.h"

#include <QJsonDocument>

#include <chrono>

using namespace std::chrono_literals;

namespace SyncRequests {

namespace {

BackendRequest syncPost(QString path, QByteArray body, QString token, QPointer<RequestCancellation> cancellation)
{
    BackendRequest request{"POST", std::move(path), std::move(body), 60s, std::move(token)};
    request.cancellation = std::move(cancellation);
    return request;
}

// Free coroutines with by-value parameters: nothing they use lives in a
// lambda's captures, which could go away while they are suspended.
QCoro::Task<std::expected<QJsonObject, BackendAPIError>> postForObject(BackendAPIClient *client, QString path,
                                                                       QByteArray body, QString token,
                                                                       QPointer<RequestCancellation> cancellation)
{
    // Called first, awaited after: GCC 12 destroys the arguments of a
    // coroutine call made inside co_await twice.
    auto sending = client->send(syncPost(path, body, token, cancellation));
    const auto reply = co_await sending;
    if (!reply)
        co_return std::unexpected(reply.error());
    // The documented reply is a 200: a 201 or 202 may mean the change was
    // only taken for later, which is not delivery.
    const QJsonDocument document = QJsonDocument::fromJson(reply->body);
    if (reply->status != 200 || !document.isObject()) {
        qCWarning(lcSyncManager, "Reply to %s is not the documented one (status %d); not counted as delivered",
                  qUtf8Printable(path), reply->status);
        co_return std::unexpected(BackendAPIError::parseError());
    }
    co_return document.object();
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

bool isDocumentedReply(const QString &path, const QJsonObject &reply)
{
    if (path == QLatin1String(kPushPath)) {
        return reply.value(QLatin1String("transcriptions")).isDouble()
            && reply.value(QLatin1String("rules")).isDouble()
            && reply.value(QLatin1String("dictionaryEntries")).isDouble();
    }
    return reply.value(QLatin1String("applied")).isBool();
}

QCoro::Task<std::expected<bool, BackendAPIError>> post(BackendAPIClient &client, QString path, QByteArray body,
                                                       QPointer<RequestCancellation> cancellation)
{
    BackendAPIClient *c = &client;
    auto posting = client.withAuthorizedRetryForJSONObject(
        [c, path, body, cancellation](QString token) { return postForObject(c, path, body, token, cancellation); },
        [path](const QJsonObject &reply) -> std::optional<bool> {
            if (isDocumentedReply(path, reply))
                return reply.value(QLatin1String("applied")).toBool(true);
            qCWarning(lcSyncManager, "Reply to %s is not the documented one; not counted as delivered",
                      qUtf8Printable(path));
            return std::nullopt;
        });
    co_return co_await posting;
}

bool isWorthRetrying(const BackendAPIError &error)
{
    if (error.isRetryable())
        return true;
    // A 2xx that is not the documented reply, or a redirect: something between
    // us and the backend (a captive portal, a proxy) answered instead.
    return error.kind() == BackendAPIError::Kind::parseError
        || (error.kind() == BackendAPIError::Kind::serverError && error.statusCode() >= 300
            && error.statusCode() < 400);
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

// The synchronisation paths (sync/...): docs/backend-api.md, "Synchronisation".
#include "backend-local/BackendServer.h"
#include "backend-local/SyncAccount.h"

#include <QTimeZone>

namespace backendlocal {

namespace {

using Operation = std::function<Response(SyncAccount &, const QJsonObject &, qint64 nowMs)>;

// Runs `operation` on the signed-in user's sync state and stores it back.
BackendServer::Handler onAccount(BackendServer &server, Operation operation)
{
    return [&server, operation](Request &request) -> Response {
        User *user = server.state().user(request.userId);
        if (!user)
            return Response::error(401, QStringLiteral("unauthorized"), QStringLiteral("Unknown user"));
        const auto body = request.jsonObject();
        if (!body)
            return Response::error(400, QStringLiteral("invalid_body"), QStringLiteral("Body must be a JSON object"));
        SyncAccount account(user->sync);
        Response response = operation(account, *body, server.state().nowMs());
        if (response.status == 200)
            user->sync = account.toJson();
        return response;
    };
}

Response applied(const std::expected<bool, QString> &result)
{
    if (!result)
        return Response::error(400, QStringLiteral("invalid_payload"), result.error());
    return Response::json({{QStringLiteral("applied"), *result}});
}

} // namespace

void registerSyncRoutes(BackendServer &server)
{
    const auto access = BackendServer::Access::Authenticated;

    server.addRoute("POST", QStringLiteral("sync/pull"), access,
                    onAccount(server, [](SyncAccount &account, const QJsonObject &body, qint64 now) {
                        const QJsonValue since = body.value(QLatin1String("since"));
                        if (!since.isUndefined() && !since.isDouble())
                            return Response::error(400, QStringLiteral("invalid_payload"),
                                                   QStringLiteral("since must be a number"));
                        QTimeZone zone(body.value(QLatin1String("timeZone")).toString().toUtf8());
                        if (!zone.isValid())
                            zone = QTimeZone::utc();
                        return Response::json(account.pull(qint64(since.toDouble()), zone, now));
                    }));

    server.addRoute("POST", QStringLiteral("sync/push"), access,
                    onAccount(server, [](SyncAccount &account, const QJsonObject &body, qint64 now) {
                        auto counts = account.pushAll(body, now);
                        if (!counts)
                            return Response::error(400, QStringLiteral("invalid_payload"), counts.error());
                        return Response::json(*counts);
                    }));

    server.addRoute("POST", QStringLiteral("sync/rules"), access,
                    onAccount(server, [](SyncAccount &account, const QJsonObject &body, qint64 now) {
                        return applied(account.pushRule(body, now));
                    }));

    server.addRoute("POST", QStringLiteral("sync/dictionary-entries"), access,
                    onAccount(server, [](SyncAccount &account, const QJsonObject &body, qint64 now) {
                        return applied(account.pushDictionaryEntry(body, now));
                    }));

    server.addRoute("POST", QStringLiteral("sync/transcriptions"), access,
                    onAccount(server, [](SyncAccount &account, const QJsonObject &body, qint64 now) {
                        if (body.value(QLatin1String("isDeleted")).toBool())
                            return applied(account.deleteTranscription(body, now));
                        return applied(account.pushTranscription(body, now));
                    }));

    server.addRoute("POST", QStringLiteral("sync/settings"), access,
                    onAccount(server, [](SyncAccount &account, const QJsonObject &body, qint64 now) {
                        return applied(account.pushSettings(body, now));
                    }));
}

} // namespace backendlocal

// The synchronisation paths (sync/...): docs/backend-api.md, "Synchronisation".
#include "backend-local/BackendServer.h"
#include "backend-local/SyncAccount.h"

#include <QJsonArray>
#include <QTimeZone>

#include <algorithm>
#include <QUuid>

namespace backendlocal {

namespace {

using Operation = std::function<Response(SyncAccount &, const QJsonObject &, qint64 nowMs)>;

enum class Stores { back, nothing };

// Runs `operation` on the signed-in user's sync state and stores it back
// (a pull changes nothing, and skips that).
BackendServer::Handler onAccount(BackendServer &server, Operation operation, Stores stores = Stores::back)
{
    return [&server, operation, stores](Request &request) -> Response {
        User *user = server.state().user(request.userId);
        if (!user)
            return Response::error(401, QStringLiteral("unauthorized"), QStringLiteral("Unknown user"));
        const auto body = request.jsonObject();
        if (!body)
            return Response::error(400, QStringLiteral("invalid_body"), QStringLiteral("Body must be a JSON object"));
        SyncAccount account(user->sync);
        Response response = operation(account, *body, server.state().nowMs());
        if (response.status == 200 && stores == Stores::back)
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
                        QStringList kinds;
                        for (const QJsonValue &kind : body.value(QLatin1String("kinds")).toArray())
                            kinds.append(kind.toString());
                        // Clamped before the cast: 1e308 does not fit a qint64.
                        const double sinceMs = std::clamp(since.toDouble(), 0.0, 9.2e18);
                        return Response::json(account.pull(qint64(sinceMs), zone, now, {}, kinds));
                    }, Stores::nothing));

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

    // Fills the account with `count` transcriptions at once (the benchmarks'
    // large accounts; through sync/push they would take minutes).
    server.addRoute("POST", QStringLiteral("_test/seed-transcriptions"), access,
                    onAccount(server, [](SyncAccount &account, const QJsonObject &body, qint64 now) {
                        const int count = body.value(QLatin1String("count")).toInt();
                        const int textBytes = body.value(QLatin1String("textBytes")).toInt(800);
                        const QString filler = QStringLiteral("com algumas palavras para ocupar o espaço de uma frase comum ");
                        const double startMs = 1.7e12;
                        for (int i = 0; i < count; ++i) {
                            const double created = startMs + i * 60'000.0;
                            QString text = QStringLiteral("Ditado número %1 ").arg(i);
                            while (text.size() < textBytes)
                                text += filler;
                            const QJsonObject row{
                                {QStringLiteral("clientId"), QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()},
                                {QStringLiteral("text"), text.left(textBytes)},
                                {QStringLiteral("createdAt"), created},
                                {QStringLiteral("wordCount"), 14},
                                {QStringLiteral("durationSeconds"), 4.5},
                                {QStringLiteral("language"), QStringLiteral("pt")},
                            };
                            account.pushTranscription(row, now);
                        }
                        return Response::json({{QStringLiteral("transcriptions"), count}});
                    }));
}

} // namespace backendlocal

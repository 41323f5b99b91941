// Feedback records and their screenshot uploads.
#include "backend-local/BackendServer.h"

#include <QDateTime>
#include <QStringList>

namespace backendlocal {

QJsonObject makeUploadSlot(BackendServer &server, const QString &userId, const QString &purpose);

void registerFeedbackRoutes(BackendServer &server)
{
    using Access = BackendServer::Access;

    server.addRoute("POST", QStringLiteral("feedback/upload-url"), Access::Authenticated, [&server](Request &request) {
        return Response::json(makeUploadSlot(server, request.userId, QStringLiteral("feedback")));
    });

    server.addRoute("POST", QStringLiteral("feedback"), Access::Authenticated, [&server](Request &request) {
        const auto body = request.jsonObject();
        if (!body)
            return Response::error(400, QStringLiteral("invalid_request"), QStringLiteral("A JSON body is required"));
        for (const char *key : {"topic", "subject", "description", "appVersion", "locale", "platform"}) {
            if (!body->value(QLatin1String(key)).isString())
                return Response::error(400, QStringLiteral("invalid_request"),
                                       QStringLiteral("%1 must be a string").arg(QLatin1String(key)));
        }
        const QString topic = body->value(QLatin1String("topic")).toString();
        static const QStringList topics{QStringLiteral("bug"), QStringLiteral("suggestion"), QStringLiteral("question"),
                                        QStringLiteral("praise")};
        if (!topics.contains(topic))
            return Response::error(400, QStringLiteral("invalid_request"), QStringLiteral("Unknown topic"));
        const QJsonValue images = body->value(QLatin1String("imageStorageIds"));
        if (!images.isArray() || images.toArray().size() > 3)
            return Response::error(400, QStringLiteral("invalid_request"), QStringLiteral("imageStorageIds must be an array of at most 3"));
        for (const QJsonValue &id : images.toArray()) {
            if (!id.isString() || !server.state().files.contains(id.toString()))
                return Response::error(400, QStringLiteral("invalid_storage_id"), QStringLiteral("Unknown storageId"));
        }
        QJsonObject record = *body;
        const QString feedbackId = BackendState::newId();
        record.insert(QStringLiteral("id"), feedbackId);
        record.insert(QStringLiteral("receivedAt"), QDateTime::currentMSecsSinceEpoch());
        server.state().user(request.userId)->feedback.append(record);
        return Response::json({{QStringLiteral("feedbackId"), feedbackId}});
    });
}

} // namespace backendlocal

// The signed-in user's profile, avatar and account.
#include "backend-local/BackendServer.h"

namespace backendlocal {

namespace {

QUrl uploadURL(const QUrl &baseURL, const QString &slot)
{
    return QUrl(baseURL.toString() + QStringLiteral("storage/upload/") + slot);
}

} // namespace

// Shared with the feedback routes: a single-use upload URL for the user.
QJsonObject makeUploadSlot(BackendServer &server, const QString &userId, const QString &purpose)
{
    const QString slot = BackendState::newToken();
    server.state().uploadSlots.insert(slot, {purpose, userId});
    return {{QStringLiteral("uploadUrl"), uploadURL(server.baseURL(), slot).toString()},
            {QStringLiteral("expiresIn"), 900}};
}

void registerUserRoutes(BackendServer &server)
{
    using Access = BackendServer::Access;

    server.addRoute("GET", QStringLiteral("user/me"), Access::Authenticated, [&server](Request &request) {
        return Response::json(server.state().userJSON(*server.state().user(request.userId), server.baseURL()));
    });

    server.addRoute("POST", QStringLiteral("user/avatar/upload-url"), Access::Authenticated, [&server](Request &request) {
        return Response::json(makeUploadSlot(server, request.userId, QStringLiteral("avatar")));
    });

    server.addRoute("POST", QStringLiteral("user/avatar"), Access::Authenticated, [&server](Request &request) {
        const auto body = request.jsonObject();
        const QString storageId = body ? body->value(QLatin1String("storageId")).toString() : QString();
        if (storageId.isEmpty())
            return Response::error(400, QStringLiteral("invalid_request"), QStringLiteral("storageId is required"));
        const auto file = server.state().files.constFind(storageId);
        if (file == server.state().files.cend() || file->ownerUserId != request.userId)
            return Response::error(400, QStringLiteral("invalid_storage_id"), QStringLiteral("Unknown storageId"));
        User &user = *server.state().user(request.userId);
        user.avatarStorageId = storageId;
        return Response::json({{QStringLiteral("avatarUrl"),
                                BackendState::fileURL(server.baseURL(), storageId).toString()}});
    });

    server.addRoute("DELETE", QStringLiteral("user/avatar"), Access::Authenticated, [&server](Request &request) {
        server.state().user(request.userId)->avatarStorageId.clear();
        return Response::json({{QStringLiteral("success"), true}});
    });

    server.addRoute("DELETE", QStringLiteral("user/account"), Access::Authenticated, [&server](Request &request) {
        server.state().deleteUser(request.userId);
        return Response::json({{QStringLiteral("success"), true}});
    });
}

} // namespace backendlocal

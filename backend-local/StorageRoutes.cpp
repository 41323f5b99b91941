// Uploads to storage through single-use upload URLs, and the download of
// stored files (avatar pictures). The upload URL is the credential, so
// neither path takes a bearer token.
#include "backend-local/BackendServer.h"

namespace backendlocal {

void registerStorageRoutes(BackendServer &server)
{
    using Access = BackendServer::Access;
    const QString uploadPrefix = QStringLiteral("storage/upload/");
    const QString filesPrefix = QStringLiteral("storage/files/");

    server.addPrefixRoute("POST", uploadPrefix, Access::Public, [&server, uploadPrefix](Request &request) {
        BackendState &state = server.state();
        const QString slotId = request.path.mid(uploadPrefix.size());
        if (!state.uploadSlots.contains(slotId))
            return Response::error(404, QStringLiteral("unknown_upload_url"), QStringLiteral("Upload URL is invalid or used"));
        if (request.body.size() > BackendServer::kMaxUploadBodyBytes)
            return Response::error(413, QStringLiteral("file_too_large"), QStringLiteral("File exceeds 10 MiB"));
        const QByteArray type = request.header("content-type").split(';').first().trimmed();
        if (type != "image/jpeg" && type != "image/png")
            return Response::error(415, QStringLiteral("unsupported_media_type"), QStringLiteral("Only images are accepted"));
        if (request.body.isEmpty())
            return Response::error(400, QStringLiteral("invalid_request"), QStringLiteral("Empty upload"));
        const UploadSlot slot = state.uploadSlots.take(slotId);
        const QString storageId = BackendState::newId();
        state.files.insert(storageId, {request.body, type, slot.userId});
        return Response::json({{QStringLiteral("storageId"), storageId}});
    });

    server.addPrefixRoute("GET", filesPrefix, Access::Public, [&server, filesPrefix](Request &request) {
        const auto file = server.state().files.constFind(request.path.mid(filesPrefix.size()));
        if (file == server.state().files.cend())
            return Response::error(404, QStringLiteral("not_found"), QStringLiteral("No such file"));
        return Response{200, file->data, file->contentType, {{"Cache-Control", "public, max-age=31536000"}}};
    });
}

} // namespace backendlocal

#include "backend-local/BackendTypes.h"

#include <QJsonDocument>

namespace backendlocal {

std::optional<QJsonObject> Request::jsonObject() const
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

Response Response::json(const QJsonObject &object, int status)
{
    return {status, QJsonDocument(object).toJson(QJsonDocument::Compact), "application/json", {}};
}

Response Response::error(int status, const QString &code, const QString &message)
{
    return json({{QStringLiteral("error"), code}, {QStringLiteral("message"), message}}, status);
}

Response Response::html(const QString &page, int status)
{
    return {status, page.toUtf8(), "text/html; charset=utf-8", {}};
}

Response Response::redirect(const QUrl &location)
{
    return {302, QByteArray(), "text/plain", {{"Location", location.toString(QUrl::FullyEncoded).toUtf8()}}};
}

} // namespace backendlocal

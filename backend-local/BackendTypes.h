#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>
#include <QUrlQuery>

#include <optional>

namespace backendlocal {

// A request as the route handlers see it (copied out of the HTTP server so a
// delayed answer can still read it).
struct Request
{
    QByteArray method;
    QString path; // without the leading "/", e.g. "auth/session"
    QUrlQuery query;
    QByteArray body;
    QHash<QByteArray, QByteArray> headers; // names lower-cased
    // Set by the server for routes that require a bearer token.
    QString userId;

    QByteArray header(const QByteArray &name) const { return headers.value(name.toLower()); }
    // The body as a JSON object; nullopt when it is not one.
    std::optional<QJsonObject> jsonObject() const;
};

struct Response
{
    int status = 200;
    QByteArray body;
    QByteArray contentType = "application/json";
    QList<QPair<QByteArray, QByteArray>> headers;

    static Response json(const QJsonObject &object, int status = 200);
    // {"error": code, "message": message} with the status.
    static Response error(int status, const QString &code, const QString &message);
    static Response html(const QString &page, int status = 200);
    static Response redirect(const QUrl &location);
};

} // namespace backendlocal

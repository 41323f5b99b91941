#include "AvatarTestServer.h"

#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

AvatarTestServer::AvatarTestServer(QObject *parent)
    : QObject(parent)
    , m_http(std::make_unique<QHttpServer>())
{
    m_http->setMissingHandler([this](const QHttpServerRequest &request, QHttpServerResponder &&responder) {
        QString path = request.url().path();
        while (path.startsWith(QLatin1Char('/')))
            path.remove(0, 1);
        m_requestCounts[path] += 1;

        int status = 200;
        QByteArray body;
        QByteArray type;
        if (const auto file = m_files.constFind(path); file != m_files.cend()) {
            body = file->data;
            type = file->contentType;
        } else {
            status = 404;
            body = R"({"error":"not_found"})";
            type = "application/json";
        }
        std::chrono::milliseconds delay{0};
        if (auto failure = m_failures.find(path); failure != m_failures.end() && failure->times > 0) {
            failure->times -= 1;
            delay = failure->delay;
            if (failure->status > 0) {
                status = failure->status;
                body = failure->body.isEmpty() ? QByteArray(R"({"error":"injected_failure"})") : failure->body;
                type = failure->contentType;
            }
            if (failure->times == 0)
                m_failures.erase(failure);
        }
        auto respond = [this, path, status, body, type](QHttpServerResponder &out) {
            out.write(body, type, QHttpServerResponder::StatusCode(status));
            Q_EMIT requestHandled(path, status);
        };
        if (delay.count() <= 0) {
            respond(responder);
            return;
        }
        // The client may hang up while the answer is held; the socket is
        // gone then and nothing may be written.
        QPointer<QTcpSocket> socket = responder.socket();
        auto held = std::make_shared<QHttpServerResponder>(std::move(responder));
        QTimer::singleShot(delay, this, [this, path, respond, held, socket] {
            if (socket && socket->state() == QAbstractSocket::ConnectedState)
                respond(*held);
            else
                Q_EMIT requestHandled(path, 0);
        });
    });
}

AvatarTestServer::~AvatarTestServer() = default;

quint16 AvatarTestServer::listen()
{
    m_port = m_http->listen(QHostAddress::LocalHost, 0);
    return m_port;
}

QUrl AvatarTestServer::baseURL() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_port));
}

QUrl AvatarTestServer::addFile(const QString &id, const QByteArray &data, const QByteArray &contentType)
{
    m_files.insert(QStringLiteral("storage/files/") + id, {data, contentType});
    return baseURL().resolved(QUrl(QStringLiteral("storage/files/") + id));
}

void AvatarTestServer::injectFailure(const QString &path, Failure failure)
{
    m_failures.insert(path, failure);
}

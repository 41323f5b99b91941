#include "backend-local/BackendServer.h"

#include <QAbstractHttpServer>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <utility>

Q_LOGGING_CATEGORY(lcBackendLocal, "com.torvenak.talvoro-mac.BackendLocal")

namespace backendlocal {

// Hands every request to the backend with its socket. (A responder of this
// Qt version must answer before the handler returns, so delayed answers are
// written to the socket directly.)
class LoopbackHttpServer final : public QAbstractHttpServer
{
public:
    explicit LoopbackHttpServer(BackendServer &backend) : m_backend(backend) {}

    using QAbstractHttpServer::makeResponder;

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override
    {
        m_backend.receive(request, socket);
        return true;
    }
    void missingHandler(const QHttpServerRequest &, QTcpSocket *) override {}

private:
    BackendServer &m_backend;
};

// Refuses a request whose body is over its limit before QtHttpServer, which
// buffers a whole body before handing the request over, reads it: the head
// is peeked from the socket and its Content-Length checked, and the bytes of
// a body without one are counted as they arrive. Connected to each socket
// before the HTTP server is, so it sees every chunk first.
class BodyLimitingTcpServer final : public QTcpServer
{
public:
    explicit BodyLimitingTcpServer(BackendServer &backend, QObject *parent) : QTcpServer(parent), m_backend(backend) {}

    // The socket's request reached the backend: the next bytes start another.
    void requestReceived(QTcpSocket *socket) { m_guards.remove(socket); }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto *socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { inspect(socket); });
        connect(socket, &QObject::destroyed, this, [this, socket] { m_guards.remove(socket); });
        addPendingConnection(socket);
    }

private:
    static constexpr qint64 kMaxHeadBytes = 16 * 1024;

    struct Guard
    {
        qint64 limit = -1; // not known before the head is complete
        qint64 bodyBytes = 0;
        bool refused = false;
    };

    void inspect(QTcpSocket *socket)
    {
        Guard &guard = m_guards[socket];
        if (guard.refused) {
            socket->readAll(); // nothing more of this connection is read
            return;
        }
        const qint64 available = socket->bytesAvailable();
        if (guard.limit < 0) {
            const QByteArray head = socket->peek(kMaxHeadBytes + 4);
            const qsizetype end = head.indexOf("\r\n\r\n");
            if (end < 0) {
                if (head.size() > kMaxHeadBytes)
                    refuse(socket, guard, 431, "Request Header Fields Too Large");
                return;
            }
            const QByteArray headLines = head.left(end);
            const QByteArray target = headLines.left(headLines.indexOf('\n')).split(' ').value(1);
            guard.limit = m_backend.bodyLimit(QUrl::fromEncoded(target).path().mid(1),
                                              headerValue(headLines, "authorization").value_or(QByteArray()));
            guard.bodyBytes = -(end + 4);
            const auto declared = headerValue(headLines, "content-length");
            if (declared && declared->toLongLong() > guard.limit) {
                refuse(socket, guard, 413, "Payload Too Large");
                return;
            }
        }
        guard.bodyBytes += available;
        if (guard.bodyBytes > guard.limit)
            refuse(socket, guard, 413, "Payload Too Large");
    }

    static std::optional<QByteArray> headerValue(const QByteArray &head, const QByteArray &name)
    {
        for (const QByteArray &line : head.split('\n')) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).trimmed().toLower() == name)
                return line.mid(colon + 1).trimmed();
        }
        return std::nullopt;
    }

    static void refuse(QTcpSocket *socket, Guard &guard, int status, const QByteArray &reason)
    {
        guard.refused = true;
        socket->readAll();
        const QByteArray body = R"({"error":"request_too_large","message":")" + reason + "\"}";
        socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reason
                      + "\r\nContent-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size())
                      + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    BackendServer &m_backend;
    QHash<QTcpSocket *, Guard> m_guards;
};

namespace {

QByteArray methodName(QHttpServerRequest::Method method)
{
    switch (method) {
    case QHttpServerRequest::Method::Get: return "GET";
    case QHttpServerRequest::Method::Put: return "PUT";
    case QHttpServerRequest::Method::Delete: return "DELETE";
    case QHttpServerRequest::Method::Post: return "POST";
    case QHttpServerRequest::Method::Head: return "HEAD";
    case QHttpServerRequest::Method::Options: return "OPTIONS";
    case QHttpServerRequest::Method::Patch: return "PATCH";
    default: return "UNKNOWN";
    }
}

void writeResponse(QHttpServerResponder &responder, const Response &response)
{
    responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(response.status));
    responder.writeHeader("Content-Type", response.contentType);
    for (const auto &[name, value] : response.headers)
        responder.writeHeader(name, value);
    responder.writeHeader("Content-Length", QByteArray::number(response.body.size()));
    responder.writeBody(response.body);
}

// The whole reply on a socket that may have gone meanwhile; the connection
// closes after it.
void writeDelayedResponse(QTcpSocket *socket, const Response &response)
{
    if (!socket || socket->state() != QAbstractSocket::ConnectedState)
        return;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Status\r\n";
    head += "Content-Type: " + response.contentType + "\r\n";
    for (const auto &[name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\nConnection: close\r\n\r\n";
    socket->write(head + response.body);
    socket->disconnectFromHost();
}

} // namespace

BackendServer::BackendServer(QString stateFile, QObject *parent)
    : QObject(parent), m_http(std::make_unique<LoopbackHttpServer>(*this)), m_stateFile(std::move(stateFile))
{
    if (!m_stateFile.isEmpty() && !m_state.loadFromFile(m_stateFile))
        qCWarning(lcBackendLocal) << "State file is unreadable; starting empty:" << m_stateFile;

    registerAuthRoutes(*this);
    registerUserRoutes(*this);
    registerFeedbackRoutes(*this);
    registerStorageRoutes(*this);
    registerSyncRoutes(*this);
    registerTestControlRoutes();
}

void BackendServer::receive(const QHttpServerRequest &httpRequest, QTcpSocket *socket)
{
    // Every request goes through our own table, so failure injection and the
    // token check apply to every path alike.
    auto request = std::make_shared<Request>();
    request->method = methodName(httpRequest.method());
    request->path = httpRequest.url().path();
    while (request->path.startsWith(QLatin1Char('/')))
        request->path.remove(0, 1);
    request->query = httpRequest.query();
    request->body = httpRequest.body();
    for (const auto &[name, value] : httpRequest.headers())
        request->headers.insert(name.toLower(), value);
    m_tcp->requestReceived(socket);
    if (m_requestCounts.size() < kMaxCountedPaths || m_requestCounts.contains(request->path))
        m_requestCounts[request->path] += 1;

    std::optional<Response> injected;
    std::chrono::milliseconds delay{0};
    bool loseReply = false;
    bool held = false;
    auto failure = m_failures.find(request->path);
    if (failure == m_failures.end()) {
        for (auto script = m_prefixScripts.begin(); script != m_prefixScripts.end(); ++script) {
            if (!request->path.startsWith(script.key()) || script->isEmpty())
                continue;
            Failure entry = script->first();
            if (--script->first().times <= 0)
                script->removeFirst();
            entry.times = 1;
            failure = m_failures.insert(request->path, entry);
            break;
        }
    }
    if (failure != m_failures.end() && failure->times > 0) {
        failure->times -= 1;
        delay = failure->delay;
        loseReply = failure->status == Failure::kLostReply;
        held = failure->held;
        if (failure->status > 0) {
            injected = !failure->body
                ? Response::error(failure->status, QStringLiteral("injected_failure"), QStringLiteral("Injected failure"))
                : Response{failure->status, *failure->body, failure->contentType, failure->headers};
            if (failure->status == 429)
                injected->headers.append(qMakePair(QByteArray("Retry-After"), QByteArray("7")));
        }
        if (failure->times == 0)
            m_failures.erase(failure);
    }

    if (delay.count() <= 0 && !loseReply && !held) {
        const Response response = injected ? *injected : dispatch(*request);
        QHttpServerResponder responder = LoopbackHttpServer::makeResponder(httpRequest, socket);
        writeResponse(responder, response);
        Q_EMIT requestHandled(request->path, response.status);
        return;
    }
    auto answer = [this, request, injected, loseReply, target = QPointer<QTcpSocket>(socket)] {
        const Response response = injected ? *injected : dispatch(*request);
        if (loseReply) {
            if (target)
                target->abort();
            return;
        }
        writeDelayedResponse(target.data(), response);
        Q_EMIT requestHandled(request->path, response.status);
    };
    if (held) {
        m_held.push_back(std::move(answer));
        Q_EMIT requestHeld(request->path);
        return;
    }
    QTimer::singleShot(delay, this, std::move(answer));
}

void BackendServer::releaseHeld()
{
    // A handler may hold another request; that one waits for the next release.
    for (const auto &answer : std::exchange(m_held, {}))
        answer();
}

BackendServer::~BackendServer() = default;

quint16 BackendServer::listen(quint16 port)
{
    auto *tcp = new BodyLimitingTcpServer(*this, this);
    if (!tcp->listen(QHostAddress::LocalHost, port)) {
        delete tcp;
        return 0;
    }
    m_tcp = tcp;
    m_http->bind(tcp);
    m_port = tcp->serverPort();
    return m_port;
}

qint64 BackendServer::bodyLimit(const QString &path, const QByteArray &authorization) const
{
    static const QString uploadPrefix = QStringLiteral("storage/upload/");
    if (path.startsWith(uploadPrefix) && m_state.uploadSlots.contains(path.mid(uploadPrefix.size())))
        return kMaxUploadBodyBytes;
    // A known token, even an expired one: its request is to get a 401 (and
    // be retried after a refresh), not a 413.
    if (authorization.startsWith("Bearer ")
        && m_state.accessTokens.contains(QString::fromLatin1(authorization.mid(7).trimmed())))
        return kMaxAuthenticatedBodyBytes;
    return kMaxPublicBodyBytes;
}

QUrl BackendServer::baseURL() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_port));
}

void BackendServer::addRoute(const QByteArray &method, const QString &path, Access access, Handler handler)
{
    m_routes.push_back({method, path, false, access, std::move(handler)});
}

void BackendServer::addPrefixRoute(const QByteArray &method, const QString &prefix, Access access, Handler handler)
{
    m_routes.push_back({method, prefix, true, access, std::move(handler)});
}

void BackendServer::injectFailure(const QString &path, Failure failure)
{
    if (path.endsWith(QLatin1Char('*')))
        scriptRequestsUnder(path.chopped(1), {std::move(failure)});
    else
        m_failures.insert(path, std::move(failure));
}

void BackendServer::scriptRequestsUnder(const QString &prefix, QList<Failure> script)
{
    m_prefixScripts.insert(prefix, std::move(script));
}

void BackendServer::clearFailures()
{
    m_failures.clear();
    m_prefixScripts.clear();
}

std::optional<QString> BackendServer::authenticatedUser(const Request &request) const
{
    const QByteArray header = request.header("authorization");
    if (!header.startsWith("Bearer "))
        return std::nullopt;
    return m_state.userForAccessToken(QString::fromLatin1(header.mid(7).trimmed()));
}

void BackendServer::persist()
{
    if (!m_stateFile.isEmpty() && !m_state.saveToFile(m_stateFile))
        qCWarning(lcBackendLocal) << "Could not write the state file" << m_stateFile;
}

Response BackendServer::dispatch(Request &request)
{
    bool pathKnown = false;
    for (Route &route : m_routes) {
        const bool matches = route.prefix ? request.path.startsWith(route.path) && request.path.size() > route.path.size()
                                          : request.path == route.path;
        if (!matches)
            continue;
        pathKnown = true;
        if (route.method != request.method)
            continue;
        if (route.access == Access::Authenticated) {
            const auto user = authenticatedUser(request);
            if (!user)
                return Response::error(401, QStringLiteral("not_authenticated"), QStringLiteral("Missing or invalid access token"));
            request.userId = *user;
        }
        Response response = route.handler(request);
        if (request.method != "GET")
            persist();
        return response;
    }
    if (pathKnown)
        return Response::error(405, QStringLiteral("method_not_allowed"), QStringLiteral("Method not allowed"));
    return Response::error(404, QStringLiteral("not_found"), QStringLiteral("No such path"));
}

void BackendServer::registerTestControlRoutes()
{
    // Lets a developer script failures against the running executable:
    // {"path": "sync/pull", "times": 2, "status": 503, "delayMs": 0}
    addRoute("POST", QStringLiteral("_test/fail"), Access::Public, [this](Request &request) {
        const auto object = request.jsonObject();
        if (!object || !object->value(QLatin1String("path")).isString())
            return Response::error(400, QStringLiteral("invalid_request"), QStringLiteral("path is required"));
        Failure failure;
        failure.times = object->value(QLatin1String("times")).toInt(1);
        failure.status = object->value(QLatin1String("status")).toInt(500);
        failure.delay = std::chrono::milliseconds(object->value(QLatin1String("delayMs")).toInt(0));
        injectFailure(object->value(QLatin1String("path")).toString(), failure);
        return Response::json({{QStringLiteral("ok"), true}});
    });
    addRoute("POST", QStringLiteral("_test/expire-access-tokens"), Access::Public, [this](Request &) {
        m_state.expireAccessTokens();
        return Response::json({{QStringLiteral("ok"), true}});
    });
}

} // namespace backendlocal

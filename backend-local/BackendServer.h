#pragma once

#include "backend-local/BackendState.h"
#include "backend-local/BackendTypes.h"

#include <QHash>
#include <QObject>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QHttpServerRequest;
class QTcpSocket;


namespace backendlocal {

class BackendServer;
class BodyLimitingTcpServer;
class LoopbackHttpServer;

// Route registration of each area, one file each (AuthRoutes.cpp, ...).
void registerAuthRoutes(BackendServer &server);
void registerUserRoutes(BackendServer &server);
void registerFeedbackRoutes(BackendServer &server);
void registerStorageRoutes(BackendServer &server);
void registerSyncRoutes(BackendServer &server);

// The stand-in backend: HTTP on 127.0.0.1 only, routes registered per area,
// bearer-token checks, per-user state, and failure injection for tests.
// Lives on the thread that made it; start it in-process or through main.cpp.
class BackendServer : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<Response(Request &)>;

    enum class Access { Public, Authenticated };

    // A failure to inject: the next `times` requests of a path answer
    // `status` (0: answer normally) after `delay`. kLostReply: the request
    // is handled, then the connection closes without a reply.
    struct Failure
    {
        static constexpr int kLostReply = -1;

        int times = 1;
        int status = 500;
        std::chrono::milliseconds delay{0};
        std::optional<QByteArray> body; // none: {"error":"injected_failure",...}
        QByteArray contentType = "application/json";
        QList<QPair<QByteArray, QByteArray>> headers; // a redirect's Location, say
        // Neither handled nor answered until releaseHeld(), whatever the
        // delay: a reply the test lets go at the moment it chooses.
        bool held = false;
    };

    // With a state file, the state is read from it now and written after
    // every request that changes something.
    explicit BackendServer(QString stateFile = {}, QObject *parent = nullptr);
    ~BackendServer() override;

    // Listens on 127.0.0.1; port 0 picks a free one. The port, or 0 on failure.
    quint16 listen(quint16 port = 0);
    quint16 port() const { return m_port; }
    // "http://127.0.0.1:<port>/"
    QUrl baseURL() const;

    BackendState &state() { return m_state; }

    void addRoute(const QByteArray &method, const QString &path, Access access, Handler handler);
    // Matches every path that starts with the prefix; the handler reads the rest.
    void addPrefixRoute(const QByteArray &method, const QString &prefix, Access access, Handler handler);

    // A path ending in "*" names every path that starts with the rest (an
    // upload slot's random id, for example): the next `times` of them fail.
    void injectFailure(const QString &path, Failure failure);
    // A script for every path under `prefix`: requests take the entries in
    // order, each entry serving its `times` requests (status 0 answers
    // normally, after the entry's delay); past the end, requests run as usual.
    void scriptRequestsUnder(const QString &prefix, QList<Failure> script);
    void clearFailures();
    // Handles and answers the held requests, in the order they came; a
    // client that went away meanwhile gets nothing, but the request is handled.
    void releaseHeld();
    // Largest request bodies taken: a valid upload URL takes an image, a
    // valid bearer token the whole history of a first push, anything else
    // (unauthenticated) a small JSON object. Larger ones get 413 before
    // they are read.
    static constexpr qint64 kMaxUploadBodyBytes = 10 * 1024 * 1024;
    static constexpr qint64 kMaxAuthenticatedBodyBytes = 64 * 1024 * 1024;
    static constexpr qint64 kMaxPublicBodyBytes = 64 * 1024;
    // Request counts are kept for this many distinct paths at most.
    static constexpr qsizetype kMaxCountedPaths = 256;

    // The body limit of a request to the path (no leading "/") with that
    // Authorization header.
    qint64 bodyLimit(const QString &path, const QByteArray &authorization) const;

    // Requests received per path (all methods), failures included.
    int requestCount(const QString &path) const { return m_requestCounts.value(path); }
    void resetRequestCounts() { m_requestCounts.clear(); }

    // The user of the request's "Authorization: Bearer <token>"; nullopt when
    // the header is missing or the token unknown or expired.
    std::optional<QString> authenticatedUser(const Request &request) const;

    // Writes the state file now (no-op without one).
    void persist();

Q_SIGNALS:
    void requestHandled(const QString &path, int status);
    void requestHeld(const QString &path);

private:
    struct Route
    {
        QByteArray method;
        QString path;
        bool prefix = false;
        Access access = Access::Public;
        Handler handler;
    };

    Response dispatch(Request &request);
    void receive(const QHttpServerRequest &httpRequest, QTcpSocket *socket);
    friend class LoopbackHttpServer;
    void registerTestControlRoutes();

    std::unique_ptr<LoopbackHttpServer> m_http;
    BodyLimitingTcpServer *m_tcp = nullptr;
    BackendState m_state;
    QString m_stateFile;
    quint16 m_port = 0;
    std::vector<Route> m_routes;
    QHash<QString, Failure> m_failures;
    QHash<QString, QList<Failure>> m_prefixScripts;
    QHash<QString, int> m_requestCounts;
    std::vector<std::function<void()>> m_held;
};

} // namespace backendlocal

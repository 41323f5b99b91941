#include "account/AppConfig.h"
#include "account/BackendAPIClient.h"
#include "texts/Localization.h"
#include "support/AccountTestSupport.h"

#include <QNetworkReply>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QJsonDocument>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;
using Kind = BackendAPIError::Kind;

namespace {

// A tiny JPEG-looking payload; the stand-in checks the type header, not the bytes.
QByteArray jpegBytes(qsizetype size = 2048)
{
    QByteArray bytes(size, '\x5a');
    bytes[0] = '\xff';
    bytes[1] = '\xd8';
    return bytes;
}

struct SignedInClient
{
    LocalBackend backend;
    AuthHarness harness{backend.baseURL()};
    BackendAPIClient client{harness.authProvider(), &harness.network, backend.baseURL()};

    SignedInClient()
    {
        if (!harness.signIn())
            qFatal("sign-in failed");
        backend.server.resetRequestCounts();
    }

    std::expected<QJsonObject, BackendAPIError> avatarUploadURL()
    {
        return QCoro::waitFor(client.withAuthorizedRetryForJSONObject(
            [this](QString token) { return client.requestAvatarUploadURL(token); },
            [](const QJsonObject &object) { return std::optional<QJsonObject>(object); }));
    }
};

// A server that misbehaves on purpose: once a request's head has arrived it
// hands the socket to `answer`. Counts the connections and bytes it got.
class ScriptedServer : public QTcpServer
{
public:
    std::function<void(QTcpSocket *)> answer;
    int connections = 0;
    QByteArray received;

    explicit ScriptedServer(const QHostAddress &address = QHostAddress::LocalHost)
    {
        listen(address, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                ++connections;
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const bool headSeen = received.contains("\r\n\r\n");
                    received += socket->readAll();
                    if (!headSeen && received.contains("\r\n\r\n") && answer)
                        answer(socket);
                });
            }
        });
    }
    QUrl url() const { return QUrl(QStringLiteral("http://%1:%2/").arg(serverAddress().toString()).arg(serverPort())); }
};

} // namespace

class TestBackendAPIClient : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { talvoro::overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")}); }

    // The form's own tests send feedback through this client; here, the reply.
    void aFeedbackReplyWithoutAnIdIsAParseError()
    {
        SignedInClient s;
        s.backend.server.injectFailure(QStringLiteral("feedback"), {1, 200, 0ms, QByteArrayLiteral("{\"ok\":true}")});
        const auto missing = QCoro::waitFor(s.client.submitFeedback(
            {QStringLiteral("bug"), QStringLiteral("a"), QStringLiteral("b"), {}, QStringLiteral("1.0"),
             QStringLiteral("pt_BR"), QStringLiteral("linux")}));
        QVERIFY(!missing);
        QCOMPARE(missing.error().kind(), Kind::parseError);
    }

    // Strict JSON parsers refuse "\ud800": half a UTF-16 pair goes out as
    // U+FFFD, whole pairs as they are.
    void loneSurrogatesInFeedbackAreReplaced()
    {
        SignedInClient s;
        const QString subject = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b");
        const QString description = QChar(0xDC00) + QStringLiteral("😀") + QChar(0xD83D);
        const BackendAPIClient::FeedbackSubmission submission{QStringLiteral("bug"), subject, description, {},
                                                              QStringLiteral("1.0"), QStringLiteral("pt_BR"),
                                                              QStringLiteral("macos")};
        QVERIFY(!QJsonDocument(submission.toJSONObject()).toJson().contains("\\u"));
        QVERIFY(QCoro::waitFor(s.client.submitFeedback(submission)).has_value());
        const QJsonObject record =
            s.backend.state().users.value(*s.harness.auth->userId()).feedback.last().toObject();
        QCOMPARE(record.value(QLatin1String("subject")).toString(), QStringLiteral("a\uFFFDb"));
        QCOMPARE(record.value(QLatin1String("description")).toString(), QStringLiteral("\uFFFD😀\uFFFD"));
    }

    void a401RefreshesTheTokenAndRetriesExactlyOnce()
    {
        SignedInClient s;
        const QString before = *QCoro::waitFor(s.harness.auth->getValidAccessToken());
        // The server forgets the access token; the client still thinks it valid.
        s.backend.state().expireAccessTokens();
        LogCapture log;
        QVERIFY(s.avatarUploadURL());
        QCOMPARE(s.backend.server.requestCount(QStringLiteral("user/avatar/upload-url")), 2);
        QCOMPARE(s.backend.server.requestCount(QStringLiteral("auth/refresh")), 1);
        QVERIFY(log.contains(QStringLiteral("Got 401, forcing token refresh and retrying")));
        QVERIFY(*QCoro::waitFor(s.harness.auth->getValidAccessToken()) != before);

        // A second 401 after the refresh is the caller's failure, not a loop.
        s.backend.server.resetRequestCounts();
        s.backend.server.injectFailure(QStringLiteral("user/avatar/upload-url"), {2, 401});
        const auto refused = s.avatarUploadURL();
        QVERIFY(!refused);
        QCOMPARE(refused.error().kind(), Kind::notAuthenticated);
        QCOMPARE(s.backend.server.requestCount(QStringLiteral("user/avatar/upload-url")), 2);
        QCOMPARE(s.backend.server.requestCount(QStringLiteral("auth/refresh")), 1);
        QVERIFY(log.contains(QStringLiteral("Retry after token refresh failed: Não autenticado")));
        QVERIFY(s.harness.auth->isAuthenticated());

        // A refused refresh reports the session's end.
        s.backend.state().expireAccessTokens();
        s.backend.state().refreshTokens.clear();
        s.backend.state().spentRefreshTokens.clear();
        const auto ended = s.avatarUploadURL();
        QVERIFY(!ended);
        QCOMPARE(ended.error().kind(), Kind::notAuthenticated);
        QVERIFY(s.harness.auth->sessionExpired());
    }

    void statusCodesMapToTheirErrors_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("kind");
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("retryable");
        const auto row = [](const char *name, int status, const char *body, Kind kind, qint64 seconds, QString text,
                            bool retryable) {
            QTest::newRow(name) << status << QByteArray(body) << int(kind) << seconds << text << retryable;
        };
        row("429 with Retry-After", 429, "", Kind::rateLimited, 7,
            QStringLiteral("Limite de uso atingido. Tente novamente em 7 segundos."), true);
        row("hourly cap", 429, R"({"error":"hourly_cap_exceeded","retryAfter":120,"used":30,"limit":30})",
            Kind::hourlyCapExceeded, 7, {}, true);
        row("weekly cap", 403, R"({"error":"weekly_cap_exceeded","used":200,"limit":200})", Kind::weeklyCapExceeded,
            0, QStringLiteral("Limite semanal atingido (200/200)."), false);
        row("throttled", 503, R"({"error":"upload_preparation_throttled","retryAfter":12})",
            Kind::uploadPreparationThrottled, 12, {}, true);
        row("processing", 409, R"({"error":"processing_in_progress"})", Kind::processingInProgress, 0,
            QStringLiteral("O áudio ainda está sendo processado remotamente. Tente novamente em alguns segundos."), true);
        row("413", 413, "", Kind::fileTooLarge, 0, QStringLiteral("Arquivo muito grande para envio"), false);
        row("500 with message", 500, R"({"error":"boom","message":"Falhou"})", Kind::serverError, 0,
            QStringLiteral("Erro do servidor (500): Falhou"), true);
        row("502 not JSON", 502, "<html>Bad gateway</html>", Kind::serverError, 0,
            QStringLiteral("Erro do servidor (502): Algo deu errado do nosso lado. Tente novamente mais tarde."), true);
        row("599", 599, "", Kind::serverError, 0, {}, true);
        // Refused as they are: sending them again gets the same answer.
        row("400", 400, "", Kind::serverError, 0, {}, false);
        row("403", 403, "", Kind::serverError, 0, {}, false);
        row("404", 404, "", Kind::serverError, 0, {}, false);
        row("200 not JSON", 200, "<html>portal</html>", Kind::parseError, 0,
            QStringLiteral("Erro ao processar resposta"), false);
        row("200 JSON array", 200, "[1,2]", Kind::parseError, 0, {}, false);
        // Numbers no integer holds are held at the ends of the range, never cast as they are.
        row("retryAfter past any integer", 503, R"({"error":"upload_preparation_throttled","retryAfter":1e308})",
            Kind::uploadPreparationThrottled, 2147483647, {}, true);
        row("counts past any integer", 403, R"({"error":"weekly_cap_exceeded","used":1e308,"limit":-1e308})",
            Kind::weeklyCapExceeded, 0, QStringLiteral("Limite semanal atingido (2147483647/0)."), false);
    }

    void statusCodesMapToTheirErrors()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(int, kind);
        QFETCH(qint64, seconds);
        QFETCH(QString, text);
        QFETCH(bool, retryable);
        SignedInClient s;
        s.backend.server.injectFailure(QStringLiteral("user/avatar/upload-url"),
                                       {1, status, 0ms, body, body.startsWith('<') ? "text/html" : "application/json"});
        const auto result = s.avatarUploadURL();
        QVERIFY(!result);
        QCOMPARE(int(result.error().kind()), kind);
        if (seconds)
            QCOMPARE(result.error().retryAfterSeconds(), seconds);
        if (!text.isEmpty())
            QCOMPARE(result.error().errorDescription(), text);
        QCOMPARE(result.error().isRetryable(), retryable);
        QCOMPARE(s.backend.server.requestCount(QStringLiteral("user/avatar/upload-url")), 1);
    }

    void deadSlowAndHostileServersAreNetworkErrors()
    {
        SignedInClient s;
        const QString connection =
            QStringLiteral("Não foi possível concluir a solicitação. Verifique sua conexão e tente novamente.");
        const QString token = *QCoro::waitFor(s.harness.auth->getValidAccessToken());
        const auto expectNetworkError = [&](const std::expected<BackendReply, BackendAPIError> &result) {
            QVERIFY(!result);
            QCOMPARE(result.error().kind(), Kind::networkError);
            QCOMPARE(result.error().message(), connection);
        };

        // A request that outlives its time-out; the server then answers the
        // abandoned request without harm.
        s.backend.server.injectFailure(QStringLiteral("user/me"), {1, 0, 1000ms});
        QSignalSpy handled(&s.backend.server, &backendlocal::BackendServer::requestHandled);
        expectNetworkError(QCoro::waitFor(s.client.send({"GET", QStringLiteral("user/me"), std::nullopt, 200ms, token})));
        QVERIFY(handled.wait(3000));

        // The manager goes first (quitting mid-request) and deletes the
        // reply: the call ends as cancelled instead of never.
        {
            auto network = std::make_unique<QNetworkAccessManager>();
            BackendAPIClient orphaned(s.harness.authProvider(), network.get(), s.backend.baseURL());
            s.backend.server.injectFailure(QStringLiteral("user/me"), {.status = 0, .held = true});
            QSignalSpy held(&s.backend.server, &backendlocal::BackendServer::requestHeld);
            auto sending = orphaned.send({"GET", QStringLiteral("user/me"), std::nullopt, 5s, token});
            QVERIFY(held.wait(10000));
            network.reset();
            const auto ended = QCoro::waitFor(std::move(sending));
            QVERIFY(!ended);
            QCOMPARE(ended.error().kind(), Kind::cancelled);
        }

        // A port nobody listens on any more.
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const QUrl deadURL(QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort()));
        closed.close();
        BackendAPIClient dead(s.harness.authProvider(), &s.harness.network, deadURL);
        const auto refused = QCoro::waitFor(dead.withAuthorizedRetry([&](QString t) { return dead.deleteAvatar(t); }));
        QVERIFY(!refused);
        QCOMPARE(refused.error().kind(), Kind::networkError);
        QCOMPARE(refused.error().errorDescription(), QStringLiteral("Erro de rede: ") + connection);
        const auto upload = QCoro::waitFor(dead.uploadImage(deadURL.toString() + QStringLiteral("storage/upload/x"), jpegBytes()));
        QVERIFY(!upload);
        QCOMPARE(upload.error().kind(), Kind::networkError);

        // A redirect to another origin takes neither the token nor the body there.
        ScriptedServer elsewhere(QHostAddress(QStringLiteral("127.0.0.2")));
        if (!elsewhere.isListening())
            QSKIP("127.0.0.2 is not available on this machine");
        ScriptedServer redirecting;
        redirecting.answer = [&](QTcpSocket *socket) {
            socket->write("HTTP/1.1 307 Temporary Redirect\r\nLocation: " + elsewhere.url().toEncoded()
                          + "sync/push\r\nContent-Length: 0\r\n\r\n");
        };
        BackendAPIClient redirected(s.harness.authProvider(), &s.harness.network, redirecting.url());
        expectNetworkError(QCoro::waitFor(
            redirected.send({"POST", QStringLiteral("sync/push"), QByteArray("{\"secret\":1}"), 5s, token})));
        // A byte of ours arrives there: a connection the client had started
        // would have been taken before it.
        QTcpSocket probe;
        probe.connectToHost(elsewhere.serverAddress(), elsewhere.serverPort());
        probe.write("!");
        QTRY_COMPARE(elsewhere.received, QByteArray("!"));
        QCOMPARE(elsewhere.connections, 1);

        // A server that drips one byte at a time meets the overall deadline,
        // though each byte comes within the transfer time-out.
        ScriptedServer dripping;
        QTimer drip;
        dripping.answer = [&](QTcpSocket *socket) {
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
            connect(&drip, &QTimer::timeout, socket, [socket] { socket->write("x"); });
            drip.start(50ms);
        };
        BackendAPIClient slow(s.harness.authProvider(), &s.harness.network, dripping.url());
        QElapsedTimer clock;
        clock.start();
        BackendRequest pull{"POST", QStringLiteral("sync/pull"), QByteArray("{}"), 400ms, token};
        pull.deadline = 1s;
        expectNetworkError(QCoro::waitFor(slow.send(pull)));
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));

        // Oversize replies, announced or not, are cut off at the limit: the
        // client stops reading long before a 300 MB reply is through.
        for (const bool announced : {true, false}) {
            ScriptedServer flooding;
            qint64 sent = 0;
            flooding.answer = [&](QTcpSocket *socket) {
                socket->write(announced ? "HTTP/1.1 200 OK\r\nContent-Length: 314572800\r\n\r\n"
                                        : "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
                const auto more = [socket, &sent] {
                    while (socket->bytesToWrite() < 1024 * 1024 && sent < 300 * 1024 * 1024) {
                        socket->write(QByteArray(256 * 1024, '['));
                        sent += 256 * 1024;
                    }
                };
                connect(socket, &QTcpSocket::bytesWritten, socket, more);
                more();
            };
            BackendAPIClient flooded(s.harness.authProvider(), &s.harness.network, flooding.url());
            expectNetworkError(QCoro::waitFor(flooded.send({"GET", QStringLiteral("user/me"), std::nullopt, 5s, token})));
            QVERIFY2(sent < 16 * 1024 * 1024, qPrintable(QString::number(sent)));
        }
    }

    void uploadImageChecksBeforeAndAfterSending()
    {
        SignedInClient s;
        auto &client = s.client;
        const auto uploadURL = QCoro::waitFor(client.withAuthorizedRetryForJSONObject(
            [&](QString token) { return client.requestAvatarUploadURL(token); }, &BackendAPIClient::parseUploadURL));
        QVERIFY(uploadURL);
        const QString path = QUrl(*uploadURL).path().mid(1);

        // More than 10 MiB is refused without sending anything.
        auto result = QCoro::waitFor(client.uploadImage(*uploadURL, jpegBytes(BackendAPIClient::kMaxImageUploadBytes + 1)));
        QCOMPARE(result.error().kind(), Kind::fileTooLarge);
        QCOMPARE(s.backend.server.requestCount(path), 0);

        result = QCoro::waitFor(client.uploadImage(QStringLiteral("not a url"), jpegBytes()));
        QCOMPARE(result.error().kind(), Kind::networkError);

        s.backend.server.injectFailure(path, {1, 201, 0ms, QByteArrayLiteral("{\"storageId\":\"x\"}")});
        result = QCoro::waitFor(client.uploadImage(*uploadURL, jpegBytes()));
        QCOMPARE(result.error().kind(), Kind::serverError);
        QCOMPARE(result.error().statusCode(), 201);
        QCOMPARE(result.error().message(), QStringLiteral("Algo deu errado do nosso lado. Tente novamente mais tarde."));

        s.backend.server.injectFailure(path, {1, 200, 0ms, QByteArrayLiteral("{\"storageId\":42}")});
        result = QCoro::waitFor(client.uploadImage(*uploadURL, jpegBytes()));
        QCOMPARE(result.error().kind(), Kind::parseError);

        // Exactly 10 MiB still goes through.
        result = QCoro::waitFor(client.uploadImage(*uploadURL, jpegBytes(BackendAPIClient::kMaxImageUploadBytes)));
        QVERIFY(result);
    }

    void baseURLTextIsNormalised()
    {
        QCOMPARE(AppConfig::baseURLFromText(QStringLiteral(" http://127.0.0.1:9000 ")).toString(),
                 QStringLiteral("http://127.0.0.1:9000/"));
        QCOMPARE(AppConfig::baseURLFromText(QStringLiteral("https://api.example.com/v1/")).toString(),
                 QStringLiteral("https://api.example.com/v1/"));
        QCOMPARE(AppConfig::baseURLFromText(QStringLiteral("::garbage")).toString(),
                 QString::fromLatin1(AppConfig::kDefaultBackendBaseURL));
    }
};

QTEST_GUILESS_MAIN(TestBackendAPIClient)
#include "tst_BackendAPIClient.moc"

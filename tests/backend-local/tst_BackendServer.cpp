#include "backend-local/BackendServer.h"

#include <QCoroNetworkReply>
#include <QCryptographicHash>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

using namespace backendlocal;
using namespace std::chrono_literals;

namespace {

struct Reply
{
    int status = 0;
    QByteArray body;
    QByteArray location;
    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
};

Reply request(QNetworkAccessManager &network, const QByteArray &method, const QUrl &url, const QByteArray &body = {},
              const QByteArray &token = {})
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    if (!token.isEmpty())
        request.setRawHeader("Authorization", "Bearer " + token);
    QNetworkReply *reply = network.sendCustomRequest(request, method, body);
    QTest::qWaitFor([&] { return reply->isFinished(); }, 10000);
    Reply result{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll(),
                 reply->rawHeader("Location")};
    reply->deleteLater();
    return result;
}

QString challengeOf(const QString &verifier)
{
    return QString::fromLatin1(QCryptographicHash::hash(verifier.toLatin1(), QCryptographicHash::Sha256)
                                   .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

// Approves a sign-in for the e-mail and returns the code the callback carries.
QString authorize(QNetworkAccessManager &network, BackendServer &server, const QString &verifier, const QString &email)
{
    QUrl url = server.baseURL().resolved(QUrl(QStringLiteral("auth/approve")));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("redirect_uri"), QStringLiteral("stovelantern-mac%3A%2F%2Fauth%2Fcallback"));
    query.addQueryItem(QStringLiteral("code_challenge"), challengeOf(verifier));
    query.addQueryItem(QStringLiteral("state"), QStringLiteral("s1"));
    query.addQueryItem(QStringLiteral("email"), email);
    url.setQuery(query);
    const Reply reply = request(network, "GET", url);
    const QUrl callback = QUrl::fromEncoded(reply.location);
    return QUrlQuery(callback).queryItemValue(QStringLiteral("code"), QUrl::FullyDecoded);
}

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

class TestBackendServer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void listensOnLoopbackOnly()
    {
        BackendServer server;
        QVERIFY(server.listen(0) > 0);
        QCOMPARE(server.baseURL().host(), QStringLiteral("127.0.0.1"));
        QNetworkAccessManager network;
        QCOMPARE(request(network, "GET", server.baseURL().resolved(QUrl(QStringLiteral("nowhere")))).status, 404);
        QCOMPARE(request(network, "GET", server.baseURL().resolved(QUrl(QStringLiteral("auth/session")))).status, 405);
    }

    void codeExchangeChecksTheVerifierAndIsSingleUse()
    {
        BackendServer server;
        server.listen(0);
        QNetworkAccessManager network;
        const QUrl session = server.baseURL().resolved(QUrl(QStringLiteral("auth/session")));
        const QString verifier = QStringLiteral("verifier-with-enough-entropy-0123456789abcdef");
        const auto exchange = [&](const QString &code, const QString &v) {
            return request(network, "POST", session,
                           json({{QStringLiteral("code"), code},
                                 {QStringLiteral("codeVerifier"), v},
                                 {QStringLiteral("redirectUri"), QStringLiteral("stovelantern-mac://auth/callback")}}));
        };

        QString code = authorize(network, server, verifier, QStringLiteral("a@example.com"));
        QVERIFY(!code.isEmpty());
        QCOMPARE(exchange(code, QStringLiteral("wrong")).status, 400);
        QCOMPARE(exchange(code, verifier).status, 400); // the failed attempt spent it

        code = authorize(network, server, verifier, QStringLiteral("a@example.com"));
        const Reply ok = exchange(code, verifier);
        QCOMPARE(ok.status, 200);
        const QJsonObject user = ok.json().value(QLatin1String("user")).toObject();
        QCOMPARE(user.value(QLatin1String("email")).toString(), QStringLiteral("a@example.com"));
        QCOMPARE(user.value(QLatin1String("id")).toString(), user.value(QLatin1String("id")).toString().toUpper());
        QCOMPARE(exchange(code, verifier).status, 400);

        // Refresh tokens rotate.
        const QUrl refresh = server.baseURL().resolved(QUrl(QStringLiteral("auth/refresh")));
        const QJsonObject first = ok.json();
        const QByteArray body = json({{QStringLiteral("refreshToken"), first.value(QLatin1String("refreshToken"))}});
        const Reply rotated = request(network, "POST", refresh, body);
        QCOMPARE(rotated.status, 200);
        QVERIFY(rotated.json().value(QLatin1String("refreshToken")) != first.value(QLatin1String("refreshToken")));
        QCOMPARE(request(network, "POST", refresh, body).status, 401);

        // Bearer checks: the new token works, a made-up one does not.
        const QUrl me = server.baseURL().resolved(QUrl(QStringLiteral("user/me")));
        QCOMPARE(request(network, "GET", me, {}, rotated.json().value(QLatin1String("accessToken")).toString().toLatin1()).status, 200);
        QCOMPARE(request(network, "GET", me, {}, "made-up").status, 401);
        QCOMPARE(request(network, "GET", me).status, 401);
    }

    void injectedFailuresRunOutAndDelaysKeepTheServerResponsive()
    {
        BackendServer server;
        server.listen(0);
        QNetworkAccessManager network;
        const QUrl page = server.baseURL().resolved(QUrl(QStringLiteral("nowhere")));
        server.injectFailure(QStringLiteral("nowhere"), {2, 503});
        QCOMPARE(request(network, "GET", page).status, 503);
        QCOMPARE(request(network, "GET", page).status, 503);
        QCOMPARE(request(network, "GET", page).status, 404);
        QCOMPARE(server.requestCount(QStringLiteral("nowhere")), 3);

        // A delayed answer does not hold up other requests.
        server.injectFailure(QStringLiteral("slow"), {1, 0, 1500ms});
        QNetworkReply *slow = network.get(QNetworkRequest(server.baseURL().resolved(QUrl(QStringLiteral("slow")))));
        QCOMPARE(request(network, "GET", page).status, 404);
        QVERIFY(!slow->isFinished());
        QVERIFY(QTest::qWaitFor([&] { return slow->isFinished(); }, 5000));
        QCOMPARE(slow->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 404);
        slow->deleteLater();
    }

    void stateSurvivesARestartThroughItsFile()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("state.json"));
        QString access;
        {
            BackendServer server(file);
            server.listen(0);
            QNetworkAccessManager network;
            const QString verifier = QStringLiteral("another-verifier-0123456789-0123456789-abc");
            const QString code = authorize(network, server, verifier, QStringLiteral("b@example.com"));
            const Reply ok = request(network, "POST", server.baseURL().resolved(QUrl(QStringLiteral("auth/session"))),
                                     json({{QStringLiteral("code"), code},
                                           {QStringLiteral("codeVerifier"), verifier},
                                           {QStringLiteral("redirectUri"), QStringLiteral("stovelantern-mac://auth/callback")}}));
            access = ok.json().value(QLatin1String("accessToken")).toString();
            QVERIFY(!access.isEmpty());
        }
        BackendServer server(file);
        server.listen(0);
        QNetworkAccessManager network;
        const Reply me = request(network, "GET", server.baseURL().resolved(QUrl(QStringLiteral("user/me"))), {}, access.toLatin1());
        QCOMPARE(me.status, 200);
        QCOMPARE(me.json().value(QLatin1String("email")).toString(), QStringLiteral("b@example.com"));
    }

    void executablePrintsItsURL()
    {
        QProcess process;
        process.start(QStringLiteral(TALVORO_BINARY_DIR "/talvoro-backend-local"), {QStringLiteral("--port"), QStringLiteral("0")});
        QVERIFY(process.waitForStarted());
        QVERIFY(QTest::qWaitFor([&] { return process.canReadLine(); }, 10000));
        const QUrl url(QString::fromUtf8(process.readLine().trimmed()));
        QCOMPARE(url.host(), QStringLiteral("127.0.0.1"));
        QVERIFY(url.port() > 0);
        QNetworkAccessManager network;
        QCOMPARE(request(network, "GET", url.resolved(QUrl(QStringLiteral("user/me")))).status, 401);
        process.terminate();
        QVERIFY(process.waitForFinished(5000));
    }
};

QTEST_GUILESS_MAIN(TestBackendServer)
#include "tst_BackendServer.moc"

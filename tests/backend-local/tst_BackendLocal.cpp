// The stand-in backend: its server and the accounts it keeps in sync.
#include "backend-local/BackendServer.h"
#include "backend-local/SyncAccount.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <QDateTime>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTest>
#include <QUrlQuery>

using namespace backendlocal;

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

// Approves a sign-in through the page's form (as a browser posts it) and
// returns the code of the callback the answer page hands to the app.
QString authorize(QNetworkAccessManager &network, BackendServer &server, const QString &verifier, const QString &email,
                  const QByteArray &name = "Ana+Lima")
{
    const QByteArray form = "redirect_uri=stovelantern-mac%3A%2F%2Fauth%2Fcallback&code_challenge="
        + challengeOf(verifier).toLatin1() + "&state=s1&email=" + QUrl::toPercentEncoding(email) + "&name=" + name;
    QNetworkRequest post(server.baseURL().resolved(QUrl(QStringLiteral("auth/approve"))));
    post.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    QNetworkReply *reply = network.post(post, form);
    QTest::qWaitFor([&] { return reply->isFinished(); }, 10000);
    reply->deleteLater();
    const QString page = QString::fromUtf8(reply->readAll());
    if (!page.contains(QStringLiteral("Já pode fechar esta janela")))
        return {};
    static const QRegularExpression link(QStringLiteral("id=\"callback\" href=\"([^\"]+)\""));
    const QUrl callback = QUrl::fromEncoded(link.match(page).captured(1).replace(QStringLiteral("&amp;"), QStringLiteral("&")).toUtf8());
    return QUrlQuery(callback).queryItemValue(QStringLiteral("code"), QUrl::FullyDecoded);
}

// Sends raw bytes and returns what the server answered before it closed
// the connection (or 3 s passed).
QByteArray rawExchange(quint16 port, const QByteArray &head)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(3000))
        return {};
    socket.write(head);
    // The server runs on this thread: wait for its answer while it runs.
    QTest::qWaitFor([&] { return socket.state() != QAbstractSocket::ConnectedState; }, 3000);
    return socket.readAll();
}

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// Trades a sign-in's code for tokens, as the app does.
Reply exchange(QNetworkAccessManager &network, BackendServer &server, const QString &code,
               const QString &verifier)
{
    return request(network, "POST", server.baseURL().resolved(QUrl(QStringLiteral("auth/session"))),
                   json({{QStringLiteral("code"), code},
                         {QStringLiteral("codeVerifier"), verifier},
                         {QStringLiteral("redirectUri"), QStringLiteral("stovelantern-mac://auth/callback")}}));
}


const QString kA = QStringLiteral("AAAAAAAA-0000-0000-0000-000000000001");
const QString kB = QStringLiteral("BBBBBBBB-0000-0000-0000-000000000002");

QJsonObject rule(const QString &id, const QString &text, double updatedAt, bool deleted = false)
{
    return {{"clientId", id}, {"originalText", text}, {"replacementText", "x"}, {"isEnabled", true},
            {"useCount", 0}, {"createdAt", 1.0}, {"updatedAt", updatedAt}, {"isDeleted", deleted}};
}

QJsonObject transcription(const QString &id, const QDateTime &created, qint64 words)
{
    return {{"clientId", id}, {"text", "t"}, {"createdAt", double(created.toMSecsSinceEpoch())},
            {"wordCount", words}, {"durationSeconds", 2.5}, {"language", "pt"}};
}

} // namespace

class TestBackendLocal : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void codeExchangeChecksTheVerifierAndIsSingleUse()
    {
        BackendServer server;
        server.listen(0);
        QNetworkAccessManager network;
        const QString verifier = QStringLiteral("verifier-with-enough-entropy-0123456789abcdef");

        QString code = authorize(network, server, verifier, QStringLiteral("a@example.com"));
        QVERIFY(!code.isEmpty());
        QCOMPARE(exchange(network, server, code, QStringLiteral("wrong")).status, 400);
        QCOMPARE(exchange(network, server, code, verifier).status, 400); // the failed attempt spent it

        code = authorize(network, server, verifier, QStringLiteral("a@example.com"));
        const Reply ok = exchange(network, server, code, verifier);
        QCOMPARE(ok.status, 200);
        const QJsonObject user = ok.json().value(QLatin1String("user")).toObject();
        QCOMPARE(user.value(QLatin1String("email")).toString(), QStringLiteral("a@example.com"));
        QCOMPARE(user.value(QLatin1String("id")).toString(), user.value(QLatin1String("id")).toString().toUpper());
        QCOMPARE(exchange(network, server, code, verifier).status, 400);

        // Refresh tokens rotate.
        const QUrl refresh = server.baseURL().resolved(QUrl(QStringLiteral("auth/refresh")));
        const QJsonObject first = ok.json();
        const QByteArray body = json({{QStringLiteral("refreshToken"), first.value(QLatin1String("refreshToken"))}});
        const Reply rotated = request(network, "POST", refresh, body);
        QCOMPARE(rotated.status, 200);
        QVERIFY(rotated.json().value(QLatin1String("refreshToken")) != first.value(QLatin1String("refreshToken")));

        // Bearer checks: a new token works, a made-up one does not.
        const QUrl me = server.baseURL().resolved(QUrl(QStringLiteral("user/me")));
        QCOMPARE(request(network, "GET", me, {}, rotated.json().value(QLatin1String("accessToken")).toString().toLatin1()).status, 200);
        QCOMPARE(request(network, "GET", me, {}, "made-up").status, 401);
        QCOMPARE(request(network, "GET", me).status, 401);
    }

    void hostileRequestsAreRefusedAndBounded()
    {
        BackendServer server;
        server.listen(0);
        QNetworkAccessManager network;

        // Codes go to the app's callback only.
        const QUrl authorize = server.baseURL().resolved(QUrl(QStringLiteral(
            "auth/authorize?client_id=talvoro-desktop&response_type=code&redirect_uri=http%3A%2F%2Fevil.example%2F"
            "&code_challenge=abc&code_challenge_method=S256&state=s")));
        QCOMPARE(request(network, "GET", authorize).status, 400);
        QCOMPARE(request(network, "GET", server.baseURL().resolved(QUrl(QStringLiteral(
                     "auth/approve?redirect_uri=http%3A%2F%2Fevil.example%2F&code_challenge=abc&state=s")))).status, 400);
        QVERIFY(server.state().authorizationCodes.isEmpty());

        // An unauthenticated body over its limit is refused from its head alone.
        const QByteArray huge = rawExchange(server.port(), "POST /auth/refresh HTTP/1.1\r\nHost: x\r\n"
                                                           "Content-Type: application/json\r\nContent-Length: 314572800\r\n\r\n");
        QVERIFY2(huge.startsWith("HTTP/1.1 413"), huge.isEmpty() ? "nothing" : huge.constData());
        // The server is still there for well-formed requests.
        QCOMPARE(request(network, "POST", server.baseURL().resolved(QUrl(QStringLiteral("auth/refresh"))), "{}").status, 401);
    }

    void stateSurvivesARestartThroughItsFile()
    {
        QTemporaryDir dir;
        // In a folder that does not exist yet: it is made.
        const QString file = dir.filePath(QStringLiteral("not/yet/state.json"));
        QString access;
        {
            BackendServer server(file);
            server.listen(0);
            QNetworkAccessManager network;
            const QString verifier = QStringLiteral("another-verifier-0123456789-0123456789-abc");
            const QString code = authorize(network, server, verifier, QStringLiteral("b@example.com"));
            const Reply ok = exchange(network, server, code, verifier);
            access = ok.json().value(QLatin1String("accessToken")).toString();
            QVERIFY(!access.isEmpty());
        }
        // It holds tokens: the owner's alone.
        QCOMPARE(QFile::permissions(file), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        BackendServer server(file);
        server.listen(0);
        QNetworkAccessManager network;
        const Reply me = request(network, "GET", server.baseURL().resolved(QUrl(QStringLiteral("user/me"))), {}, access.toLatin1());
        QCOMPARE(me.status, 200);
        QCOMPARE(me.json().value(QLatin1String("email")).toString(), QStringLiteral("b@example.com"));
    }

    void lastWriterWinsAndTombstonesStay()
    {
        SyncAccount account;
        QCOMPARE(account.pushRule(rule(kA, "new", 200), 1000).value(), true);
        QCOMPARE(account.pushRule(rule(kA, "old", 100), 1001).value(), false);
        QCOMPARE(account.rule(kA)->value("originalText").toString(), QString("new"));
        QCOMPARE(account.pushRule(rule(kA.toLower(), "gone", 300, true), 1002).value(), true);
        QVERIFY(account.rule(kA)->value("isDeleted").toBool());
        QCOMPARE(account.rule(kA)->value("clientId").toString(), kA); // ids are kept upper-case
        QVERIFY(!account.pushRule(QJsonObject{{"clientId", kA}}, 1003).has_value());
        QVERIFY(!account.pushRule(rule("nope", "x", 1), 1003).has_value());

        // The rules screen deletes without stamping `updatedAt`: the tombstone
        // carries the time of the last edit, like every copy of that edit.
        QVERIFY(account.pushRule(rule(kB, "a", 100), 1).value());
        QVERIFY(account.pushRule(rule(kB, "a", 100, true), 2).value());
        QCOMPARE(account.pushRule(rule(kB, "a", 100), 3).value(), false);
        QVERIFY(account.rule(kB)->value("isDeleted").toBool());
        // A later edit is a later writer.
        QVERIFY(account.pushRule(rule(kB, "b", 101), 4).value());
        QVERIFY(!account.rule(kB)->value("isDeleted").toBool());

        // A deleted transcription stays deleted.
        const QDateTime created = QDateTime::fromMSecsSinceEpoch(1'000'000, Qt::UTC);
        QVERIFY(account.pushTranscription(transcription(kA, created, 3), 2'000'000).value());
        QVERIFY(account.deleteTranscription({{"clientId", kA}, {"updatedAt", 1'500'000.0}}, 2'000'001).value());
        QCOMPARE(account.liveTranscriptionCount(), 0);
        // Another device's copy, pushed whole or alone, does not bring it back.
        const auto counts = account.pushAll({{"transcriptions", QJsonArray{transcription(kA, created, 3)}}}, 2'000'002);
        QCOMPARE(counts->value("transcriptions").toInt(), 0);
        QCOMPARE(account.pushTranscription(transcription(kA, created, 3), 2'000'003).value(), false);
        QCOMPARE(account.liveTranscriptionCount(), 0);
        // A bad row rejects the whole push and changes nothing.
        QVERIFY(!account.pushAll({{"transcriptions", QJsonArray{transcription(kB, created, 1), QJsonObject{}}}}, 3));
        QVERIFY(!account.transcription(kB));
    }

    void pullReturnsWhatChangedSinceTheCursor()
    {
        SyncAccount account;
        const QTimeZone utc = QTimeZone::utc();
        account.pushRule(rule(kA, "a", 1), 5000);
        QJsonObject first = account.pull(0, utc, 6000);
        QCOMPARE(first.value("rules").toArray().size(), 1);
        QVERIFY(first.value("settings").isNull());
        const qint64 cursor = qint64(first.value("cursor").toDouble());

        account.pushRule(rule(kB, "b", 1), 5000); // a clock behind the cursor still moves it on
        account.pushSettings({{"accentColor", "green"}, {"updatedAt", 10.0}}, 5000);
        const QJsonObject second = account.pull(cursor, utc, 6000);
        QCOMPARE(second.value("rules").toArray().size(), 1);
        QCOMPARE(second.value("rules").toArray()[0].toObject().value("clientId").toString(), kB);
        QCOMPARE(second.value("settings").toObject().value("accentColor").toString(), QString("green"));
        QVERIFY(second.value("cursor").toDouble() > cursor);

        // State survives the server's own persistence.
        SyncAccount reloaded(account.toJson());
        QCOMPARE(reloaded.pull(0, utc, 6000), account.pull(0, utc, 6000));
    }
};

QTEST_GUILESS_MAIN(TestBackendLocal)
#include "tst_BackendLocal.moc"

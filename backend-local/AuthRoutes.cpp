// Browser sign-in (authorisation page with PKCE S256), code exchange and
// refresh-token rotation.
#include "backend-local/BackendServer.h"

#include <QCryptographicHash>

namespace backendlocal {

namespace {

constexpr qint64 kCodeLifetimeMs = 5 * 60 * 1000;
const QString kDefaultEmail = QStringLiteral("ana@talvoro.local");
const QString kDefaultName = QStringLiteral("Ana Lima");
// The only place a code is sent: the app's own callback.
const QString kAppCallback = QStringLiteral("stovelantern-mac://auth/callback");

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QString challengeOf(const QString &verifier)
{
    return QString::fromLatin1(QCryptographicHash::hash(verifier.toLatin1(), QCryptographicHash::Sha256)
                                   .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QUrl withQuery(const QString &redirectUri, const QList<QPair<QString, QString>> &items)
{
    QUrl url(redirectUri);
    QUrlQuery query(url);
    for (const auto &[key, value] : items)
        query.addQueryItem(key, QString::fromUtf8(QUrl::toPercentEncoding(value)));
    url.setQuery(query);
    return url;
}

// Fields of a query string or an application/x-www-form-urlencoded body:
// "+" is a space there, "%2B" a plus.
QHash<QString, QString> formFields(const QByteArray &encoded)
{
    QHash<QString, QString> fields;
    for (QByteArray pair : encoded.split('&')) {
        pair.replace('+', ' ');
        const qsizetype equals = pair.indexOf('=');
        const QString key = QUrl::fromPercentEncoding(pair.left(equals < 0 ? pair.size() : equals));
        if (!key.isEmpty() && !fields.contains(key))
            fields.insert(key, equals < 0 ? QString() : QUrl::fromPercentEncoding(pair.mid(equals + 1)));
    }
    return fields;
}

QHash<QString, QString> queryFields(const Request &request)
{
    return formFields(request.query.query(QUrl::FullyEncoded).toLatin1());
}

Response invalidSignInRequest()
{
    return Response::html(QStringLiteral("<!doctype html><title>Talvoro</title><p>Invalid sign-in request.</p>"), 400);
}

Response authorizePage(const Request &request)
{
    const auto fields = queryFields(request);
    const QString redirectUri = fields.value(QStringLiteral("redirect_uri"));
    const QString challenge = fields.value(QStringLiteral("code_challenge"));
    const QString state = fields.value(QStringLiteral("state"));
    if (fields.value(QStringLiteral("response_type")) != QLatin1String("code")
        || fields.value(QStringLiteral("client_id")).isEmpty() || redirectUri != kAppCallback || challenge.isEmpty()
        || fields.value(QStringLiteral("code_challenge_method")) != QLatin1String("S256") || state.isEmpty())
        return invalidSignInRequest();

    QUrlQuery approve;
    approve.addQueryItem(QStringLiteral("redirect_uri"), QString::fromUtf8(QUrl::toPercentEncoding(redirectUri)));
    approve.addQueryItem(QStringLiteral("code_challenge"), QString::fromUtf8(QUrl::toPercentEncoding(challenge)));
    approve.addQueryItem(QStringLiteral("state"), QString::fromUtf8(QUrl::toPercentEncoding(state)));
    const QString approveQuery = approve.toString(QUrl::FullyEncoded);
    const QString hidden = QStringLiteral(
        "<input type=\"hidden\" name=\"redirect_uri\" value=\"%1\">"
        "<input type=\"hidden\" name=\"code_challenge\" value=\"%2\">"
        "<input type=\"hidden\" name=\"state\" value=\"%3\">")
                               .arg(escaped(redirectUri), escaped(challenge), escaped(state));
    const QString page = QStringLiteral(
        "<!doctype html><html><head><meta charset=\"utf-8\"><title>Talvoro — Entrar</title></head>"
        "<body style=\"font-family:sans-serif;max-width:28em;margin:4em auto\">"
        "<h1>Entrar no Talvoro</h1><p>Servidor local de desenvolvimento.</p>"
        "<form id=\"signin\" method=\"post\" action=\"/auth/approve\" accept-charset=\"utf-8\">%1"
        "<p><label>E-mail <input name=\"email\" value=\"%2\"></label></p>"
        "<p><label>Nome <input name=\"name\" value=\"%3\"></label></p>"
        "<p><button type=\"submit\">Aprovar</button> "
        "<a id=\"deny\" href=\"/auth/deny?%4\">Cancelar</a></p></form>"
        "<p><a id=\"approve\" href=\"/auth/approve?%4\">Aprovar como %2</a></p>"
        "</body></html>")
                             .arg(hidden, escaped(kDefaultEmail), escaped(kDefaultName), escaped(approveQuery));
    return Response::html(page);
}

// The page after approval: it hands the callback to the app and tells the
// user the browser has done its part.
Response returnToAppPage(const QUrl &callback)
{
    const QString target = escaped(callback.toString(QUrl::FullyEncoded));
    return Response::html(QStringLiteral(
        "<!doctype html><html><head><meta charset=\"utf-8\"><title>Talvoro</title>"
        "<meta http-equiv=\"refresh\" content=\"0; url=%1\"></head>"
        "<body style=\"font-family:sans-serif;max-width:28em;margin:4em auto\">"
        "<h1>Pronto</h1><p>Você entrou no Talvoro. Já pode fechar esta janela do navegador.</p>"
        "<p>Se o Talvoro não abrir sozinho, <a id=\"callback\" href=\"%1\">abra-o por aqui</a>.</p>"
        "</body></html>").arg(target));
}

Response approve(BackendServer &server, const QHash<QString, QString> &fields)
{
    const QString redirectUri = fields.value(QStringLiteral("redirect_uri"));
    const QString challenge = fields.value(QStringLiteral("code_challenge"));
    if (redirectUri != kAppCallback || challenge.isEmpty())
        return invalidSignInRequest();
    const QString email = fields.value(QStringLiteral("email")).trimmed();
    const QString name = fields.value(QStringLiteral("name")).trimmed();
    BackendState &state = server.state();
    const User &user = state.userForEmail(email.isEmpty() ? kDefaultEmail : email, name.isEmpty() ? kDefaultName : name);
    const QString code = BackendState::newToken();
    state.authorizationCodes.insert(code, {user.id, challenge, redirectUri, state.nowMs() + kCodeLifetimeMs});
    return returnToAppPage(withQuery(redirectUri, {{QStringLiteral("code"), code},
                                                   {QStringLiteral("state"), fields.value(QStringLiteral("state"))}}));
}

} // namespace

void registerAuthRoutes(BackendServer &server)
{
    using Access = BackendServer::Access;

    server.addRoute("GET", QStringLiteral("auth/authorize"), Access::Public, authorizePage);

    // The page's form posts its fields; the approve link sends them as a query.
    server.addRoute("POST", QStringLiteral("auth/approve"), Access::Public, [&server](Request &request) {
        return approve(server, formFields(request.body));
    });
    server.addRoute("GET", QStringLiteral("auth/approve"), Access::Public, [&server](Request &request) {
        return approve(server, queryFields(request));
    });

    server.addRoute("GET", QStringLiteral("auth/deny"), Access::Public, [](Request &request) {
        const auto fields = queryFields(request);
        if (fields.value(QStringLiteral("redirect_uri")) != kAppCallback)
            return invalidSignInRequest();
        return Response::redirect(withQuery(kAppCallback, {{QStringLiteral("error"), QStringLiteral("access_denied")},
                                                           {QStringLiteral("state"), fields.value(QStringLiteral("state"))}}));
    });

    server.addRoute("POST", QStringLiteral("auth/session"), Access::Public, [&server](Request &request) {
        const auto body = request.jsonObject();
        if (!body)
            return Response::error(400, QStringLiteral("invalid_request"), QStringLiteral("A JSON body is required"));
        const QString code = body->value(QLatin1String("code")).toString();
        const QString verifier = body->value(QLatin1String("codeVerifier")).toString();
        const QString redirectUri = body->value(QLatin1String("redirectUri")).toString();
        BackendState &state = server.state();
        // A code is good for one exchange, whatever its outcome.
        const auto grant = state.authorizationCodes.take(code);
        if (grant.userId.isEmpty() || grant.expiresAtMs <= state.nowMs())
            return Response::error(400, QStringLiteral("invalid_grant"), QStringLiteral("Authorization code is invalid or expired"));
        if (grant.redirectUri != redirectUri || redirectUri != kAppCallback)
            return Response::error(400, QStringLiteral("invalid_grant"), QStringLiteral("Redirect URI does not match"));
        if (verifier.isEmpty() || challengeOf(verifier) != grant.codeChallenge)
            return Response::error(400, QStringLiteral("invalid_grant"), QStringLiteral("Code verifier does not match"));
        if (!state.user(grant.userId))
            return Response::error(400, QStringLiteral("invalid_grant"), QStringLiteral("Account no longer exists"));
        return Response::json(state.issueTokens(grant.userId, server.baseURL()));
    });

    server.addRoute("POST", QStringLiteral("auth/refresh"), Access::Public, [&server](Request &request) {
        const auto body = request.jsonObject();
        if (!body)
            return Response::error(400, QStringLiteral("invalid_request"), QStringLiteral("A JSON body is required"));
        const auto reply = server.state().rotateRefreshToken(body->value(QLatin1String("refreshToken")).toString(),
                                                              server.baseURL());
        if (!reply)
            return Response::error(401, QStringLiteral("invalid_grant"), QStringLiteral("Refresh token is invalid"));
        return Response::json(*reply);
    });
}

} // namespace backendlocal

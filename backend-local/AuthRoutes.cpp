// Browser sign-in (authorisation page with PKCE S256), code exchange and
// refresh-token rotation.
#include "backend-local/BackendServer.h"

#include <QCryptographicHash>

namespace backendlocal {

namespace {

constexpr qint64 kCodeLifetimeMs = 5 * 60 * 1000;
const QString kDefaultEmail = QStringLiteral("ana@talvoro.local");
const QString kDefaultName = QStringLiteral("Ana Lima");

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

Response authorizePage(const Request &request)
{
    const auto value = [&](const char *key) {
        return request.query.queryItemValue(QLatin1String(key), QUrl::FullyDecoded);
    };
    const QString redirectUri = value("redirect_uri");
    const QString challenge = value("code_challenge");
    const QString state = value("state");
    if (value("response_type") != QLatin1String("code") || value("client_id").isEmpty() || redirectUri.isEmpty()
        || challenge.isEmpty() || value("code_challenge_method") != QLatin1String("S256") || state.isEmpty())
        return Response::html(QStringLiteral("<!doctype html><title>Talvoro</title><p>Invalid sign-in request.</p>"), 400);

    QUrlQuery approve;
    approve.addQueryItem(QStringLiteral("redirect_uri"), QString::fromUtf8(QUrl::toPercentEncoding(redirectUri)));
    approve.addQueryItem(QStringLiteral("code_challenge"), challenge);
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
        "<form id=\"signin\" method=\"get\" action=\"/auth/approve\">%1"
        "<p><label>E-mail <input name=\"email\" value=\"%2\"></label></p>"
        "<p><label>Nome <input name=\"name\" value=\"%3\"></label></p>"
        "<p><button type=\"submit\">Aprovar</button> "
        "<a id=\"deny\" href=\"/auth/deny?%4\">Cancelar</a></p></form>"
        "<p><a id=\"approve\" href=\"/auth/approve?%4\">Aprovar como %2</a></p>"
        "</body></html>")
                             .arg(hidden, escaped(kDefaultEmail), escaped(kDefaultName), escaped(approveQuery));
    return Response::html(page);
}

} // namespace

void registerAuthRoutes(BackendServer &server)
{
    using Access = BackendServer::Access;

    server.addRoute("GET", QStringLiteral("auth/authorize"), Access::Public, authorizePage);

    server.addRoute("GET", QStringLiteral("auth/approve"), Access::Public, [&server](Request &request) {
        const auto value = [&](const char *key) {
            return request.query.queryItemValue(QLatin1String(key), QUrl::FullyDecoded);
        };
        const QString redirectUri = value("redirect_uri");
        const QString challenge = value("code_challenge");
        if (redirectUri.isEmpty() || challenge.isEmpty())
            return Response::html(QStringLiteral("<p>Invalid sign-in request.</p>"), 400);
        const QString email = value("email").trimmed().isEmpty() ? kDefaultEmail : value("email").trimmed();
        const QString name = value("name").trimmed().isEmpty() ? kDefaultName : value("name").trimmed();
        BackendState &state = server.state();
        const User &user = state.userForEmail(email, name);
        const QString code = BackendState::newToken();
        state.authorizationCodes.insert(code, {user.id, challenge, redirectUri, state.nowMs() + kCodeLifetimeMs});
        return Response::redirect(withQuery(redirectUri, {{QStringLiteral("code"), code},
                                                          {QStringLiteral("state"), value("state")}}));
    });

    server.addRoute("GET", QStringLiteral("auth/deny"), Access::Public, [](Request &request) {
        const QString redirectUri = request.query.queryItemValue(QStringLiteral("redirect_uri"), QUrl::FullyDecoded);
        if (redirectUri.isEmpty())
            return Response::html(QStringLiteral("<p>Invalid sign-in request.</p>"), 400);
        return Response::redirect(withQuery(redirectUri, {{QStringLiteral("error"), QStringLiteral("access_denied")},
                                                          {QStringLiteral("state"), request.query.queryItemValue(QStringLiteral("state"), QUrl::FullyDecoded)}}));
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
        if (grant.redirectUri != redirectUri)
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
        BackendState &state = server.state();
        // Rotation: the presented refresh token is spent.
        const QString userId = state.refreshTokens.take(body->value(QLatin1String("refreshToken")).toString());
        if (userId.isEmpty() || !state.user(userId))
            return Response::error(401, QStringLiteral("invalid_grant"), QStringLiteral("Refresh token is invalid"));
        return Response::json(state.issueTokens(userId, server.baseURL()));
    });
}

} // namespace backendlocal

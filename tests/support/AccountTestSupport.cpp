#include "support/AccountTestSupport.h"

#include <QCoroNetworkReply>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

namespace {

QString htmlUnescaped(QString text)
{
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&#39;"), QStringLiteral("'"));
    return text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
}

// As a browser encodes a form: UTF-8, percent-escapes, "+" for a space.
QByteArray formEncoded(const QList<QPair<QString, QString>> &fields)
{
    QByteArrayList pairs;
    for (const auto &[name, value] : fields)
        pairs.append(QUrl::toPercentEncoding(name) + '=' + QUrl::toPercentEncoding(value, " ").replace(' ', '+'));
    return pairs.join('&');
}

} // namespace

QCoro::Task<std::optional<QUrl>> SimulatedBrowser::follow(QUrl authorizationURL, bool approve, QString email, QString name)
{
    QNetworkReply *page = m_network->get(QNetworkRequest(authorizationURL));
    co_await page;
    page->deleteLater();
    if (page->error() != QNetworkReply::NoError)
        co_return std::nullopt;
    const QString html = QString::fromUtf8(page->readAll());

    QNetworkReply *answer = nullptr;
    if (approve) {
        // Submits the page's form with what the user typed.
        QList<QPair<QString, QString>> fields;
        static const QRegularExpression input(QStringLiteral("<input[^>]*name=\"([^\"]+)\" value=\"([^\"]*)\""));
        for (const auto &match : input.globalMatch(html)) {
            const QString field = match.captured(1);
            QString value = htmlUnescaped(match.captured(2));
            if (field == QLatin1String("email") && !email.isEmpty())
                value = email;
            if (field == QLatin1String("name") && (!name.isEmpty() || !email.isEmpty()))
                value = name.isEmpty() ? email.section(QLatin1Char('@'), 0, 0) : name;
            fields.append({field, value});
        }
        QNetworkRequest request(authorizationURL.resolved(QUrl(QStringLiteral("/auth/approve"))));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
        answer = m_network->post(request, formEncoded(fields));
    } else {
        static const QRegularExpression deny(QStringLiteral("id=\"deny\" href=\"([^\"]+)\""));
        const auto match = deny.match(html);
        if (!match.hasMatch())
            co_return std::nullopt;
        QNetworkRequest request(authorizationURL.resolved(QUrl(htmlUnescaped(match.captured(1)))));
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        answer = m_network->get(request);
    }
    co_await answer;
    answer->deleteLater();
    const QByteArray location = answer->rawHeader("Location");
    if (!location.isEmpty())
        co_return QUrl::fromEncoded(location);
    co_return callbackOfPage(answer->readAll());
}

std::optional<QUrl> SimulatedBrowser::callbackOfPage(const QByteArray &page)
{
    static const QRegularExpression link(QStringLiteral("id=\"callback\" href=\"([^\"]+)\""));
    const auto match = link.match(QString::fromUtf8(page));
    if (!match.hasMatch())
        return std::nullopt;
    return QUrl::fromEncoded(htmlUnescaped(match.captured(1)).toUtf8());
}

AuthHarness::AuthHarness(const QUrl &baseURL)
    : m_baseURL(baseURL)
{
    opener.onOpen = [this](const QUrl &url) {
        // Asynchronous, like a real browser: the sign-in is waiting by then.
        QTimer::singleShot(0, auth.get(), [this, url] {
            QCoro::connect(browser.follow(url, browserApproves, browserEmail, browserName), auth.get(),
                           [this](const std::optional<QUrl> &callback) {
                               if (callback)
                                   auth->handleCallbackURL(*callback);
                           });
        });
    };
    makeManager();
}

AuthHarness::~AuthHarness() = default;

std::shared_ptr<AuthProviding> AuthHarness::authProvider()
{
    return std::make_shared<DefaultAuthProvider>([this] { return auth.get(); });
}

void AuthHarness::makeManager()
{
    AuthManager::Dependencies deps;
    deps.secrets = &secrets;
    deps.settings = settings.store.get();
    deps.urlOpener = &opener;
    deps.network = &network;
    deps.baseURL = m_baseURL;
    deps.keychainTimeout = keychainTimeout;
    auth = std::make_unique<AuthManager>(deps);
}

void AuthHarness::restart()
{
    auth.reset();
    settings.reopen();
    makeManager();
}

bool AuthHarness::signIn()
{
    const auto result = QCoro::waitFor(auth->signIn());
    if (!result) {
        qWarning() << "Sign-in failed, variant index" << result.error().index();
        return false;
    }
    return true;
}

const QStringList &LocalBackend::impostorReplies()
{
    static const QStringList names{"portal page", "success false", "empty object", "empty 200", "204",
                                   "redirect to a portal page", "redirect elsewhere"};
    return names;
}

void LocalBackend::answerNextWithImpostor(const QString &path, const QString &impostor)
{
    using Failure = backendlocal::BackendServer::Failure;
    const Failure page{.status = 200, .body = "<html><body>Sign in to the Wi-Fi</body></html>", .contentType = "text/html"};
    QUrl elsewhere = baseURL().resolved(QUrl(QStringLiteral("portal")));
    elsewhere.setHost(QStringLiteral("127.0.0.2"));
    const QHash<QString, Failure> replies{
        {"portal page", page},
        {"success false", {.status = 200, .body = R"({"success":false})"}},
        {"empty object", {.status = 200, .body = "{}"}},
        {"empty 200", {.status = 200, .body = QByteArray()}},
        {"204", {.status = 204, .body = QByteArray()}},
        {"redirect to a portal page", {.status = 302, .body = QByteArray(), .headers = {{"Location", "/captive-portal"}}}},
        {"redirect elsewhere", {.status = 302, .body = QByteArray(), .headers = {{"Location", elsewhere.toEncoded()}}}},
    };
    Q_ASSERT(replies.contains(impostor));
    server.injectFailure(QStringLiteral("captive-portal"), page);
    server.injectFailure(path, replies.value(impostor));
}

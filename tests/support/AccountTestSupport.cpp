#include "support/AccountTestSupport.h"

#include <QCoroNetworkReply>
#include <QMutex>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

QCoro::Task<std::optional<QUrl>> SimulatedBrowser::follow(QUrl authorizationURL, bool approve, QString email)
{
    QNetworkReply *page = m_network->get(QNetworkRequest(authorizationURL));
    co_await page;
    page->deleteLater();
    if (page->error() != QNetworkReply::NoError)
        co_return std::nullopt;
    const QString html = QString::fromUtf8(page->readAll());
    const QRegularExpression link(approve ? QStringLiteral("id=\"approve\" href=\"([^\"]+)\"")
                                          : QStringLiteral("id=\"deny\" href=\"([^\"]+)\""));
    const auto match = link.match(html);
    if (!match.hasMatch())
        co_return std::nullopt;
    QString href = match.captured(1);
    href.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    QUrl target = authorizationURL.resolved(QUrl(href));
    if (!email.isEmpty()) {
        QUrlQuery query(target);
        query.addQueryItem(QStringLiteral("email"), email);
        query.addQueryItem(QStringLiteral("name"), email.section(QLatin1Char('@'), 0, 0));
        target.setQuery(query);
    }
    QNetworkRequest request(target);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply *redirect = m_network->get(request);
    co_await redirect;
    redirect->deleteLater();
    const QByteArray location = redirect->rawHeader("Location");
    if (location.isEmpty())
        co_return std::nullopt;
    co_return QUrl::fromEncoded(location);
}

AuthHarness::AuthHarness(const QUrl &baseURL)
    : m_baseURL(baseURL)
{
    opener.onOpen = [this](const QUrl &url) {
        // Asynchronous, like a real browser: the sign-in is waiting by then.
        QTimer::singleShot(0, auth.get(), [this, url] {
            QCoro::connect(browser.follow(url, browserApproves, browserEmail), auth.get(),
                           [this](const std::optional<QUrl> &callback) {
                               if (callback)
                                   auth->handleCallbackURL(*callback);
                           });
        });
    };
    makeManager();
}

AuthHarness::~AuthHarness()
{
    AuthManager::installShared(nullptr);
}

void AuthHarness::makeManager()
{
    AuthManager::Dependencies deps;
    deps.secrets = &secrets;
    deps.settings = settings.store.get();
    deps.urlOpener = &opener;
    deps.network = &network;
    deps.baseURL = m_baseURL;
    auth = std::make_unique<AuthManager>(deps);
    AuthManager::installShared(auth.get());
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

namespace {
QMutex s_logMutex;
QStringList s_logLines;
QtMessageHandler s_previousHandler = nullptr;
int s_captures = 0;

void captureMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    {
        QMutexLocker lock(&s_logMutex);
        s_logLines.append(QString::fromLatin1(context.category ? context.category : "") + QLatin1Char(' ') + message);
    }
    if (s_previousHandler)
        s_previousHandler(type, context, message);
}
} // namespace

LogCapture::LogCapture()
{
    QMutexLocker lock(&s_logMutex);
    if (s_captures++ == 0) {
        s_logLines.clear();
        s_previousHandler = qInstallMessageHandler(captureMessage);
    }
}

LogCapture::~LogCapture()
{
    QMutexLocker lock(&s_logMutex);
    if (--s_captures == 0)
        qInstallMessageHandler(s_previousHandler);
}

QStringList LogCapture::lines() const
{
    QMutexLocker lock(&s_logMutex);
    return s_logLines;
}

bool LogCapture::contains(const QString &text) const
{
    const QStringList all = lines();
    return std::any_of(all.begin(), all.end(), [&](const QString &line) { return line.contains(text); });
}

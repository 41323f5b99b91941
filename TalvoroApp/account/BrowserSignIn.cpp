#include "account/BrowserSignIn.h"

#include "account/AccountLogging.h"
#include "account/AppConfig.h"
#include "platform/AwaitOwned.h"
#include "platform/Logging.h"
#include "platform/UrlOpener.h"

#include <QCoroSignal>
#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrlQuery>

#include <optional>
#include <variant>

// A running browser sign-in: its secrets and how it ended.
class SignInWaiter : public QObject
{
    Q_OBJECT
public:
    QString state;
    QString verifier;
    QTimer timer;
    std::optional<std::variant<QUrl, BrowserSessionError>> outcome;

    void finish(std::variant<QUrl, BrowserSessionError> value)
    {
        if (outcome)
            return;
        timer.stop();
        outcome = std::move(value);
        Q_EMIT finished();
    }

    QCoro::Task<void> wait()
    {
        if (!outcome)
            co_await qCoro(this, &SignInWaiter::finished);
    }

Q_SIGNALS:
    void finished();
};

namespace {

QString randomURLSafeText(int byteCount)
{
    QByteArray bytes(byteCount, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), byteCount / 4);
    return QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QString codeChallengeFor(const QString &verifier)
{
    const QByteArray digest = QCryptographicHash::hash(verifier.toLatin1(), QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

} // namespace

BrowserSignIn::BrowserSignIn(UrlOpener *urlOpener, QUrl baseURL, QObject *owner)
    : m_urlOpener(urlOpener), m_baseURL(std::move(baseURL)), m_owner(owner)
{
}

BrowserSignIn::~BrowserSignIn() = default;

QUrl BrowserSignIn::authorizationURL(const QString &codeChallenge, const QString &state) const
{
    QString base = m_baseURL.toString();
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    QUrl url(base + QStringLiteral("auth/authorize"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("client_id"), QString::fromLatin1(AppConfig::kOAuthClientId));
    query.addQueryItem(QStringLiteral("response_type"), QStringLiteral("code"));
    query.addQueryItem(QStringLiteral("redirect_uri"),
                       QString::fromUtf8(QUrl::toPercentEncoding(AppConfig::signInCallbackURL().toString())));
    query.addQueryItem(QStringLiteral("code_challenge"), codeChallenge);
    query.addQueryItem(QStringLiteral("code_challenge_method"), QStringLiteral("S256"));
    query.addQueryItem(QStringLiteral("state"), state);
    url.setQuery(query);
    return url;
}

bool BrowserSignIn::isRunning() const
{
    return m_running && !m_running->outcome;
}

void BrowserSignIn::cancel()
{
    if (m_running)
        m_running->finish(BrowserSessionError{BrowserSessionError::Code::canceledLogin});
}

bool BrowserSignIn::handleCallbackURL(const QUrl &url)
{
    const QUrl expected = AppConfig::signInCallbackURL();
    // A callback that does not parse shows no state to match; the running
    // sign-in ends with a parse error rather than wait for nothing.
    if (!url.isValid() && url.scheme() == expected.scheme() && isRunning()) {
        qCWarning(lcAuthManager) << "A sign-in callback could not be parsed; ending the sign-in";
        m_running->finish(url);
        return true;
    }
    if (url.scheme() != expected.scheme() || url.host() != expected.host() || url.path() != expected.path())
        return false;
    if (!isRunning()) {
        qCWarning(lcAuthManager) << "Ignoring a sign-in callback: no sign-in is running";
        return false;
    }
    const QString state = QUrlQuery(url).queryItemValue(QStringLiteral("state"), QUrl::FullyDecoded);
    if (state != m_running->state) {
        qCWarning(lcAuthManager) << "Ignoring a sign-in callback whose state does not match";
        return false;
    }
    m_running->finish(url);
    return true;
}

QCoro::Task<std::expected<BrowserSignIn::Grant, SignInError>> BrowserSignIn::run(std::chrono::milliseconds timeout)
{
    if (isRunning()) {
        qCInfo(lcAuthManager) << "A new sign-in replaces the running one";
        cancel();
    }
    const auto waiter = std::make_shared<SignInWaiter>();
    waiter->verifier = randomURLSafeText(32);
    waiter->state = randomURLSafeText(16);
    m_running = waiter;
    const auto forget = [this, waiter] {
        if (m_running == waiter)
            m_running.reset();
    };

    waiter->timer.setSingleShot(true);
    QObject::connect(&waiter->timer, &QTimer::timeout, waiter.get(), [w = waiter.get()] {
        qCWarning(lcAuthManager) << "Browser sign-in timed out";
        w->finish(BrowserSessionError{BrowserSessionError::Code::canceledLogin});
    });
    waiter->timer.start(timeout);

    qCInfo(lcAuthManager).noquote() << talvoro::phaseLine(QStringLiteral("signin"), {{QStringLiteral("step"), QStringLiteral("browser")}});
    if (!m_urlOpener || !m_urlOpener->open(authorizationURL(codeChallengeFor(waiter->verifier), waiter->state))) {
        qCWarning(lcAuthManager) << "Could not open the browser for sign-in";
        forget();
        co_return std::unexpected(AuthError::unknownError());
    }

    auto waiting = talvoro::awaitOwned(m_owner, waiter->wait());
    if (!co_await std::move(waiting))
        co_return std::unexpected(BrowserSessionError{BrowserSessionError::Code::canceledLogin});
    forget();
    if (const auto *ended = std::get_if<BrowserSessionError>(&*waiter->outcome)) {
        qCInfo(lcAuthManager) << "Browser sign-in cancelled";
        co_return std::unexpected(*ended);
    }
    const QUrl callback = std::get<QUrl>(*waiter->outcome);
    if (!callback.isValid())
        co_return std::unexpected(AuthError::parseError());
    const QString code = QUrlQuery(callback).queryItemValue(QStringLiteral("code"), QUrl::FullyDecoded);
    if (code.isEmpty()) {
        qCWarning(lcAuthManager) << "Sign-in callback without an authorization code";
        co_return std::unexpected(AuthError::missingAuthorizationCode());
    }
    co_return Grant{code, waiter->verifier};
}

#include "BrowserSignIn.moc"

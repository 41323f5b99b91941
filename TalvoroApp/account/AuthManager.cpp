#include "account/AuthManager.h"

#include "account/AccountLogging.h"
#include "account/AppConfig.h"
#include "account/BackendAPIClient.h"
#include "platform/AwaitOwned.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaultsProviding.h"
#include "platform/Logging.h"
#include "platform/SettingsKeys.h"
#include "platform/StartTask.h"
#include "platform/UrlOpener.h"

#include <QCoroSignal>
#include <QCoroTimer>
#include <QCryptographicHash>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrlQuery>

#include <array>
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

// One shared token refresh (or keychain load) that later callers join.
class TokenWaiter : public QObject
{
    Q_OBJECT
public:
    bool done = false;
    std::optional<QString> result;

    void finish(const std::optional<QString> &value)
    {
        if (done)
            return;
        done = true;
        result = value;
        Q_EMIT finished();
    }

    QCoro::Task<void> wait()
    {
        if (!done)
            co_await qCoro(this, &TokenWaiter::finished);
    }

Q_SIGNALS:
    void finished();
};

namespace {

// QCoro 0.8 moves from a non-const lvalue given to co_return; members and
// shared results are returned as copies.
template<typename T>
std::optional<QString> copyOf(const T &value)
{
    return std::optional<QString>(value);
}

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

std::optional<QString> nonEmptyString(const QJsonObject &object, const char *key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (!value.isString() || value.toString().isEmpty())
        return std::nullopt;
    return value.toString();
}

AuthError signInErrorFromBackend(const BackendAPIError &error)
{
    switch (error.kind()) {
    case BackendAPIError::Kind::networkError:
        return AuthError::networkError(error.message());
    case BackendAPIError::Kind::parseError:
        return AuthError::parseError();
    case BackendAPIError::Kind::serverError:
        return AuthError::serverError(error.statusCode(), error.message());
    case BackendAPIError::Kind::notAuthenticated:
        return AuthError::serverError(401, error.errorDescription());
    default:
        return AuthError::serverError(0, error.errorDescription());
    }
}

} // namespace

AuthManager::AuthManager(Dependencies dependencies, QObject *parent)
    : QObject(parent), m_deps(std::move(dependencies))
{
    auto &settings = *m_deps.settings;
    const auto stored = [&](const SettingKey<QString> &key) -> std::optional<QString> {
        const QString value = settings.value(key);
        return value.isEmpty() ? std::nullopt : std::optional<QString>(value);
    };
    m_userId = stored(SettingsKeys::authUserId);
    m_isAuthenticated = m_userId.has_value();
    if (m_isAuthenticated) {
        m_userEmail = stored(SettingsKeys::authUserEmail);
        m_userName = stored(SettingsKeys::authUserName);
        if (const auto avatar = stored(SettingsKeys::authUserAvatarUrl))
            m_userAvatarURL = QUrl(*avatar);
    }
}

AuthManager::~AuthManager() = default;

AuthManager &AuthManager::shared()
{
    return SharedInstance<AuthManager>::get();
}

std::unique_ptr<BackendAPIClient> AuthManager::makeClient() const
{
    return std::make_unique<BackendAPIClient>(nullptr, m_deps.network, m_deps.baseURL);
}

QUrl AuthManager::authorizationURL(const QString &codeChallenge, const QString &state) const
{
    QString base = m_deps.baseURL.toString();
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

// MARK: published state

void AuthManager::setAuthenticated(bool value)
{
    if (m_isAuthenticated == value)
        return;
    m_isAuthenticated = value;
    Q_EMIT isAuthenticatedChanged();
}

void AuthManager::setSessionExpired(bool value)
{
    if (m_sessionExpired == value)
        return;
    m_sessionExpired = value;
    Q_EMIT sessionExpiredChanged();
}

void AuthManager::setUserFields(std::optional<QString> id, std::optional<QString> email, std::optional<QString> name,
                                std::optional<QUrl> avatar)
{
    if (m_userId != id) {
        m_userId = std::move(id);
        Q_EMIT userIdChanged();
    }
    if (m_userEmail != email) {
        m_userEmail = std::move(email);
        Q_EMIT userEmailChanged();
    }
    if (m_userName != name) {
        m_userName = std::move(name);
        Q_EMIT userNameChanged();
    }
    if (m_userAvatarURL != avatar) {
        m_userAvatarURL = std::move(avatar);
        Q_EMIT userAvatarURLChanged();
    }
}

void AuthManager::applyUser(const QJsonObject &user)
{
    const auto id = nonEmptyString(user, "id");
    const auto email = nonEmptyString(user, "email");
    const auto name = nonEmptyString(user, "name");
    const auto avatar = nonEmptyString(user, "avatarUrl");
    auto &settings = *m_deps.settings;
    const auto store = [&](const SettingKey<QString> &key, const std::optional<QString> &value) {
        if (value)
            settings.set(key, *value);
        else
            settings.remove(key);
    };
    store(SettingsKeys::authUserId, id ? id : m_userId);
    store(SettingsKeys::authUserEmail, email);
    store(SettingsKeys::authUserName, name);
    store(SettingsKeys::authUserAvatarUrl, avatar);
    setUserFields(id ? id : m_userId, email, name, avatar ? std::optional<QUrl>(QUrl(*avatar)) : std::nullopt);
}

void AuthManager::bumpGeneration()
{
    ++m_sessionGeneration;
    Q_EMIT sessionGenerationChanged();
}

// MARK: keychain

QCoro::Task<void> AuthManager::ensureTokensLoaded()
{
    if (m_tokensLoaded)
        co_return;
    if (m_load) {
        const auto waiter = m_load;
        co_await waiter->wait();
        co_return;
    }
    const auto waiter = std::make_shared<TokenWaiter>();
    m_load = waiter;
    const quint64 generation = m_sessionGeneration;

    // The four items, read in order; nothing when this manager went away
    // meanwhile (its callers then find it gone as well).
    std::array<std::expected<std::optional<QString>, SecretStoreError>, 4> items;
    const std::array<const char *, 4> names{kAccessTokenItem, kRefreshTokenItem, kExpiresAtItem, kSentinelItem};
    for (size_t i = 0; i < names.size(); ++i) {
        auto reading = talvoro::awaitOwned(this, m_deps.secrets->read(QString::fromLatin1(names[i])));
        auto read = co_await std::move(reading);
        if (!read) {
            waiter->finish(std::nullopt);
            co_return;
        }
        items[i] = std::move(*read);
    }
    const auto &[access, refresh, expires, sentinel] = items;

    if (generation == m_sessionGeneration && !m_tokensLoaded) {
        if (!access || !refresh || !expires || !sentinel) {
            const SecretStoreError &error =
                !access ? access.error() : !refresh ? refresh.error() : !expires ? expires.error() : sentinel.error();
            qCWarning(lcAuthManager, "Keychain read failed: %s", qUtf8Printable(error.detail));
        } else {
            m_tokensLoaded = true;
            if (sentinel->has_value()) {
                m_accessToken = access->value_or(QString());
                m_refreshToken = refresh->value_or(QString());
                bool ok = false;
                const qint64 ms = expires->value_or(QString()).toLongLong(&ok);
                m_expiresAt = ok ? QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC) : QDateTime();
            } else if (access->has_value() || refresh->has_value()) {
                // Written by a sign-in that never completed: not a session.
                qCInfo(lcAuthManager) << "Ignoring tokens without a keychain sentinel";
            }
        }
    }
    waiter->finish(std::nullopt);
    if (m_load == waiter)
        m_load.reset();
}

QCoro::Task<std::expected<void, SecretStoreError>> AuthManager::storeTokens(Tokens tokens)
{
    auto *secrets = m_deps.secrets;
    // The sentinel goes last: its presence says the three items are complete.
    const std::pair<const char *, QString> items[] = {
        {kAccessTokenItem, tokens.access},
        {kRefreshTokenItem, tokens.refresh},
        {kExpiresAtItem, tokens.expiresAt.isValid() ? QString::number(tokens.expiresAt.toMSecsSinceEpoch()) : QString()},
        {kSentinelItem, QStringLiteral("1")},
    };
    for (const auto &[key, value] : items) {
        // The store is the manager's: gone with it, nothing more is written.
        auto writing = talvoro::awaitOwned(this, secrets->write(QString::fromLatin1(key), value));
        const auto written = co_await std::move(writing);
        if (!written)
            co_return std::unexpected(SecretStoreError{QStringLiteral("the sign-in owner went away")});
        if (!*written)
            co_return std::unexpected(written->error());
    }
    co_return {};
}

void AuthManager::removeStoredSecrets()
{
    for (const char *key : {kAccessTokenItem, kRefreshTokenItem, kExpiresAtItem, kSentinelItem}) {
        talvoro::startTask(this, m_deps.secrets->remove(QString::fromLatin1(key)), "Deleting a keychain item");
    }
}

std::optional<AuthManager::Tokens> AuthManager::tokensFromReply(const QJsonObject &reply,
                                                                const QString &previousRefresh) const
{
    const auto access = nonEmptyString(reply, "accessToken");
    if (!access)
        return std::nullopt;
    Tokens tokens;
    tokens.access = *access;
    tokens.refresh = nonEmptyString(reply, "refreshToken").value_or(previousRefresh);
    if (tokens.refresh.isEmpty())
        return std::nullopt;
    const QJsonValue expiresIn = reply.value(QLatin1String("expiresIn"));
    const QJsonValue expiresAt = reply.value(QLatin1String("expiresAt"));
    if (expiresAt.isDouble())
        tokens.expiresAt = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(expiresAt.toDouble()), Qt::UTC);
    else if (expiresIn.isDouble())
        tokens.expiresAt = m_deps.now().addMSecs(static_cast<qint64>(expiresIn.toDouble() * 1000));
    return tokens;
}

QCoro::Task<void> AuthManager::restoreSession()
{
    auto loading = talvoro::awaitOwned(this, ensureTokensLoaded());
    if (!co_await std::move(loading) || !m_tokensLoaded)
        co_return;
    const bool hasTokens = !m_accessToken.isEmpty() || !m_refreshToken.isEmpty();
    if (m_isAuthenticated && !hasTokens) {
        qCWarning(lcAuthManager) << "Signed-in user has no tokens in the keychain; ending the session";
        endSession(true);
    } else if (!m_isAuthenticated && hasTokens) {
        qCInfo(lcAuthManager) << "Removing keychain tokens left without a signed-in user";
        removeStoredSecrets();
        m_accessToken.clear();
        m_refreshToken.clear();
        m_expiresAt = {};
    }
}

// MARK: sign-in

bool AuthManager::isSigningIn() const
{
    return m_signIn && !m_signIn->outcome;
}

void AuthManager::cancelSignIn()
{
    if (m_signIn)
        m_signIn->finish(BrowserSessionError{BrowserSessionError::Code::canceledLogin});
}

bool AuthManager::handleCallbackURL(const QUrl &url)
{
    const QUrl expected = AppConfig::signInCallbackURL();
    // A callback that does not parse shows no state to match; the running
    // sign-in ends with a parse error rather than wait for nothing.
    if (!url.isValid() && url.scheme() == expected.scheme() && isSigningIn()) {
        qCWarning(lcAuthManager) << "A sign-in callback could not be parsed; ending the sign-in";
        m_signIn->finish(url);
        return true;
    }
    if (url.scheme() != expected.scheme() || url.host() != expected.host() || url.path() != expected.path())
        return false;
    if (!isSigningIn()) {
        qCWarning(lcAuthManager) << "Ignoring a sign-in callback: no sign-in is running";
        return false;
    }
    const QString state = QUrlQuery(url).queryItemValue(QStringLiteral("state"), QUrl::FullyDecoded);
    if (state != m_signIn->state) {
        qCWarning(lcAuthManager) << "Ignoring a sign-in callback whose state does not match";
        return false;
    }
    m_signIn->finish(url);
    return true;
}

QCoro::Task<std::expected<void, SignInError>> AuthManager::signIn()
{
    if (isSigningIn()) {
        qCInfo(lcAuthManager) << "A new sign-in replaces the running one";
        cancelSignIn();
    }
    const auto waiter = std::make_shared<SignInWaiter>();
    waiter->verifier = randomURLSafeText(32);
    waiter->state = randomURLSafeText(16);
    m_signIn = waiter;
    const auto forget = [this, waiter] {
        if (m_signIn == waiter)
            m_signIn.reset();
    };

    waiter->timer.setSingleShot(true);
    connect(&waiter->timer, &QTimer::timeout, waiter.get(), [w = waiter.get()] {
        qCWarning(lcAuthManager) << "Browser sign-in timed out";
        w->finish(BrowserSessionError{BrowserSessionError::Code::canceledLogin});
    });
    waiter->timer.start(m_signInTimeout);

    qCInfo(lcAuthManager).noquote() << talvoro::phaseLine(QStringLiteral("signin"), {{QStringLiteral("step"), QStringLiteral("browser")}});
    if (!m_deps.urlOpener || !m_deps.urlOpener->open(authorizationURL(codeChallengeFor(waiter->verifier), waiter->state))) {
        qCWarning(lcAuthManager) << "Could not open the browser for sign-in";
        forget();
        co_return std::unexpected(AuthError::unknownError());
    }

    auto waiting = talvoro::awaitOwned(this, waiter->wait());
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

    qCInfo(lcAuthManager).noquote() << talvoro::phaseLine(QStringLiteral("signin"), {{QStringLiteral("step"), QStringLiteral("exchange")}});
    const quint64 generation = m_sessionGeneration;
    const auto client = makeClient();
    auto exchange = talvoro::awaitOwned(
        this, client->requestSession(code, waiter->verifier, AppConfig::signInCallbackURL().toString()));
    const auto exchanged = co_await std::move(exchange);
    if (!exchanged)
        co_return std::unexpected(BrowserSessionError{BrowserSessionError::Code::canceledLogin});
    const auto &reply = *exchanged;
    if (!reply) {
        qCWarning(lcAuthManager, "Code exchange failed: %s", qUtf8Printable(reply.error().errorDescription()));
        co_return std::unexpected(signInErrorFromBackend(reply.error()));
    }
    const auto tokens = tokensFromReply(*reply, QString());
    const QJsonObject user = reply->value(QLatin1String("user")).toObject();
    if (!tokens || !nonEmptyString(user, "id")) {
        qCWarning(lcAuthManager) << "Code exchange reply is incomplete";
        co_return std::unexpected(AuthError::parseError());
    }
    if (generation != m_sessionGeneration) {
        qCInfo(lcAuthManager) << "Session changed during sign-in; dropping its result";
        co_return std::unexpected(BrowserSessionError{BrowserSessionError::Code::canceledLogin});
    }

    auto store = talvoro::awaitOwned(this, storeTokens(*tokens));
    const auto storing = co_await std::move(store);
    if (!storing)
        co_return std::unexpected(BrowserSessionError{BrowserSessionError::Code::canceledLogin});
    const auto &stored = *storing;
    if (!stored) {
        qCWarning(lcAuthManager, "Could not store tokens in the keychain: %s", qUtf8Printable(stored.error().detail));
        co_return std::unexpected(stored.error());
    }
    if (generation != m_sessionGeneration) {
        qCInfo(lcAuthManager) << "Session changed during sign-in; dropping its result";
        co_return std::unexpected(BrowserSessionError{BrowserSessionError::Code::canceledLogin});
    }

    cancelRunningRefresh();
    m_accessToken = tokens->access;
    m_refreshToken = tokens->refresh;
    m_expiresAt = tokens->expiresAt;
    m_tokensLoaded = true;
    bumpGeneration();
    m_userId.reset();
    applyUser(user);
    setSessionExpired(false);
    setAuthenticated(true);
    qCInfo(lcAuthManager) << "Signed in";
    co_return {};
}

// MARK: sign-out

void AuthManager::signOut()
{
    endSession(false);
    qCInfo(lcAuthManager) << "Signed out";
}

void AuthManager::endSession(bool expired)
{
    if (m_userId)
        m_deps.settings->set(SettingsKeys::lastAuthenticatedAccountId, *m_userId);
    cancelRunningRefresh();
    cancelSignIn();
    removeStoredSecrets();
    m_accessToken.clear();
    m_refreshToken.clear();
    m_expiresAt = {};
    m_tokensLoaded = true;
    for (const SettingKeyBase *key : {&SettingsKeys::authUserId, &SettingsKeys::authUserEmail,
                                      &SettingsKeys::authUserName, &SettingsKeys::authUserAvatarUrl})
        m_deps.settings->remove(*key);
    bumpGeneration();
    if (m_clearAvatarCache)
        m_clearAvatarCache();
    setAuthenticated(false);
    setSessionExpired(expired);
    setUserFields(std::nullopt, std::nullopt, std::nullopt, std::nullopt);
}

void AuthManager::updateAvatarURL(const std::optional<QUrl> &url)
{
    if (m_clearAvatarCache)
        m_clearAvatarCache();
    if (m_userAvatarURL != url) {
        m_userAvatarURL = url;
        Q_EMIT userAvatarURLChanged();
    }
    if (url)
        m_deps.settings->set(SettingsKeys::authUserAvatarUrl, url->toString(QUrl::FullyEncoded));
    else
        m_deps.settings->remove(SettingsKeys::authUserAvatarUrl);
}

// MARK: tokens

QCoro::Task<std::optional<QString>> AuthManager::getValidAccessToken()
{
    auto loading = talvoro::awaitOwned(this, ensureTokensLoaded());
    if (!co_await std::move(loading) || m_accessToken.isEmpty())
        co_return std::nullopt;
    if (!m_expiresAt.isValid() || m_deps.now().addSecs(kRefreshMargin.count()) < m_expiresAt)
        co_return copyOf(m_accessToken);
    auto refreshing = refreshShared();
    co_return co_await std::move(refreshing);
}

QCoro::Task<std::optional<QString>> AuthManager::forceRefresh()
{
    auto loading = talvoro::awaitOwned(this, ensureTokensLoaded());
    if (!co_await std::move(loading) || !m_isAuthenticated)
        co_return std::nullopt;
    auto refreshing = refreshShared();
    co_return co_await std::move(refreshing);
}

void AuthManager::cancelRunningRefresh()
{
    if (const auto waiter = std::exchange(m_refresh, nullptr))
        waiter->finish(std::nullopt);
}

QCoro::Task<std::optional<QString>> AuthManager::refreshShared()
{
    if (m_refresh) {
        const auto waiter = m_refresh;
        co_await waiter->wait();
        co_return copyOf(waiter->result);
    }
    const auto waiter = std::make_shared<TokenWaiter>();
    m_refresh = waiter;
    auto refresh = talvoro::awaitOwned(this, performRefresh(m_sessionGeneration));
    const auto refreshed = co_await std::move(refresh);
    // Those who joined are let go either way; they check for the manager themselves.
    waiter->finish(refreshed.value_or(std::nullopt));
    if (!refreshed)
        co_return std::nullopt;
    if (m_refresh == waiter)
        m_refresh.reset();
    co_return copyOf(waiter->result);
}

QCoro::Task<std::optional<QString>> AuthManager::performRefresh(quint64 generation)
{
    if (m_refreshToken.isEmpty()) {
        if (m_isAuthenticated) {
            qCWarning(lcAuthManager) << "No refresh token stored; the session has ended";
            endSession(true);
        }
        co_return std::nullopt;
    }
    qCInfo(lcAuthManager) << "Refreshing the access token";
    const auto client = makeClient();
    auto refreshCall = talvoro::awaitOwned(this, client->refreshSession(m_refreshToken));
    auto answered = co_await std::move(refreshCall);
    if (!answered)
        co_return std::nullopt;
    auto reply = std::move(*answered);
    if (generation != m_sessionGeneration) {
        qCInfo(lcAuthManager) << "Session changed during token refresh; dropping its result";
        co_return std::nullopt;
    }
    const auto transient = [](const BackendAPIError &error) {
        return error.kind() == BackendAPIError::Kind::networkError
            || (error.kind() == BackendAPIError::Kind::serverError && error.statusCode() >= 500);
    };
    if (!reply && transient(reply.error())) {
        qCInfo(lcAuthManager, "Token refresh failed (%s); trying once more",
               qUtf8Printable(reply.error().errorDescription()));
        auto pause = talvoro::awaitOwned(this, QCoro::sleepFor(kRefreshRetryPause));
        if (!co_await std::move(pause) || generation != m_sessionGeneration)
            co_return std::nullopt;
        auto retry = talvoro::awaitOwned(this, client->refreshSession(m_refreshToken));
        auto retried = co_await std::move(retry);
        if (!retried)
            co_return std::nullopt;
        reply = std::move(*retried);
        if (generation != m_sessionGeneration) {
            qCInfo(lcAuthManager) << "Session changed during token refresh; dropping its result";
            co_return std::nullopt;
        }
    }
    if (!reply) {
        const BackendAPIError &error = reply.error();
        const bool refused = error.kind() == BackendAPIError::Kind::notAuthenticated
            || (error.kind() == BackendAPIError::Kind::serverError
                && (error.statusCode() == 400 || error.statusCode() == 403));
        if (refused) {
            qCWarning(lcAuthManager) << "The backend refused the refresh token; the session has ended";
            endSession(true);
        } else {
            qCWarning(lcAuthManager, "Token refresh failed: %s", qUtf8Printable(error.errorDescription()));
        }
        co_return std::nullopt;
    }
    const auto tokens = tokensFromReply(*reply, m_refreshToken);
    if (!tokens) {
        qCWarning(lcAuthManager) << "Token refresh reply is incomplete";
        co_return std::nullopt;
    }
    auto store = talvoro::awaitOwned(this, storeTokens(*tokens));
    const auto storing = co_await std::move(store);
    if (!storing)
        co_return std::nullopt;
    const auto &stored = *storing;
    if (generation != m_sessionGeneration) {
        qCInfo(lcAuthManager) << "Session changed during token refresh; dropping its result";
        co_return std::nullopt;
    }
    if (!stored)
        qCWarning(lcAuthManager, "Could not store refreshed tokens: %s", qUtf8Printable(stored.error().detail));
    m_accessToken = tokens->access;
    m_refreshToken = tokens->refresh;
    m_expiresAt = tokens->expiresAt;
    if (reply->value(QLatin1String("user")).isObject())
        applyUser(reply->value(QLatin1String("user")).toObject());
    qCInfo(lcAuthManager) << "Access token refreshed";
    co_return copyOf(m_accessToken);
}

#include "AuthManager.moc"

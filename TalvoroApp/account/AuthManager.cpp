#include "account/AuthManager.h"

#include "account/AccountLogging.h"
#include "account/AppConfig.h"
#include "account/AuthReplies.h"
#include "account/BackendAPIClient.h"
#include "platform/AwaitOwned.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaultsProviding.h"
#include "platform/Logging.h"
#include "platform/SettingsKeys.h"

#include <QJsonObject>

#include <algorithm>
#include <iterator>

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
    // A profile from before the flag, anything stored at all, is read once;
    // a first start has nothing stored.
    m_keychainMayHoldTokens = m_isAuthenticated
        || (settings.contains(SettingsKeys::authTokensMayBeStored)
                ? settings.value(SettingsKeys::authTokensMayBeStored)
                : std::any_of(std::begin(SettingsKeys::all), std::end(SettingsKeys::all),
                              [&](const SettingKeyBase *key) { return settings.contains(*key); }));
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
    const auto id = AuthReplies::nonEmptyString(user, "id");
    const auto email = AuthReplies::nonEmptyString(user, "email");
    const auto name = AuthReplies::nonEmptyString(user, "name");
    const auto avatar = AuthReplies::nonEmptyString(user, "avatarUrl");
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

QCoro::Task<void> AuthManager::restoreSession()
{
    if (!m_keychainMayHoldTokens) {
        // On KDE the first read opens KWallet's wallet wizard: not before
        // anyone signed in.
        m_deps.settings->set(SettingsKeys::authTokensMayBeStored, false);
        if (!m_load)
            m_tokensLoaded = true;
        co_return;
    }
    auto loading = talvoro::awaitOwned(this, ensureTokensLoaded());
    if (!co_await std::move(loading) || !m_tokensLoaded)
        co_return;
    const bool hasTokens = !m_accessToken.isEmpty() || !m_refreshToken.isEmpty();
    if (m_isAuthenticated && !hasTokens) {
        qCWarning(lcAuthManager) << "Signed-in user has no tokens in the keychain; ending the session";
        endSession(true);
    } else if (!m_isAuthenticated && hasTokens) {
        qCInfo(lcAuthManager) << "Removing keychain tokens left without a signed-in user";
        m_keychain.removeAll();
        m_accessToken.clear();
        m_refreshToken.clear();
        m_expiresAt = {};
    }
    // Cleared once a read finds none; tokens just removed are looked for
    // again next time, in case the removal failed.
    m_deps.settings->set(SettingsKeys::authTokensMayBeStored, hasTokens);
}

// MARK: sign-in

QUrl AuthManager::authorizationURL(const QString &codeChallenge, const QString &state) const
{
    return m_browser.authorizationURL(codeChallenge, state);
}

bool AuthManager::isSigningIn() const
{
    return m_browser.isRunning();
}

void AuthManager::cancelSignIn()
{
    m_browser.cancel();
}

bool AuthManager::handleCallbackURL(const QUrl &url)
{
    return m_browser.handleCallbackURL(url);
}

QCoro::Task<std::expected<void, SignInError>> AuthManager::signIn()
{
    // Ends at once, touching nothing, when this manager went away meanwhile.
    auto browsing = m_browser.run(m_signInTimeout);
    const auto granted = co_await std::move(browsing);
    if (!granted)
        co_return std::unexpected(granted.error());
    const QString code = granted->code;

    qCInfo(lcAuthManager).noquote() << talvoro::phaseLine(QStringLiteral("signin"), {{QStringLiteral("step"), QStringLiteral("exchange")}});
    const quint64 generation = m_sessionGeneration;
    const auto client = makeClient();
    auto exchange = talvoro::awaitOwned(
        this, client->requestSession(code, granted->verifier, AppConfig::signInCallbackURL().toString()));
    const auto exchanged = co_await std::move(exchange);
    if (!exchanged)
        co_return std::unexpected(BrowserSessionError{BrowserSessionError::Code::canceledLogin});
    const auto &reply = *exchanged;
    if (!reply) {
        qCWarning(lcAuthManager, "Code exchange failed: %s", qUtf8Printable(reply.error().errorDescription()));
        co_return std::unexpected(AuthReplies::signInErrorFromBackend(reply.error()));
    }
    const auto tokens = AuthReplies::tokensFromReply(*reply, QString(), m_deps.now);
    const QJsonObject user = reply->value(QLatin1String("user")).toObject();
    if (!tokens || !AuthReplies::nonEmptyString(user, "id")) {
        qCWarning(lcAuthManager) << "Code exchange reply is incomplete";
        co_return std::unexpected(AuthError::parseError());
    }
    if (generation != m_sessionGeneration) {
        qCInfo(lcAuthManager) << "Session changed during sign-in; dropping its result";
        co_return std::unexpected(BrowserSessionError{BrowserSessionError::Code::canceledLogin});
    }

    // Before the first item is written: a start after a crash mid-write
    // still finds (and reconciles) what was written.
    m_deps.settings->set(SettingsKeys::authTokensMayBeStored, true);
    auto store = talvoro::awaitOwned(this, m_keychain.write(*tokens));
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
    m_browser.cancel();
    m_keychain.removeAll();
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


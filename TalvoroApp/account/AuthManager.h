#pragma once

#include "account/AuthKeychain.h"
#include "account/BrowserSignIn.h"
#include "account/SignInError.h"

#include <QCoroTask>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <expected>
#include <functional>
#include <memory>
#include <optional>

class BackendAPIClient;
class QNetworkAccessManager;
class SecretStore;
class UrlOpener;
class UserDefaultsProviding;
class TokenWaiter;
class QJsonObject;

// The single owner of the sign-in state, the tokens and the session
// generation. Tokens live only in the secret store; the user's fields in the
// settings store. Lives on the main thread.
class AuthManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isAuthenticated READ isAuthenticated NOTIFY isAuthenticatedChanged)
    Q_PROPERTY(bool sessionExpired READ sessionExpired NOTIFY sessionExpiredChanged)
public:
    // A keychain that has not answered a read or write by then (a wallet
    // that never opens) fails it as unanswered; long enough to type a
    // wallet's password into its prompt.
    static constexpr std::chrono::seconds kKeychainTimeout{20};

    struct Dependencies
    {
        SecretStore *secrets = nullptr;
        UserDefaultsProviding *settings = nullptr;
        UrlOpener *urlOpener = nullptr;
        QNetworkAccessManager *network = nullptr;
        QUrl baseURL;
        std::function<QDateTime()> now = [] { return QDateTime::currentDateTimeUtc(); };
        // How long a keychain read or write may go unanswered (kKeychainTimeout).
        std::chrono::milliseconds keychainTimeout = kKeychainTimeout;
    };

    // Keychain item names (the settings keys are in platform/SettingsKeys.h).
    static constexpr const char *kAccessTokenItem = AuthKeychain::kAccessTokenItem;
    static constexpr const char *kRefreshTokenItem = AuthKeychain::kRefreshTokenItem;
    static constexpr const char *kExpiresAtItem = AuthKeychain::kExpiresAtItem;
    static constexpr const char *kSentinelItem = AuthKeychain::kSentinelItem;

    // An access token this close to its expiry is refreshed before use.
    static constexpr std::chrono::seconds kRefreshMargin{60};
    // A refresh that got no answer (or a 5xx) is tried once more after this
    // pause with the same refresh token: the backend may have rotated it and
    // lost the reply, and accepts the previous token once for a short while.
    static constexpr std::chrono::seconds kRefreshRetryPause{1};
    // A browser sign-in nobody finishes ends as cancelled after this long.
    static constexpr std::chrono::minutes kDefaultSignInTimeout{5};

    AuthManager(Dependencies dependencies, QObject *parent = nullptr);
    ~AuthManager() override;

    // `AuthManager.shared`: the manager the composition root made.
    static AuthManager &shared();

    bool isAuthenticated() const { return m_isAuthenticated; }
    bool sessionExpired() const { return m_sessionExpired; }
    std::optional<QString> userName() const { return m_userName; }
    std::optional<QString> userEmail() const { return m_userEmail; }
    std::optional<QUrl> userAvatarURL() const { return m_userAvatarURL; }
    std::optional<QString> userId() const { return m_userId; }
    quint64 sessionGeneration() const { return m_sessionGeneration; }

    // Reads the tokens from the keychain and reconciles them with the
    // settings (a user without tokens ends as an expired session; tokens
    // without a user are removed). Called once at start; token reads await it.
    // Where no tokens were ever stored (`authTokensMayBeStored`, or a first
    // start) the keychain is not touched.
    [[nodiscard]] QCoro::Task<void> restoreSession();

    // The browser sign-in with PKCE (S256) and a `state` value. Ends when
    // handleCallbackURL gets the matching callback, on cancelSignIn, or after
    // the sign-in time-out (both cancelled). A new signIn cancels a running one.
    [[nodiscard]] QCoro::Task<std::expected<void, SignInError>> signIn();
    // Entry of the callback URL router; true when the URL was a sign-in
    // callback of the running sign-in.
    bool handleCallbackURL(const QUrl &url);
    void cancelSignIn();
    bool isSigningIn() const;
    void setSignInTimeout(std::chrono::milliseconds timeout) { m_signInTimeout = timeout; }

    void signOut();
    void updateAvatarURL(const std::optional<QUrl> &url);
    // Empties the avatar cache of the user interface (AvatarImageCache::clear).
    void setAvatarCacheClearer(std::function<void()> clear) { m_clearAvatarCache = std::move(clear); }

    // nullopt: no access token stored, or the needed refresh failed
    // (hasStoredAccessToken tells which). One refresh runs at a time.
    [[nodiscard]] QCoro::Task<std::optional<QString>> getValidAccessToken();
    [[nodiscard]] QCoro::Task<std::optional<QString>> forceRefresh();
    bool hasStoredAccessToken() const { return !m_accessToken.isEmpty(); }

    // A refresh has been sent and has not yet stored its tokens (or failed).
    bool isRefreshing() const;

    // The authorisation page URL for a challenge and state (tests read it).
    QUrl authorizationURL(const QString &codeChallenge, const QString &state) const;

Q_SIGNALS:
    void isAuthenticatedChanged();
    void sessionExpiredChanged();
    void userNameChanged();
    void userEmailChanged();
    void userAvatarURLChanged();
    void userIdChanged();
    void sessionGenerationChanged();

private:
    [[nodiscard]] QCoro::Task<void> ensureTokensLoaded();
    [[nodiscard]] QCoro::Task<std::optional<QString>> refreshShared();
    [[nodiscard]] QCoro::Task<std::optional<QString>> performRefresh(quint64 generation);
    void applyUser(const QJsonObject &user);
    void endSession(bool expired);
    void cancelRunningRefresh();
    void bumpGeneration();
    void setAuthenticated(bool value);
    void setSessionExpired(bool value);
    void setUserFields(std::optional<QString> id, std::optional<QString> email, std::optional<QString> name,
                       std::optional<QUrl> avatar);
    std::unique_ptr<BackendAPIClient> makeClient() const;

    Dependencies m_deps;
    AuthKeychain m_keychain{m_deps.secrets, this, m_deps.keychainTimeout};
    // Decided from the settings as they were when this manager was made.
    bool m_keychainMayHoldTokens = false;
    BrowserSignIn m_browser{m_deps.urlOpener, m_deps.baseURL, this};
    std::function<void()> m_clearAvatarCache;
    std::chrono::milliseconds m_signInTimeout = kDefaultSignInTimeout;

    bool m_isAuthenticated = false;
    bool m_sessionExpired = false;
    std::optional<QString> m_userId;
    std::optional<QString> m_userName;
    std::optional<QString> m_userEmail;
    std::optional<QUrl> m_userAvatarURL;
    quint64 m_sessionGeneration = 0;

    bool m_tokensLoaded = false;
    bool m_tokensLoading = false;
    QString m_accessToken;
    QString m_refreshToken;
    QDateTime m_expiresAt;

    std::shared_ptr<TokenWaiter> m_refresh;
    std::shared_ptr<TokenWaiter> m_load;
};

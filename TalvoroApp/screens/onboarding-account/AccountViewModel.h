#pragma once

#include "platform/ImagePreparation.h"

#include <QCoroTask>
#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <expected>
#include <functional>
#include <memory>
#include <optional>

class AuthManager;
class BackendAPIClient;
class SignInRunner;
class UserDefaultsProviding;

Q_DECLARE_LOGGING_CATEGORY(lcAccountView)

namespace talvoro::account {

// The account screen without widgets: what it shows of the signed-in user,
// its sign-in, sign-out and the avatar upload and removal. Every change of
// what the screen shows emits changed().
class AccountViewModel : public QObject
{
    Q_OBJECT
public:
    using ClientFactory = std::function<std::shared_ptr<BackendAPIClient>()>;

    // Picked files larger than this are refused before they are read.
    static constexpr qint64 kMaxAvatarFileBytes = 50 * 1024 * 1024;

    // `auth` null: the screen runs without an account layer and starts
    // nothing. `dismiss` takes the screen off the navigation path; it runs
    // when the user goes from signed in to signed out, wherever that came from.
    AccountViewModel(AuthManager *auth, UserDefaultsProviding &settings, ClientFactory makeClient,
                     std::function<void()> dismiss, QObject *parent = nullptr);

    bool isAuthenticated() const;
    std::optional<QString> userName() const;
    std::optional<QString> userEmail() const;
    std::optional<QUrl> avatarURL() const;
    QString weeklyCountText() const;

    bool isUploading() const { return m_runningAvatarFlows > 0; }
    bool isSigningIn() const;
    // The account button and the "Entrar" row: off while a sign-in runs.
    bool canSignIn() const;
    // The avatar button: off while an upload or removal runs.
    bool canPickAvatar() const { return !isUploading(); }
    // "Remover Foto": only with an avatar; it stays usable during an upload.
    bool canRemoveAvatar() const { return avatarURL().has_value(); }

    // The failure text of the last sign-in started here, until the alert
    // clears it or the next sign-in starts.
    std::optional<QString> signInErrorMessage() const { return m_signInErrorMessage; }
    void clearSignInError();

    void signIn();
    void signOut();

    // The file picker's outcome: the picked files, or its error text.
    void handleAvatarImport(const std::expected<QList<QUrl>, QString> &result);
    void startAvatarRemoval();
    // Neither flow waits for or refuses the other; isUploading holds while
    // any of them runs.
    [[nodiscard]] QCoro::Task<> uploadAvatar(QUrl file);
    [[nodiscard]] QCoro::Task<> removeAvatar();

    // 256 × 256 stretched, JPEG quality 80, transparency on white.
    static ImagePreparationOptions avatarImageOptions();
    // The avatar of a saved picture: the returned text when it is a URL,
    // none otherwise (which clears the avatar).
    static std::optional<QUrl> avatarURLFromString(const QString &text);

Q_SIGNALS:
    void changed();

private:
    // The flows run side by side (the context menu allows a removal during
    // an upload); the busy state lasts until the last one ends.
    void avatarFlowStarted();
    void avatarFlowEnded();
    void authenticationChanged();

    QPointer<AuthManager> m_auth;
    UserDefaultsProviding &m_settings;
    ClientFactory m_makeClient;
    std::function<void()> m_dismiss;
    SignInRunner *m_signIn;
    bool m_wasAuthenticated = false;
    int m_runningAvatarFlows = 0;
    std::optional<QString> m_signInErrorMessage;
};

} // namespace talvoro::account

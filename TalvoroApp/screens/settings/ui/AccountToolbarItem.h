#pragma once

#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <optional>

class AuthManager;
class AvatarImageLoader;
class AvatarView;
class UserDefaultsProviding;

namespace talvoro::settings {

// The user's small avatar in the accent colour, clickable as a whole
// (Return or Space when focused).
class AccountAvatarLink : public QWidget
{
    Q_OBJECT
public:
    // `loader` null: the avatar shows its starting state (the cached picture
    // of the URL, else the initials) and never downloads.
    AccountAvatarLink(const std::optional<QString> &name, const std::optional<QUrl> &avatarURL,
                      UserDefaultsProviding &defaults, AvatarImageLoader *loader, QWidget *parent = nullptr);

    AvatarView *avatar() const { return m_avatar; }

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    AvatarView *m_avatar;
};

// The account avatar item of a screen's toolbar: while signed in, an
// AccountAvatarLink (object name "accountLink") for the signed-in user,
// rebuilt when the name or picture changes; while signed out, nothing.
// A click asks the screen to open the account screen.
class AccountToolbarItem : public QWidget
{
    Q_OBJECT
public:
    AccountToolbarItem(AuthManager *auth, UserDefaultsProviding &defaults, AvatarImageLoader *loader,
                       QWidget *parent = nullptr);

    AccountAvatarLink *link() const { return m_link; }

Q_SIGNALS:
    void accountRequested();

private:
    void refresh();

    QPointer<AuthManager> m_auth;
    UserDefaultsProviding &m_defaults;
    AvatarImageLoader *m_loader;
    AccountAvatarLink *m_link = nullptr;
};

} // namespace talvoro::settings

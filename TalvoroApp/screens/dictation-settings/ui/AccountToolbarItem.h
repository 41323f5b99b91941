#pragma once

#include <QUrl>
#include <QWidget>

#include <optional>

class AvatarImageLoader;
class AvatarView;
class UserDefaultsProviding;

namespace talvoro::dictationsettings {

// The toolbar's link to the account screen: the user's small avatar in the
// accent colour, clickable as a whole (Return or Space when focused).
class AccountToolbarItem : public QWidget
{
    Q_OBJECT
public:
    // Height of the strip the toolbar item sits in.
    static constexpr int kToolbarHeight = 48;

    // Without a loader the avatar shows the initials and never loads.
    AccountToolbarItem(const std::optional<QString> &name, const std::optional<QUrl> &avatarURL,
                       AvatarImageLoader *avatarLoader, UserDefaultsProviding &defaults,
                       QWidget *parent = nullptr);

    AvatarView *avatar() const { return m_avatar; }

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    AvatarView *m_avatar;
};

} // namespace talvoro::dictationsettings

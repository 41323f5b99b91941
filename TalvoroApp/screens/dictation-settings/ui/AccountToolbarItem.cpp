#include "screens/dictation-settings/ui/AccountToolbarItem.h"

#include "look/ui/AccentBinding.h"
#include "screens/onboarding-account/ui/AvatarView.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>

namespace talvoro::dictationsettings {

AccountToolbarItem::AccountToolbarItem(const std::optional<QString> &name, const std::optional<QUrl> &avatarURL,
                                       AvatarImageLoader *avatarLoader, UserDefaultsProviding &defaults,
                                       QWidget *parent)
    : QWidget(parent)
    // The view starts with the cached picture of the URL, if any.
    , m_avatar(new AvatarView(name.value_or(QString()), avatarURL, AvatarSize::Small,
                              AvatarView::defaultAccentColor(), {.loader = avatarLoader}, this))
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_avatar);
    ui::AccentBinding::bind(this, [this](const QColor &color) { m_avatar->setAccentColor(color); }, defaults);
}

void AccountToolbarItem::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    else
        QWidget::mouseReleaseEvent(event);
}

void AccountToolbarItem::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space)
        Q_EMIT clicked();
    else
        QWidget::keyPressEvent(event);
}

} // namespace talvoro::dictationsettings

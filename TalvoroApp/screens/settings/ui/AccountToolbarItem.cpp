#include "screens/settings/ui/AccountToolbarItem.h"

#include "account/AuthManager.h"
#include "look/Theme.h"
#include "look/ui/AccentBinding.h"
#include "look/ui/Appearance.h"
#include "look/ui/FocusRing.h"
#include "screens/settings/ui/AvatarView.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace talvoro::settings {

namespace {
constexpr int kRingRoom = 3;

AvatarView::Options avatarOptions(AvatarImageLoader *loader)
{
    AvatarView::Options options;
    options.loader = loader;
    return options;
}
} // namespace

AccountAvatarLink::AccountAvatarLink(const std::optional<QString> &name, const std::optional<QUrl> &avatarURL,
                                     UserDefaultsProviding &defaults, AvatarImageLoader *loader, QWidget *parent)
    : QWidget(parent)
    // The view starts with the cached picture of the URL, if any.
    , m_avatar(new AvatarView(name.value_or(QString()), avatarURL, AvatarSize::small,
                              AvatarView::defaultAccentColor(), avatarOptions(loader), this))
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    auto *layout = new QHBoxLayout(this);
    // Room around the picture for the focus ring.
    layout->setContentsMargins(kRingRoom, kRingRoom, kRingRoom, kRingRoom);
    layout->addWidget(m_avatar);
    ui::AccentBinding::bind(this, [this](const QColor &color) { m_avatar->setAccentColor(color); }, defaults);
}

void AccountAvatarLink::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    else
        QWidget::mouseReleaseEvent(event);
}

void AccountAvatarLink::paintEvent(QPaintEvent *)
{
    if (!ui::showsFocusRing(this))
        return;
    QPainter painter(this);
    const QRectF ring = rect();
    ui::paintFocusRing(painter, ring, ring.height() / 2, primaryColor(ui::isDark(this)));
}

void AccountAvatarLink::focusInEvent(QFocusEvent *) { update(); }
void AccountAvatarLink::focusOutEvent(QFocusEvent *) { update(); }

void AccountAvatarLink::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space)
        Q_EMIT clicked();
    else
        QWidget::keyPressEvent(event);
}

AccountToolbarItem::AccountToolbarItem(AuthManager *auth, UserDefaultsProviding &defaults, AvatarImageLoader *loader,
                                       QWidget *parent)
    : QWidget(parent)
    , m_auth(auth)
    , m_defaults(defaults)
    , m_loader(loader)
{
    setObjectName(QStringLiteral("toolbarItem"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (m_auth) {
        connect(m_auth, &AuthManager::isAuthenticatedChanged, this, &AccountToolbarItem::refresh);
        connect(m_auth, &AuthManager::userNameChanged, this, &AccountToolbarItem::refresh);
        connect(m_auth, &AuthManager::userAvatarURLChanged, this, &AccountToolbarItem::refresh);
    }
    refresh();
}

void AccountToolbarItem::refresh()
{
    delete m_link;
    m_link = nullptr;
    if (!m_auth || !m_auth->isAuthenticated())
        return;
    m_link = new AccountAvatarLink(m_auth->userName(), m_auth->userAvatarURL(), m_defaults, m_loader, this);
    m_link->setObjectName(QStringLiteral("accountLink"));
    connect(m_link, &AccountAvatarLink::clicked, this, &AccountToolbarItem::accountRequested);
    layout()->addWidget(m_link);
}

} // namespace talvoro::settings

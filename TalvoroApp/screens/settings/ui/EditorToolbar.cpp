#include "screens/settings/ui/EditorToolbar.h"

#include "look/Theme.h"
#include "look/ui/Appearance.h"
#include "look/ui/Symbols.h"
#include "screens/settings/ui/AccountToolbarItem.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace talvoro::settings {

namespace {
QToolButton *symbolButton(const char *symbol, const char *objectName, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoRaise(true);
    button->setIcon(ui::symbolIcon(QString::fromLatin1(symbol), primaryColor(ui::isDark(parent)), 18));
    button->setIconSize(QSize(18, 18));
    return button;
}
} // namespace

EditorToolbar::EditorToolbar(const QString &title, AuthManager *auth, UserDefaultsProviding &defaults,
                             AvatarImageLoader *loader, QWidget *parent)
    : ToolbarStrip(title, Placement::pushed, parent)
{
    auto *items = new QWidget(this);
    auto *row = new QHBoxLayout(items);
    row->setContentsMargins(0, 0, 0, 0);
    m_add = symbolButton("plus", "addButton", items);
    m_edit = symbolButton("pencil", "editButton", items);
    m_trash = symbolButton("trash", "trashButton", items);
    m_account = new AccountToolbarItem(auth, defaults, loader, items);
    for (QWidget *item : {static_cast<QWidget *>(m_add), static_cast<QWidget *>(m_edit),
                          static_cast<QWidget *>(m_trash), static_cast<QWidget *>(m_account)})
        row->addWidget(item);
    setTrailingItem(items);
}

} // namespace talvoro::settings

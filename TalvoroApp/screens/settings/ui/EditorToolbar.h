#pragma once

#include "screens/settings/ui/ToolbarStrip.h"

class AuthManager;
class AvatarImageLoader;
class QToolButton;
class UserDefaultsProviding;

namespace talvoro::settings {

class AccountToolbarItem;

// The toolbar of an editor screen (dictionary, replacement rules): the
// pushed screen's title, then "plus", "pencil" and "trash" without text
// (object names "addButton", "editButton", "trashButton") and the account
// avatar. The screen wires the buttons and shows or hides the last two.
class EditorToolbar : public ToolbarStrip
{
    Q_OBJECT
public:
    EditorToolbar(const QString &title, AuthManager *auth, UserDefaultsProviding &defaults, AvatarImageLoader *loader,
                  QWidget *parent = nullptr);

    QToolButton *addButton() const { return m_add; }
    QToolButton *editButton() const { return m_edit; }
    QToolButton *trashButton() const { return m_trash; }
    AccountToolbarItem *accountItem() const { return m_account; }

private:
    QToolButton *m_add;
    QToolButton *m_edit;
    QToolButton *m_trash;
    AccountToolbarItem *m_account;
};

} // namespace talvoro::settings

#pragma once

#include <QList>
#include <QWidget>

class HotkeyManager;
class PermissionManager;
class QAbstractButton;
class QLabel;
class UserDefaultsProviding;
struct AppEnvironment;

namespace talvoro::ui {
class SymbolLabel;
}

namespace talvoro::settings {

// The pushed screen "Permissões": a banner with the pending count and one
// row per permission with "Ativar" while it is missing. The permission poll
// runs while the screen is on screen.
class PermissionsView : public QWidget
{
    Q_OBJECT
public:
    // Needs the environment's settings and permissions; its hotkeys tell
    // whether this desktop can have global hotkeys at all.
    explicit PermissionsView(const AppEnvironment &environment, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Row
    {
        ui::SymbolLabel *icon;
        ui::SymbolLabel *check;
        QAbstractButton *enable;
        QLabel *unavailable;
    };
    QWidget *buildBanner();
    void refresh();

    PermissionManager &m_manager;
    const HotkeyManager *m_hotkeys;
    UserDefaultsProviding &m_settings;
    QWidget *m_banner = nullptr;
    ui::SymbolLabel *m_bannerIcon = nullptr;
    QLabel *m_bannerText = nullptr;
    QList<Row> m_rows;
};

} // namespace talvoro::settings

#pragma once

#include "navigation/Navigation.h"

#include <QObject>
#include <QPointer>
#include <QSize>

#include <optional>

class UserDefaultsProviding;

// The state of the main window without any widget: which page the gate
// shows, the selected sidebar item, the detail navigation path, the open
// settings sheet and its size. The window's widgets draw it; screens change
// it through the actions below.
class MainWindowModel : public QObject
{
    Q_OBJECT
public:
    // Which of the two springs a change asks for.
    enum class Animation { none, navigation, screenTransition };
    Q_ENUM(Animation)

    // Follows both settings keys and the signed-in state at once. auth is the
    // AuthManager, read through its published `isAuthenticated` property and
    // that property's change signal (so any object publishing the same
    // property will do); null means nobody is signed in.
    MainWindowModel(UserDefaultsProviding &settings, QObject *auth, QObject *parent = nullptr);

    static GatePage gatePageFor(bool onboardingCompleted, bool isAuthenticated,
                                bool allowUnauthenticatedAccess);
    GatePage gatePage() const { return m_gatePage; }

    SidebarItem selectedSidebarItem() const { return m_selectedSidebarItem; }
    // A different item empties the navigation path; the same item does nothing.
    void selectSidebarItem(SidebarItem item);

    const NavigationPath &path() const { return m_path; }
    void push(const NavigationDestination &destination);
    // The dismiss action of the top screen; nothing when the path is empty.
    void pop();
    // The dismiss action of a given screen: removes the topmost occurrence of
    // `destination` and every screen pushed above it, so a screen can leave
    // while another it opened is on top (or while the gate shows another
    // page). Nothing when the destination is not on the path.
    void dismiss(const NavigationDestination &destination);
    void popToRoot();

    std::optional<SettingsModal> activeSettingsModal() const { return m_activeSettingsModal; }
    void setActiveSettingsModal(std::optional<SettingsModal> modal,
                                Animation animation = Animation::navigation);
    void closeSettingsModal() { setActiveSettingsModal(std::nullopt); }

    // width = max(320, min(620, W − 56)), height = max(320, min(700, H − 56)).
    static QSize sheetSizeFor(QSize windowSize);
    QSize sheetSize() const { return sheetSizeFor(m_windowSize); }
    QSize windowSize() const { return m_windowSize; }
    void setWindowSize(QSize size);

    // The system sheet's permissions row: close the sheet, then push
    // `permissions`; the sidebar selection stays.
    void openPermissions();
    // The system sheet's "Refazer onboarding": close the sheet, then clear
    // `onboardingCompleted` so the gate shows the wizard. Nothing else changes.
    void resetOnboarding();

Q_SIGNALS:
    // Always with the screen-transition spring, whoever changed the inputs.
    void gatePageChanged(GatePage page, MainWindowModel::Animation animation);
    void selectedSidebarItemChanged(SidebarItem item);
    // The view reconciles its pages with path(); a single push or pop
    // animates, anything else replaces at once.
    void pathChanged(MainWindowModel::Animation animation);
    void activeSettingsModalChanged(MainWindowModel::Animation animation);
    void sheetSizeChanged(QSize size);

private Q_SLOTS:
    void updateGate();

private:
    bool isAuthenticated() const;

    UserDefaultsProviding &m_settings;
    QPointer<QObject> m_auth;
    GatePage m_gatePage = GatePage::onboarding;
    SidebarItem m_selectedSidebarItem = SidebarItem::home;
    NavigationPath m_path;
    std::optional<SettingsModal> m_activeSettingsModal;
    QSize m_windowSize{1100, 720};
};

#pragma once

#include "account/AuthManager.h"
#include "account/SyncManager.h"
#include "account/SyncProviding.h"
#include "app/AppLifecycle.h"
#include "app/ui/AppShell.h"
#include "dictation/HotkeyManager.h"
#include "dictation/PermissionManager.h"
#include "dictation/SystemMicrophoneProvider.h"
#include "dictation/ui/RecordingOverlayPanelController.h"
#include "look/ui/Appearance.h"
#include "navigation/AppEnvironment.h"
#include "platform/AppModelContainer.h"
#include "platform/AppUpdater.h"
#include "platform/DesktopColorScheme.h"
#include "platform/DiskSpace.h"
#include "platform/DisplaySession.h"
#include "platform/EnchantSpellChecker.h"
#include "platform/KeychainSecretStore.h"
#include "platform/LogindSleepMonitor.h"
#include "platform/SettingsStore.h"
#include "platform/SharedInstance.h"
#include "platform/UrlOpener.h"
#include "screens/onboarding-account/AvatarImageCache.h"
#include "screens/onboarding-account/AvatarImageLoader.h"

#include <QStringList>

#include <chrono>

class SingleInstance;

// The composition root: it owns the application's services, the environment
// every screen receives, the lifecycle reactions and the shell, wired the way
// the application runs. main() makes one after the single-instance check; the
// start-up benchmark makes the same one. The few services reached by name
// (`AuthManager::shared()` and the like) are these members, registered for
// as long as they live.
class AppComposition
{
public:
    // Names, logging texts and the appearance; call once the QApplication exists.
    static void configureApplication();

    // Builds everything and starts the shell: the window opens on the next
    // event-loop turn with the URLs among `arguments`.
    AppComposition(SingleInstance &instance, const QStringList &arguments);
    ~AppComposition();

    AppShell &shell() { return *m_shell; }

    // How long the quit waits for a token refresh or a pull in flight.
    static constexpr std::chrono::seconds kQuitWait{5};

    // After the event loop: writes what autosave could no longer write, then
    // lets a token refresh in flight store its tokens and a cancelled pull
    // end, for kQuitWait at most.
    void saveBeforeExit();

private:
    // First, so the fonts load while the rest is made, and joined last.
    talvoro::ui::FontDatabasePreloader m_fontPreloader;
    DesktopColorScheme m_colorScheme;
    // Only under the portal theme: Qt's own file dialog while the portal
    // offers no file chooser.
    std::unique_ptr<talvoro::FileChooserPortalWatch> m_fileChooser;
    std::unique_ptr<talvoro::ui::AppearanceFollower> m_appearance;

    // Members are destroyed in the reverse order: the shell and the screens
    // first, then the synchroniser before the sign-in owner it asks, both
    // before the store and the settings they write.
    // Outlives every service that reports to it.
    DiskFullReports m_diskFull;
    SettingsStore m_settings;
    SharedInstance<SettingsStore> m_sharedSettings{m_settings};
    AppModelContainer m_models;
    SharedInstance<AppModelContainer> m_sharedModels{m_models};
    KeychainSecretStore m_keychain;
    DesktopUrlOpener m_urlOpener;
    AppUpdater m_updater;
    EnchantSpellChecker m_spellChecker;
    SharedInstance<SpellChecking> m_sharedSpellChecker{m_spellChecker};
    SystemMicrophoneProvider m_microphones;
    // Before the permissions: accessibility on Wayland is what it binds.
    HotkeyManager m_hotkeys;
    SharedInstance<HotkeyManager> m_sharedHotkeys{m_hotkeys};
    PermissionManager m_permissions;
    SharedInstance<PermissionManager> m_sharedPermissions{m_permissions};
    // Before the account, which clears it at a sign-out.
    AvatarImageCache m_avatarCache;
    AuthManager m_auth;
    SharedInstance<AuthManager> m_sharedAuth{m_auth};
    SyncManager m_sync;
    SharedInstance<SyncManager> m_sharedSync{m_sync};
    DefaultSyncProvider m_syncProvider{m_sync};
    LogindSleepMonitor m_sleepMonitor;
    AvatarImageLoader m_avatarLoader{m_avatarCache};

    std::unique_ptr<AppLifecycle> m_lifecycle;
    AppEnvironment m_environment;
    std::unique_ptr<RecordingOverlayPanelController> m_overlay;
    std::unique_ptr<AppShell> m_shell;
};

#pragma once

#include "app/AppLifecycle.h"
#include "app/ui/AppShell.h"
#include "dictation/ui/RecordingOverlayPanelController.h"
#include "look/ui/Appearance.h"
#include "navigation/AppEnvironment.h"
#include "platform/DesktopColorScheme.h"
#include "platform/LogindSleepMonitor.h"

#include <QStringList>

class AppModelContainer;
class AvatarImageCache;
class AvatarImageLoader;
class SingleInstance;

// The composition root: the shared services, the environment every screen
// receives, the lifecycle reactions and the shell, wired the way the
// application runs. main() makes one after the single-instance check; the
// start-up benchmark makes the same one.
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

    // After the event loop: writes what autosave could no longer write.
    void saveBeforeExit();

private:
    // First, so the fonts load while the rest is made, and joined last.
    talvoro::ui::FontDatabasePreloader m_fontPreloader;
    DesktopColorScheme m_colorScheme;
    std::unique_ptr<talvoro::ui::AppearanceFollower> m_appearance;
    AppModelContainer &m_models;
    LogindSleepMonitor m_sleepMonitor;
    std::unique_ptr<AvatarImageCache> m_avatarCache;
    std::unique_ptr<AvatarImageLoader> m_avatarLoader;
    std::unique_ptr<AppLifecycle> m_lifecycle;
    AppEnvironment m_environment;
    std::unique_ptr<RecordingOverlayPanelController> m_overlay;
    std::unique_ptr<AppShell> m_shell;
};

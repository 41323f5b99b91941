// The composition root: names, logging, texts, the shared services, the
// single-instance handover and the shell's scenes.

#include "account/AuthManager.h"
#include "account/SyncManager.h"
#include "app/AppLifecycle.h"
#include "app/ui/AppShell.h"
#include "app/ui/ScreenRegistry.h"
#include "dictation/HotkeyActions.h"
#include "dictation/HotkeyManager.h"
#include "dictation/PermissionManager.h"
#include "dictation/SystemMicrophoneProvider.h"
#include "dictation/ui/RecordingOverlayPanelController.h"
#include "look/ui/Appearance.h"
#include "navigation/AppEnvironment.h"
#include "platform/AppModelContainer.h"
#include "platform/AppUpdater.h"
#include "platform/Logging.h"
#include "platform/LogindSleepMonitor.h"
#include "platform/ModelContext.h"
#include "platform/SettingsStore.h"
#include "platform/SingleInstance.h"
#include "platform/SpellChecking.h"
#include "platform/StartTask.h"
#include "platform/UrlOpener.h"
#include "screens/onboarding-account/AvatarImageCache.h"
#include "screens/onboarding-account/AvatarImageLoader.h"
#include "texts/Localization.h"

#include <QApplication>
#include <QTimer>

#include <tuple>

int main(int argc, char *argv[])
{
    talvoro::installLogFormat();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Talvoro"));
    QApplication::setOrganizationDomain(QStringLiteral("torvenak.com"));
    QApplication::setDesktopFileName(QStringLiteral("com.torvenak.talvoro-mac"));
    // The menu bar item keeps the application alive; AppShell::start decides.
    QApplication::setQuitOnLastWindowClosed(false);

    const QStringList arguments = QApplication::arguments().mid(1);
    SingleInstance instance(SingleInstance::defaultServerName());
    if (instance.start(arguments) == SingleInstance::Role::secondary)
        return 0;

    talvoro::installTranslations();
    talvoro::ui::applyAppearance(AppShell::prefersDarkAppearance());

    AvatarImageCache avatarCache(AvatarImageCache::applicationCacheDirectory());
    AvatarImageLoader avatarLoader(avatarCache);
    AuthManager &auth = AuthManager::shared();
    auth.setAvatarCacheClearer([&avatarCache] { avatarCache.clear(); });
    talvoro::startTask(&auth, auth.restoreSession(), "Restoring the session");

    SyncManager &sync = SyncManager::shared();
    AppModelContainer &models = AppModelContainer::shared();

    // Made before the shell so that its reaction to a sign-in (clearing
    // another account's data) runs before any screen's.
    LogindSleepMonitor sleepMonitor;
    AppLifecycle lifecycle({.auth = &auth,
                            .sync = &sync,
                            .models = &models,
                            .settings = &sharedDefaults(),
                            .wakeMonitor = &sleepMonitor});

    AppEnvironment environment;
    environment.settings = &sharedDefaults();
    environment.auth = &auth;
    environment.sync = &sync;
    environment.models = &models;
    environment.urlOpener = &DesktopUrlOpener::shared();
    environment.hotkeys = &HotkeyManager::shared();
    environment.permissions = &PermissionManager::shared();
    environment.updater = &AppUpdater::shared();
    environment.spellChecker = &SpellChecking::shared();
    environment.avatarLoader = &avatarLoader;
    environment.avatarCache = &avatarCache;
    environment.microphones = &SystemMicrophoneProvider::shared();

    // Only the instance that runs grabs the hotkeys.
    talvoro::installHotkeyActions(HotkeyManager::shared());
    // Places the recording overlay and follows `overlayPosition`; hidden until
    // a recording shows it.
    RecordingOverlayPanelController overlay(sharedDefaults());

    AppShell shell(environment, ScreenRegistry::withAppScreens());
    QObject::connect(&instance, &SingleInstance::activationRequested, &shell, &AppShell::handleActivation);
    QObject::connect(&shell, &AppShell::urlsOpened, &auth, [&auth](const QList<QUrl> &urls) {
        for (const QUrl &url : urls)
            auth.handleCallbackURL(url);
    });
    shell.start();

    // Linux has no always-visible menu bar to find the application in, so the
    // window opens at start; URLs this launch was given go the same way as
    // those handed over by later launches.
    const QList<QUrl> launchUrls = SingleInstance::urlsInArguments(arguments);
    QTimer::singleShot(0, &shell, [&shell, launchUrls] { shell.handleActivation(launchUrls); });

    const int status = app.exec();
    // Autosave waits for an event-loop turn that no longer comes: write what
    // the screens' context still holds (a failure is logged by the context).
    if (models.mainContext().hasChanges())
        std::ignore = models.mainContext().save();
    sharedDefaults().synchronize();
    return status;
}

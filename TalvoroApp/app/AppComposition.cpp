#include "app/AppComposition.h"

#include "account/AppConfig.h"
#include "account/AuthManager.h"
#include "account/BackendAPIClient.h"
#include "account/SyncManager.h"
#include "app/ui/MainWindow.h"
#include "app/ui/ScreenRegistry.h"
#include "dictation/HotkeyActions.h"
#include "dictation/HotkeyManager.h"
#include "dictation/PermissionManager.h"
#include "dictation/SystemMicrophoneProvider.h"
#include "look/ui/Appearance.h"
#include "platform/AppModelContainer.h"
#include "platform/AppVersion.h"
#include "platform/AppUpdater.h"
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
#include <QWidget>

#include <functional>
#include <tuple>

namespace {

// Runs `work` on the turn after `window` first paints, or after a second if
// it does not paint by then (hidden, or no display to paint on).
class AfterFirstFrame : public QObject
{
public:
    AfterFirstFrame(QWidget &window, std::function<void()> work)
        : QObject(&window)
        , m_work(std::move(work))
    {
        window.installEventFilter(this);
        QTimer::singleShot(1000, this, [this] { run(); });
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] { run(); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void run()
    {
        if (m_work)
            std::exchange(m_work, {})();
        deleteLater();
    }

    std::function<void()> m_work;
};

} // namespace

void AppComposition::configureApplication()
{
    QApplication::setApplicationName(QStringLiteral("Talvoro"));
    QApplication::setApplicationVersion(talvoro::appShortVersion().value_or(QString()));
    QApplication::setOrganizationDomain(QStringLiteral("torvenak.com"));
    QApplication::setDesktopFileName(QStringLiteral("com.torvenak.talvoro-mac"));
    // The menu bar item keeps the application alive; AppShell::start decides.
    QApplication::setQuitOnLastWindowClosed(false);
}

AppComposition::AppComposition(SingleInstance &instance, const QStringList &arguments)
    : m_models(AppModelContainer::shared())
{
    talvoro::installTranslations();
    // The palette the platform theme gave at start is the fallback where no
    // desktop portal tells light from dark.
    m_appearance = std::make_unique<talvoro::ui::AppearanceFollower>(
        m_colorScheme, talvoro::ui::forcedAppearance(), talvoro::ui::isDark(QGuiApplication::palette()));

    AuthManager &auth = AuthManager::shared();
    m_avatarCache = std::make_unique<AvatarImageCache>(AvatarImageCache::applicationCacheDirectory());
    m_avatarLoader = std::make_unique<AvatarImageLoader>(*m_avatarCache);
    auth.setAvatarCacheClearer([cache = m_avatarCache.get()] { cache->clear(); });

    SyncManager &sync = SyncManager::shared();

    // Made before the shell so that its reaction to a sign-in (clearing
    // another account's data) runs before any screen's.
    m_lifecycle = std::make_unique<AppLifecycle>(AppLifecycle::Dependencies{.auth = &auth,
                                                                            .sync = &sync,
                                                                            .models = &m_models,
                                                                            .settings = &sharedDefaults(),
                                                                            .wakeMonitor = &m_sleepMonitor});

    m_environment.settings = &sharedDefaults();
    m_environment.auth = &auth;
    m_environment.sync = &sync;
    m_environment.models = &m_models;
    m_environment.urlOpener = &DesktopUrlOpener::shared();
    m_environment.hotkeys = &HotkeyManager::shared();
    m_environment.permissions = &PermissionManager::shared();
    m_environment.updater = &AppUpdater::shared();
    m_environment.spellChecker = &SpellChecking::shared();
    m_environment.avatarLoader = m_avatarLoader.get();
    m_environment.avatarCache = m_avatarCache.get();
    m_environment.microphones = &SystemMicrophoneProvider::shared();
    m_environment.makeBackendClient = [] {
        return std::make_shared<BackendAPIClient>(std::make_shared<DefaultAuthProvider>(),
                                                  BackendAPIClient::sharedSession(), AppConfig::backendBaseURL());
    };

    // Places the recording overlay and follows `overlayPosition`; hidden until
    // a recording shows it.
    m_overlay = std::make_unique<RecordingOverlayPanelController>(sharedDefaults());

    m_shell = std::make_unique<AppShell>(m_environment, ScreenRegistry::withAppScreens());
    AppShell *shell = m_shell.get();
    QObject::connect(&instance, &SingleInstance::activationRequested, shell, &AppShell::handleActivation);
    QObject::connect(shell, &AppShell::urlsOpened, &auth, [&auth](const QList<QUrl> &urls) {
        for (const QUrl &url : urls)
            auth.handleCallbackURL(url);
    });
    // The first frame waits for none of the keychain read, the hotkey grab
    // and the tray (each may wait on D-Bus or the display server): they
    // follow on the next turn.
    new AfterFirstFrame(shell->window(), [shell, &auth] {
        talvoro::startTask(&auth, auth.restoreSession(), "Restoring the session");
        // Only the instance that runs grabs the hotkeys.
        talvoro::installHotkeyActions(HotkeyManager::shared());
        shell->start();
    });

    // Linux has no always-visible menu bar to find the application in, so the
    // window opens at start; URLs this launch was given go the same way as
    // those handed over by later launches.
    const QList<QUrl> launchUrls = SingleInstance::urlsInArguments(arguments);
    QTimer::singleShot(0, shell, [shell, launchUrls] { shell->handleActivation(launchUrls); });
}

AppComposition::~AppComposition()
{
    // The account outlives the composition; the cache it would clear does not.
    AuthManager::shared().setAvatarCacheClearer({});
}

void AppComposition::saveBeforeExit()
{
    // Autosave waits for an event-loop turn that no longer comes: write what
    // the screens' context still holds (a failure is logged by the context).
    if (m_models.mainContext().hasChanges())
        std::ignore = m_models.mainContext().save();
    sharedDefaults().synchronize();
}

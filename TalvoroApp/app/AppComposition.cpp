#include "app/AppComposition.h"

#include "account/AppConfig.h"
#include "account/AuthProviding.h"
#include "account/BackendAPIClient.h"
#include "app/ui/MainWindow.h"
#include "app/ui/ScreenRegistry.h"
#include "dictation/HotkeyActions.h"
#include "dictation/KeyboardMonitor.h"
#include "dictation/LinuxPermissionChecks.h"
#include "platform/AppVersion.h"
#include "platform/Logging.h"
#include "platform/ModelContext.h"
#include "platform/SingleInstance.h"
#include "platform/StartTask.h"
#include "texts/Localization.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <tuple>
#include <utility>

namespace {

// Runs `work` on the turn after `window` first paints, or after ten seconds if
// it does not paint by then (hidden, or no display to paint on).
class AfterFirstFrame : public QObject
{
public:
    AfterFirstFrame(QWidget &window, std::function<void()> work)
        : QObject(&window)
        , m_work(std::move(work))
    {
        window.installEventFilter(this);
        QTimer::singleShot(10'000, this, [this] { run(); });
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

// After the event loop has ended: runs the events of work still in flight
// until `done` holds, for `bound` at most. True when it held.
bool runEventsUntil(const std::function<bool()> &done, std::chrono::milliseconds bound)
{
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(bound);
    QEventLoop loop;
    while (!done() && deadline.isActive())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

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
    : m_settings(SettingsStore::applicationFilePath())
    , m_models(AppModelContainer::applicationStorePath())
    , m_keychain(QString::fromLatin1(talvoro::kBundleIdentifier))
    , m_hotkeys(m_settings, KeyboardMonitor::createForSession())
    , m_permissions(std::make_unique<LinuxPermissionChecks>(&m_hotkeys.monitor()), m_urlOpener)
    , m_avatarCache(AvatarImageCache::applicationCacheDirectory())
    , m_auth(AuthManager::Dependencies{.secrets = &m_keychain,
                                       .settings = &m_settings,
                                       .urlOpener = &m_urlOpener,
                                       .network = BackendAPIClient::sharedSession(),
                                       .baseURL = AppConfig::backendBaseURL()})
    , m_sync(SyncManager::defaultDependencies(m_auth, m_settings, m_models))
{
    talvoro::installTranslations();
    // The palette the platform theme gave at start is the fallback where no
    // desktop portal tells light from dark.
    m_appearance = std::make_unique<talvoro::ui::AppearanceFollower>(
        m_colorScheme, talvoro::ui::forcedAppearance(), talvoro::ui::isDark(QGuiApplication::palette()));
    // The theme was chosen from the bus alone; whether the portal can show
    // file dialogs comes later, and may change when it restarts.
    if (qgetenv("QT_QPA_PLATFORMTHEME") == "xdgdesktopportal") {
        m_fileChooser = std::make_unique<talvoro::FileChooserPortalWatch>();
        QObject::connect(m_fileChooser.get(), &talvoro::FileChooserPortalWatch::answered, [](bool offered) {
            QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, !offered);
        });
    }

    // What the desktop binds, whenever it answers, is the accessibility state.
    QObject::connect(&m_hotkeys, &HotkeyManager::monitoringChanged, &m_permissions, &PermissionManager::refresh);
    m_auth.setAvatarCacheClearer([cache = &m_avatarCache] { cache->clear(); });
    // Started here, before the synchroniser's first request: started after
    // the first frame, a signed-in user without tokens kept the session.
    // The read answers after the first frame anyway.
    talvoro::startTask(&m_auth, m_auth.restoreSession(), "Restoring the session");

    // Made before the shell so that its reaction to a sign-in (clearing
    // another account's data) runs before any screen's.
    m_lifecycle = std::make_unique<AppLifecycle>(AppLifecycle::Dependencies{.auth = &m_auth,
                                                                            .sync = &m_sync,
                                                                            .models = &m_models,
                                                                            .settings = &m_settings,
                                                                            .wakeMonitor = &m_sleepMonitor});

    // Writes a full disk stopped reach the shell through one service.
    const auto reportUnsaved = [this](DiskFullReports::Unsaved what) {
        return [this, what] { m_diskFull.report(what); };
    };
    QObject::connect(&m_settings, &SettingsStore::writeFailedForLackOfSpace, &m_diskFull,
                     reportUnsaved(DiskFullReports::Unsaved::settings));
    QObject::connect(&m_models, &AppModelContainer::writeFailedForLackOfSpace, &m_diskFull,
                     reportUnsaved(DiskFullReports::Unsaved::history));
    QObject::connect(&m_sync.offlineQueue(), &OfflineSyncQueue::writeFailedForLackOfSpace, &m_diskFull,
                     reportUnsaved(DiskFullReports::Unsaved::pendingChanges));
    if (m_models.hasFailedForLackOfSpace()) // at open, before anyone listened
        m_diskFull.report(DiskFullReports::Unsaved::history);

    m_environment.diskFull = &m_diskFull;
    m_environment.settings = &m_settings;
    m_environment.auth = &m_auth;
    m_environment.sync = &m_sync;
    m_environment.syncProvider = &m_syncProvider;
    m_environment.models = &m_models;
    m_environment.urlOpener = &m_urlOpener;
    m_environment.hotkeys = &m_hotkeys;
    m_environment.permissions = &m_permissions;
    m_environment.updater = &m_updater;
    m_environment.spellChecker = &m_spellChecker;
    m_environment.avatarLoader = &m_avatarLoader;
    m_environment.avatarCache = &m_avatarCache;
    m_environment.microphones = &m_microphones;
    m_environment.makeBackendClient = [auth = &m_auth] {
        return std::make_shared<BackendAPIClient>(std::make_shared<DefaultAuthProvider>(*auth),
                                                  BackendAPIClient::sharedSession(), AppConfig::backendBaseURL());
    };

    // Places the recording overlay and follows `overlayPosition`; hidden until
    // a recording shows it.
    m_overlay = std::make_unique<RecordingOverlayPanelController>(m_settings);

    m_shell = std::make_unique<AppShell>(m_environment, ScreenRegistry::withAppScreens());
    AppShell *shell = m_shell.get();
    QObject::connect(&instance, &SingleInstance::activationRequested, shell, &AppShell::handleActivation);
    QObject::connect(shell, &AppShell::urlsOpened, &m_auth, [auth = &m_auth](const QList<QUrl> &urls) {
        for (const QUrl &url : urls)
            auth->handleCallbackURL(url);
    });
    // The first frame waits for neither the hotkey grab nor the tray (each
    // may wait on D-Bus or the display server): they follow on the next turn.
    new AfterFirstFrame(shell->window(), [this, shell] {
        // Only the instance that runs grabs the hotkeys.
        talvoro::installHotkeyActions(m_hotkeys);
        shell->start();
    });

    // Linux has no always-visible menu bar to find the application in, so the
    // window opens at start; URLs this launch was given go the same way as
    // those handed over by later launches.
    const QList<QUrl> launchUrls = SingleInstance::urlsInArguments(arguments);
    QTimer::singleShot(0, shell, [shell, launchUrls] { shell->handleActivation(launchUrls); });
}

AppComposition::~AppComposition() = default;

void AppComposition::saveBeforeExit()
{
    // Autosave waits for an event-loop turn that no longer comes: write what
    // the screens' context still holds (a failure is logged by the context).
    if (m_models.mainContext().hasChanges())
        std::ignore = m_models.mainContext().save();
    m_settings.synchronize();

    // Work in flight gets a few seconds more. A token refresh stores the
    // tokens the backend may already have rotated to: left behind, the next
    // start would present a spent refresh token and be signed out. A pull (or
    // initial push), cancelled, ends and lets go of its body and its reader.
    m_sync.cancelPull();
    const auto settled = [this] { return !m_auth.isRefreshing() && !m_sync.isSyncing(); };
    if (settled())
        return;
    qCInfo(lcApp, "Quitting: waiting up to %lld s for the token refresh or the pull in flight",
           static_cast<long long>(kQuitWait.count()));
    if (runEventsUntil(settled, kQuitWait))
        qCInfo(lcApp) << "Quitting: the work in flight has ended";
    else
        qCWarning(lcApp) << "Quitting: the work in flight did not end in time";
    m_settings.synchronize();
}

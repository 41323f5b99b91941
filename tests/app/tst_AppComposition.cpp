// The composition root as main() builds it, twice in one process: the
// services it owns are the ones the named accessors hand out, what the
// window's session leaves in the store and the settings is written at quit,
// and the next composition finds it (so the first let go of everything);
// the first frame comes before the hotkey grab and the tray, which follow
// it at once, and waits for no desktop portal, even one that never answers;
// a full disk is told once and loses nothing.

#include "account/AuthManager.h"
#include "account/SyncManager.h"
#include "app/AppComposition.h"
#include "app/ui/MainWindow.h"
#include "dictation/HotkeyManager.h"
#include "dictation/PermissionManager.h"
#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "platform/SettingsKeys.h"
#include "platform/SettingsStore.h"
#include "platform/SingleInstance.h"
#include "support/PrivateBus.h"
#include "support/TestSupport.h"
#include "transcription/StoreQueries.h"
#include "transcription/TranscriptionRecord.h"

#include <QApplication>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QMessageBox>
#include <QMutex>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kShortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

// A desktop portal whose process has stopped: it keeps its name and takes
// every call, answering none.
class SilentPortal final : public QDBusVirtualObject
{
public:
    explicit SilentPortal(PrivateBus &bus)
        : m_bus(bus.connect(QStringLiteral("silent-portal")))
    {
        m_ready = m_bus.registerVirtualObject(QStringLiteral("/org/freedesktop/portal/desktop"), this,
                                              QDBusConnection::SubPath)
            && m_bus.registerService(kPortalService);
    }
    ~SilentPortal() override
    {
        m_bus.unregisterService(kPortalService);
        m_bus.unregisterObject(QStringLiteral("/org/freedesktop/portal/desktop"), QDBusConnection::UnregisterTree);
    }

    bool isReady() const { return m_ready; }
    // Calls about global shortcuts so far.
    int shortcutCalls() const
    {
        QMutexLocker lock(&m_mutex);
        return m_shortcutCalls;
    }

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override
    {
        QMutexLocker lock(&m_mutex);
        if (message.interface() == kShortcutsInterface || message.arguments().value(0) == kShortcutsInterface)
            ++m_shortcutCalls;
        return true; // taken, and never answered
    }

private:
    QDBusConnection m_bus;
    bool m_ready = false;
    mutable QMutex m_mutex;
    int m_shortcutCalls = 0;
};

} // namespace

class TestAppComposition : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { AppComposition::configureApplication(); }

    // First, before anything connects to the session bus: the bus becomes
    // one of the test's own, where the portal hangs.
    void firstFrameWaitsForNoPortal()
    {
        m_bus = std::make_unique<PrivateBus>();
        if (m_bus->address().isEmpty())
            QSKIP("dbus-daemon cannot be started (scripts/setup installs it)");
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus->address().toLocal8Bit());
        SilentPortal portal(*m_bus);
        QVERIFY(portal.isReady());
        const QByteArray sessionType = qgetenv("XDG_SESSION_TYPE");
        qputenv("XDG_SESSION_TYPE", "wayland");
        {
            SingleInstance instance(
                QStringLiteral("tst_AppComposition-%1-portal").arg(QCoreApplication::applicationPid()));
            QCOMPARE(instance.start({}), SingleInstance::Role::primary);
            AppComposition composition(instance, {});
            struct FirstPaint : QObject
            {
                SilentPortal &portal;
                explicit FirstPaint(SilentPortal &silent) : portal(silent) {}
                int callsBefore = -1;
                bool eventFilter(QObject *watched, QEvent *event) override
                {
                    if (event->type() == QEvent::Paint && callsBefore < 0)
                        callsBefore = portal.shortcutCalls();
                    return QObject::eventFilter(watched, event);
                }
            } firstPaint(portal);
            MainWindow &window = composition.shell().window();
            window.installEventFilter(&firstPaint);
            QTRY_VERIFY_WITH_TIMEOUT(firstPaint.callsBefore >= 0, 20000);
            window.removeEventFilter(&firstPaint);
            QCOMPARE(firstPaint.callsBefore, 0);
            // Asked after the frame; silence is no answer, not "no portal".
            QTRY_VERIFY_WITH_TIMEOUT(portal.shortcutCalls() > 0, 20000);
            QVERIFY(HotkeyManager::shared().globalHotkeysAvailable());
            QVERIFY(!PermissionManager::shared().accessibilityGranted());
            QVERIFY(PermissionManager::shared().accessibilityAvailable());
            composition.saveBeforeExit();
        }
        qputenv("XDG_SESSION_TYPE", sessionType);
    }

    void servicesLiveAndDieWithTheComposition()
    {
        for (int round = 0; round < 2; ++round) {
            SingleInstance instance(QStringLiteral("tst_AppComposition-%1-%2")
                                        .arg(QCoreApplication::applicationPid())
                                        .arg(round));
            QCOMPARE(instance.start({}), SingleInstance::Role::primary);
            auto composition = std::make_unique<AppComposition>(instance, QStringList{});
            QCOMPARE(SettingsStore::shared().filePath(), SettingsStore::applicationFilePath());
            QCOMPARE(AppModelContainer::shared().filePath(), AppModelContainer::applicationStorePath());
            QVERIFY(!AuthManager::shared().isAuthenticated());
            QVERIFY(!SyncManager::shared().isSyncing());
            MainWindow &window = composition->shell().window();
            QTRY_VERIFY(window.isVisible());

            ModelContext &store = AppModelContainer::shared().mainContext();
            if (round == 0) {
                // Left unsaved and unsynchronised: the quit writes them.
                QVERIFY(!window.mainInterface());
                sharedDefaults().set(SettingsKeys::onboardingCompleted, true);
                sharedDefaults().set(SettingsKeys::allowUnauthenticatedAccess, true);
                store.insert(TranscriptionRecord(QStringLiteral("ditado"), 1, 1.0, QStringLiteral("pt"),
                                                 QDateTime::currentDateTimeUtc()));
            } else {
                QTRY_VERIFY(window.mainInterface());
                QCOMPARE(store.fetch(StoreQueries::transcriptionsNewestFirst()).value().size(), size_t(1));
            }
            composition->saveBeforeExit();
            composition.reset();
        }
    }

    // A disk too full for the store's log at start: the window still shows
    // the user's history from the file; what a full disk keeps from being
    // saved is said once, in one alert, and saved at quit once there is room.
    void aFullDiskIsToldOnceAndLosesNothing()
    {
        SmallDisk disk("512k");
        if (!disk.isMounted)
            QSKIP("a private tmpfs needs root");
        QList<QByteArray> saved;
        for (const char *variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
            saved.append(qgetenv(variable));
            qputenv(variable, disk.filePath(QString::fromLatin1(variable)).toLocal8Bit());
        }
        const auto restore = qScopeGuard([&] {
            qputenv("XDG_CONFIG_HOME", saved[0]);
            qputenv("XDG_DATA_HOME", saved[1]);
        });
        for (int round = 0; round < 3; ++round) {
            SingleInstance instance(QStringLiteral("tst_AppComposition-%1-full-%2")
                                        .arg(QCoreApplication::applicationPid())
                                        .arg(round));
            QCOMPARE(instance.start({}), SingleInstance::Role::primary);
            if (round == 1)
                disk.fill();
            auto composition = std::make_unique<AppComposition>(instance, QStringList{});
            MainWindow &window = composition->shell().window();
            QTRY_VERIFY(window.isVisible());
            ModelContext &store = AppModelContainer::shared().mainContext();
            QCOMPARE(store.fetch(StoreQueries::transcriptionsNewestFirst()).value().size(), size_t(round));
            if (round == 1) {
                QCOMPARE(sharedDefaults().value(SettingsKeys::onboardingCompleted), true);
                store.insert(TranscriptionRecord(QStringLiteral("sem espaço"), 1, 1.0, QStringLiteral("pt"),
                                                 QDateTime::currentDateTimeUtc()));
                QVERIFY(!store.save().has_value());
                const auto notices = [&] { return window.findChildren<QMessageBox *>(QStringLiteral("diskFullNotice")); };
                QTRY_COMPARE(notices().size(), 1);
                sharedDefaults().set(SettingsKeys::allowUnauthenticatedAccess, true);
                QVERIFY(!sharedDefaults().synchronize());
                QVERIFY(!store.save().has_value());
                QTRY_VERIFY(notices().constFirst()->informativeText().contains(talvoro::localized("• configurações")));
                QCoreApplication::processEvents();
                QCOMPARE(notices().size(), 1);
                QVERIFY(notices().constFirst()->informativeText().contains(
                    talvoro::localized("• transcrições, regras de substituição e termos do dicionário")));
                disk.free();
            } else if (round == 0) {
                sharedDefaults().set(SettingsKeys::onboardingCompleted, true);
                store.insert(TranscriptionRecord(QStringLiteral("com espaço"), 1, 1.0, QStringLiteral("pt"),
                                                 QDateTime::currentDateTimeUtc()));
            } else {
                QCOMPARE(sharedDefaults().value(SettingsKeys::allowUnauthenticatedAccess), true);
                QVERIFY(window.findChildren<QMessageBox *>(QStringLiteral("diskFullNotice")).isEmpty());
            }
            composition->saveBeforeExit();
            composition.reset();
        }
    }

    void trayFollowsTheFirstFrame()
    {
        AppComposition::configureApplication();
        SingleInstance instance(QStringLiteral("tst_AppComposition-%1-start").arg(QCoreApplication::applicationPid()));
        QCOMPARE(instance.start({}), SingleInstance::Role::primary);
        AppComposition composition(instance, {});
        // No tray without a display: once started, closing the window quits.
        QVERIFY(!QApplication::quitOnLastWindowClosed());

        struct FirstPaint : QObject
        {
            bool painted = false;
            bool unstarted = false;
            bool eventFilter(QObject *watched, QEvent *event) override
            {
                if (event->type() == QEvent::Paint && !painted) {
                    painted = true;
                    unstarted = !QApplication::quitOnLastWindowClosed();
                }
                return QObject::eventFilter(watched, event);
            }
        } firstPaint;
        MainWindow &window = composition.shell().window();
        window.installEventFilter(&firstPaint);

        QTRY_VERIFY_WITH_TIMEOUT(firstPaint.painted, 20000);
        QVERIFY2(firstPaint.unstarted, "the first frame waited for the tray");
        QTRY_VERIFY_WITH_TIMEOUT(QApplication::quitOnLastWindowClosed(), 20000);
        window.removeEventFilter(&firstPaint);
        composition.saveBeforeExit();
    }

private:
    // The session bus of every composition after the first test's.
    std::unique_ptr<PrivateBus> m_bus;
};

int main(int argc, char **argv)
{
    // Fresh folders on every run, and no X display: the composition would
    // grab the global hotkeys on the display the other tests share.
    QTemporaryDir folders;
    for (const char *variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(variable, folders.filePath(QString::fromLatin1(variable)).toLocal8Bit());
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    QApplication app(argc, argv);
    TestAppComposition test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_AppComposition.moc"

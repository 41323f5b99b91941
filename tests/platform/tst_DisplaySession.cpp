// The platform plugin the application starts with: the choice from the
// session's variables, and the real application under a headless Wayland
// compositor (weston), where it must run natively.
#include "platform/DisplaySession.h"
#include "support/PrivateBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

// The portal's file chooser, as far as its version goes.
class FakeFileChooser : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.FileChooser")
    Q_PROPERTY(uint version READ version)
public:
    uint version() const { return 3; }
};

enum class Portal { none, hung, activatable, withFileChooser, withoutFileChooser, startsLater };

} // namespace

Q_DECLARE_METATYPE(Portal)

namespace {

QProcessEnvironment environmentOf(const QStringList &pairs)
{
    QProcessEnvironment environment;
    for (const QString &pair : pairs)
        environment.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    return environment;
}

bool writeText(const QString &path, const QString &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.toUtf8().size();
}

void stop(QProcess &process)
{
    process.terminate();
    if (!process.waitForFinished(10000))
        process.kill();
}

} // namespace

class TestDisplaySession : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void thePlatformFollowsTheSession_data()
    {
        QTest::addColumn<QStringList>("variables");
        QTest::addColumn<QByteArray>("platform");
        QTest::addRow("wayland session") << QStringList{"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-0",
                                                       "DISPLAY=:0"}
                                         << QByteArray("wayland;xcb");
        QTest::addRow("compositor without session type") << QStringList{"WAYLAND_DISPLAY=wayland-1"}
                                                         << QByteArray("wayland;xcb");
        QTest::addRow("x11 session") << QStringList{"XDG_SESSION_TYPE=x11", "DISPLAY=:0"} << QByteArray("xcb");
        QTest::addRow("bare X server") << QStringList{"DISPLAY=:5"} << QByteArray("xcb");
        QTest::addRow("the user's choice stays") << QStringList{"QT_QPA_PLATFORM=xcb", "XDG_SESSION_TYPE=wayland"}
                                                 << QByteArray();
        QTest::addRow("no display: Qt's default") << QStringList{"XDG_SESSION_TYPE=tty"} << QByteArray();
    }

    void thePlatformFollowsTheSession()
    {
        QFETCH(QStringList, variables);
        QFETCH(QByteArray, platform);
        QCOMPARE(talvoro::qtPlatformFor(environmentOf(variables)), platform);
    }

    void thePortalThemeOnlyWhereAPortalAnswers()
    {
        const QProcessEnvironment wayland = environmentOf({QStringLiteral("WAYLAND_DISPLAY=wayland-0")});
        QCOMPARE(talvoro::qtPlatformThemeFor(wayland, true), QByteArray("xdgdesktopportal"));
        QCOMPARE(talvoro::qtPlatformThemeFor(wayland, false), QByteArray());
        QCOMPARE(talvoro::qtPlatformThemeFor(environmentOf({QStringLiteral("QT_QPA_PLATFORMTHEME=gtk3")}), true),
                 QByteArray());
    }

    // Qt's portal theme waits for the portal while the application is made,
    // so only a portal that answers at once gets it: one that is not running
    // is not started for the choice, one that hangs costs only the bound.
    // Whether it shows file dialogs is asked again afterwards, without
    // waiting, and whenever it gets its name.
    void aPortalIsNeverWaitedForAtStart_data()
    {
        QTest::addColumn<Portal>("portal");
        QTest::addColumn<QByteArray>("theme");
        QTest::addColumn<bool>("fileChooser");
        QTest::addRow("no portal") << Portal::none << QByteArray() << false;
        QTest::addRow("a portal that never answers") << Portal::hung << QByteArray() << false;
        QTest::addRow("a portal the bus can start, not started for the choice")
            << Portal::activatable << QByteArray() << false;
        QTest::addRow("a portal with a file chooser") << Portal::withFileChooser << QByteArray("xdgdesktopportal")
                                                      << true;
        QTest::addRow("a portal without one") << Portal::withoutFileChooser << QByteArray() << false;
        QTest::addRow("a portal that starts later") << Portal::startsLater << QByteArray() << true;
    }

    void aPortalIsNeverWaitedForAtStart()
    {
        QFETCH(Portal, portal);
        QFETCH(QByteArray, theme);
        QFETCH(bool, fileChooser);
        PrivateBus bus;
        if (bus.address().isEmpty())
            QSKIP("dbus-daemon cannot be started (scripts/setup installs it)");
        const QString service = QString::fromLatin1(talvoro::kDesktopPortalService);
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
        QDBusConnection portalBus = bus.connect(QStringLiteral("portal"));
        // Answering on a thread of its own while the choice waits; a portal
        // that never answers has a thread that never runs.
        FakeFileChooser chooser;
        QThread portalThread;
        auto release = qScopeGuard([&] {
            portalBus.unregisterObject(path);
            portalThread.quit();
            portalThread.wait();
        });
        if (portal != Portal::hung)
            portalThread.start();
        chooser.moveToThread(&portalThread);
        if (portal == Portal::hung || portal == Portal::withFileChooser)
            QVERIFY(portalBus.registerObject(path, &chooser, QDBusConnection::ExportAllProperties));
        if (portal == Portal::hung || portal == Portal::withFileChooser || portal == Portal::withoutFileChooser)
            QVERIFY(portalBus.registerService(service));
        // Started, it only notes that it was and fails (a portal without a
        // back-end for this desktop).
        const QString started = QDir(bus.serviceDir()).filePath(QStringLiteral("started"));
        if (portal == Portal::activatable) {
            QVERIFY(writeText(QDir(bus.serviceDir()).filePath(service + QStringLiteral(".service")),
                              QStringLiteral("[D-BUS Service]\nName=%1\nExec=/bin/sh -c 'touch %2; exit 1'\n")
                                  .arg(service, started)));
            QDBusMessage reload = QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ReloadConfig"));
            QCOMPARE(portalBus.call(reload).type(), QDBusMessage::ReplyMessage);
        }

        QDBusConnection reader = bus.connect(QStringLiteral("reader"));
        const QProcessEnvironment x11 = environmentOf({QStringLiteral("DISPLAY=:0")});
        QCOMPARE(talvoro::qtPlatformThemeFor(x11, reader, std::chrono::milliseconds(100)), theme);
        QVERIFY(!QFile::exists(started));

        talvoro::FileChooserPortalWatch watch(reader, service);
        QSignalSpy answers(&watch, &talvoro::FileChooserPortalWatch::answered);
        if (portal == Portal::hung) {
            QVERIFY(!watch.offered());
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(watch.offered().has_value(), 20000);
        if (portal == Portal::startsLater) {
            QCOMPARE(*watch.offered(), false);
            QVERIFY(portalBus.registerObject(path, &chooser, QDBusConnection::ExportAllProperties));
            QVERIFY(portalBus.registerService(service));
            QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 2, 20000);
        }
        QCOMPARE(*watch.offered(), fileChooser);
        QCOMPARE(answers.constLast().constFirst().toBool(), fileChooser);
        // Asking whether it offers a file chooser is what starts it.
        if (portal == Portal::activatable)
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(started), 20000);
    }

    void theApplicationRunsNativelyUnderAWaylandCompositor()
    {
        const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
        if (weston.isEmpty())
            QSKIP("weston is not installed (scripts/setup installs it)");
        QTemporaryDir runtime;
        QVERIFY(runtime.isValid());
        QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        const QString socket = QStringLiteral("wayland-talvoro-test");

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // No session bus either: the application would share the tests'
        // keyring (and the portals other tests fake) under its real names.
        for (const char *name : {"DISPLAY", "QT_QPA_PLATFORM", "QT_QPA_PLATFORMTHEME", "WAYLAND_DISPLAY",
                                 "DBUS_SESSION_BUS_ADDRESS"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());

        QProcess compositor;
        compositor.setProcessEnvironment(environment);
        compositor.start(weston, {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--socket=") + socket,
                                  QStringLiteral("--no-config"), QStringLiteral("--idle-time=0")});
        QVERIFY(compositor.waitForStarted());
        auto stopCompositor = qScopeGuard([&] { stop(compositor); });
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtime.filePath(socket)), 20000);

        for (const char *folder : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            environment.insert(QString::fromLatin1(folder), runtime.filePath(QString::fromLatin1(folder)));
        environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), socket);
        QProcess application;
        application.setProcessEnvironment(environment);
        application.start(QStringLiteral(TALVORO_BINARY_DIR "/talvoro"), {});
        QVERIFY(application.waitForStarted());
        auto stopApplication = qScopeGuard([&] { stop(application); });
        QByteArray log;
        QTRY_VERIFY_WITH_TIMEOUT((log += application.readAllStandardError()).contains("Qt platform:")
                                     || application.state() != QProcess::Running,
                                 20000);
        QVERIFY2(log.contains("Qt platform: wayland"), log.constData());
        QVERIFY2(!log.contains("Could not find the Qt platform plugin"), log.constData());
        QCOMPARE(application.state(), QProcess::Running);
        // Logout's SIGTERM quits through the loop, never held by a window.
        application.terminate();
        QVERIFY(application.waitForFinished(20000));
        QCOMPARE(application.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestDisplaySession)
#include "tst_DisplaySession.moc"

// The platform plugin the application starts with: the choice from the
// session's variables, and the real application under a headless Wayland
// compositor (weston), where it must run natively.
#include "platform/DisplaySession.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

QProcessEnvironment environmentOf(const QStringList &pairs)
{
    QProcessEnvironment environment;
    for (const QString &pair : pairs)
        environment.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    return environment;
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

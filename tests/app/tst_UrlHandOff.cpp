// The browser's return to the built application on a desktop xdg-open does
// not know (as under openbox or i3): scripts/install-url-handler's entry, run
// by xdg-open in its generic mode, starts talvoro with the callback URL, which
// hands it to the running instance, and the sign-in completes there.
#include "platform/SingleInstance.h"
#include "support/AccountTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString run(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
            int *exitCode = nullptr)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.waitForFinished(30000);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A profile of its own in `root` (home, XDG folders, a private runtime
// folder) with the URL handler installed for `talvoro`, and no desktop
// xdg-open knows; empty when the handler could not be installed.
QProcessEnvironment installedProfile(const QDir &root, const QString &talvoro)
{
    for (const char *folder : {"home", "config/com.torvenak.talvoro-mac", "data", "cache", "run"})
        root.mkpath(QString::fromLatin1(folder));
    QFile::setPermissions(root.filePath(QStringLiteral("run")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *folder : {"HOME=home", "XDG_CONFIG_HOME=config", "XDG_DATA_HOME=data", "XDG_CACHE_HOME=cache",
                               "XDG_RUNTIME_DIR=run"}) {
        const QString pair = QString::fromLatin1(folder);
        environment.insert(pair.section(QLatin1Char('='), 0, 0), root.filePath(pair.section(QLatin1Char('='), 1)));
    }
    for (const char *name : {"XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                             "GNOME_DESKTOP_SESSION_ID", "BROWSER", "XDG_DATA_DIRS"})
        environment.remove(QString::fromLatin1(name));
    int status = -1;
    run(QStringLiteral(TALVORO_SOURCE_DIR "/scripts/install-url-handler"), {talvoro}, environment, &status);
    return status == 0 ? environment : QProcessEnvironment();
}

} // namespace

class TestUrlHandOff : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A launch that only carries the callback hands it over before any GUI:
    // where a display connection (or the platform's D-Bus questions) came
    // first, these sessions would end the launch before the URL got through.
    void aCallbackLaunchHandsOverBeforeAnyGui_data()
    {
        QTest::addColumn<QStringList>("session");
        QTest::addRow("no display at all") << QStringList{QStringLiteral("QT_QPA_PLATFORM=xcb")};
        QTest::addRow("an X display that is not there") << QStringList{QStringLiteral("DISPLAY=:59999")};
        QTest::addRow("a Wayland compositor that is not there")
            << QStringList{QStringLiteral("XDG_SESSION_TYPE=wayland"), QStringLiteral("WAYLAND_DISPLAY=wayland-gone")};
    }

    void aCallbackLaunchHandsOverBeforeAnyGui()
    {
        QFETCH(QStringList, session);
        const QString talvoro = QStringLiteral(TALVORO_BINARY_DIR "/talvoro");
        QVERIFY(QFile::exists(talvoro));
        QTemporaryDir runtime;
        QVERIFY(runtime.isValid());
        QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        // The running instance, where the launch looks for it.
        SingleInstance running(runtime.filePath(QStringLiteral("com.torvenak.talvoro-mac.socket")));
        QCOMPARE(running.start({}), SingleInstance::Role::primary);
        QSignalSpy handedOver(&running, &SingleInstance::activationRequested);

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        for (const QString &pair : std::as_const(session))
            environment.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        const QString callback = QStringLiteral("stovelantern-mac://auth/callback?code=abc&state=xyz");
        QProcess launch;
        launch.setProcessEnvironment(environment);
        launch.start(talvoro, {callback});
        QVERIFY(launch.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(launch.state() == QProcess::NotRunning, 30000);
        const QByteArray log = launch.readAllStandardError();
        QVERIFY2(launch.exitStatus() == QProcess::NormalExit && launch.exitCode() == 0, log.constData());
        QVERIFY2(!log.contains("Qt platform"), log.constData());
        QCOMPARE(handedOver.size(), 1);
        QCOMPARE(handedOver.constFirst().constFirst().value<QList<QUrl>>(), QList<QUrl>{QUrl(callback)});
    }

    void callbackFromASecondLaunchSignsIn()
    {
        const QString display = qEnvironmentVariable("TALVORO_TEST_X11_DISPLAY");
        if (display.isEmpty() || qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS").isEmpty())
            QSKIP("Needs the test X server and D-Bus session (scripts/with-test-services)");
        const QString validate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty() || validate.isEmpty())
            QSKIP("xdotool or desktop-file-validate is not installed (scripts/setup installs them)");
        const QString talvoro = QStringLiteral(TALVORO_BINARY_DIR "/talvoro");
        QVERIFY(QFile::exists(talvoro));

        LocalBackend backend;
        QTemporaryDir profile;
        QDir root(profile.path());
        // The handler runs a copy installed under a folder with a space,
        // which the entry's command line must quote.
        QVERIFY(root.mkpath(QStringLiteral("Meus Programas")));
        const QString installed = root.filePath(QStringLiteral("Meus Programas/talvoro"));
        QVERIFY(QFile::link(talvoro, installed));
        QProcessEnvironment environment = installedProfile(root, installed);
        QVERIFY(!environment.isEmpty());
        int status = -1;
        const QString entry = root.filePath(QStringLiteral("data/applications/com.torvenak.talvoro-mac.desktop"));
        const QString problems = run(validate, {entry}, environment, &status);
        QVERIFY2(status == 0, qPrintable(problems));
        // Past the wizard, so the sign-in view shows with "Entrar" focused.
        const QString settings = root.filePath(QStringLiteral("config/com.torvenak.talvoro-mac/settings.ini"));
        QVERIFY(writeFile(settings, "[General]\nonboardingCompleted=true\n"));
        // The browser notes the page it was asked to open.
        const QString opened = root.filePath(QStringLiteral("opened.txt"));
        const QString browser = root.filePath(QStringLiteral("browser"));
        QVERIFY(writeFile(browser, QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1'\n").arg(opened).toUtf8()));
        QFile::setPermissions(browser, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        environment.insert(QStringLiteral("BROWSER"), browser);
        environment.insert(QStringLiteral("DISPLAY"), display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("TALVORO_BACKEND_URL"), backend.baseURL().toString());

        QProcess application;
        application.setProcessEnvironment(environment);
        application.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        application.start(talvoro, {});
        QVERIFY(application.waitForStarted());
        auto stop = qScopeGuard([&] {
            application.terminate();
            if (!application.waitForFinished(10000))
                application.kill();
        });

        const QString window = run(QStringLiteral("xdotool"),
                                   {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                                    QStringLiteral("--pid"), QString::number(application.processId())},
                                   environment)
                                   .section(QLatin1Char('\n'), 0, 0);
        QVERIFY(!window.isEmpty());
        // One press only: a second would reach "Cancelar", which takes the
        // focus while the browser is open.
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window},
                    environment);
                return run(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")}, environment) == window;
            }(),
            20000);
        const auto press = [&](const char *key) {
            run(QStringLiteral("xdotool"), {QStringLiteral("key"), QString::fromLatin1(key)}, environment);
        };
        press("space");
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(opened), 20000);

        // The browser never answers that page: Escape ends the wait, and
        // Space on "Entrar", focused again, asks for a new one.
        press("Escape");
        press("space");
        QTRY_VERIFY_WITH_TIMEOUT(readFile(opened).count(QLatin1Char('\n')) == 2, 20000);
        const QUrl page(readFile(opened).section(QLatin1Char('\n'), 1, 1));
        QCOMPARE(page.path(), QStringLiteral("/auth/authorize"));
        QNetworkAccessManager network;
        SimulatedBrowser simulated(&network);
        const auto callback = QCoro::waitFor(simulated.follow(page, true, QStringLiteral("handoff@example.com")));
        QVERIFY(callback);
        QCOMPARE(callback->scheme(), QStringLiteral("stovelantern-mac"));

        // The desktop hands the URL over with xdg-open, which starts the entry's command.
        run(QStringLiteral("xdg-open"), {callback->toString(QUrl::FullyEncoded)}, environment, &status);
        QCOMPARE(status, 0);

        QTRY_VERIFY_WITH_TIMEOUT(readFile(settings).contains(QStringLiteral("auth-user-email=handoff@example.com")),
                                 20000);
        QCOMPARE(application.state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestUrlHandOff)
#include "tst_UrlHandOff.moc"

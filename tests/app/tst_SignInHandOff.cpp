// The browser sign-in of the built application, end to end: the running
// `talvoro` opens the authorisation page with the desktop's browser, the
// browser (simulated: it follows the stand-in's approve link) ends on the
// callback URL, and the desktop hands that URL over with xdg-open, which
// starts the application again with it (the URL-handler entry).

#include "support/AccountTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
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

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

class TestSignInHandOff : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void callbackFromASecondLaunchSignsIn()
    {
        const QString display = qEnvironmentVariable("TALVORO_TEST_X11_DISPLAY");
        if (display.isEmpty() || qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS").isEmpty())
            QSKIP("Needs the test X server and D-Bus session (scripts/with-test-services)");
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("xdotool is not installed");
        const QString talvoro = QStringLiteral(TALVORO_BINARY_DIR "/talvoro");
        QVERIFY(QFile::exists(talvoro));

        LocalBackend backend;
        QTemporaryDir profile;
        QDir root(profile.path());
        for (const char *folder : {"home", "config/com.torvenak.talvoro-mac", "data", "cache", "run"})
            QVERIFY(root.mkpath(QString::fromLatin1(folder)));
        const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
        QFile::setPermissions(root.filePath(QStringLiteral("run")), ownerOnly);
        // Past the wizard, so the sign-in view shows with "Entrar" focused.
        const QString settings = root.filePath(QStringLiteral("config/com.torvenak.talvoro-mac/settings.ini"));
        QVERIFY(writeFile(settings, "[General]\nonboardingCompleted=true\n"));
        // The browser notes the page it was asked to open.
        const QString opened = root.filePath(QStringLiteral("opened.txt"));
        const QString browser = root.filePath(QStringLiteral("browser"));
        QVERIFY(writeFile(browser, QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1'\n").arg(opened).toUtf8()));
        QFile::setPermissions(browser, ownerOnly);

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *folder : {"HOME=home", "XDG_CONFIG_HOME=config", "XDG_DATA_HOME=data", "XDG_CACHE_HOME=cache",
                                   "XDG_RUNTIME_DIR=run"}) {
            const QString pair = QString::fromLatin1(folder);
            environment.insert(pair.section(QLatin1Char('='), 0, 0), root.filePath(pair.section(QLatin1Char('='), 1)));
        }
        environment.insert(QStringLiteral("BROWSER"), browser);
        environment.insert(QStringLiteral("DISPLAY"), display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("TALVORO_BACKEND_URL"), backend.baseURL().toString());
        // xdg-open in its generic mode, as on a desktop it does not know.
        for (const char *name : {"XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                 "GNOME_DESKTOP_SESSION_ID"})
            environment.remove(QString::fromLatin1(name));

        int status = -1;
        run(QStringLiteral(TALVORO_SOURCE_DIR "/scripts/install-url-handler"), {talvoro}, environment, &status);
        QCOMPARE(status, 0);

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
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window},
                    environment);
                run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("space")}, environment);
                QTest::qWait(500);
                return QFile::exists(opened);
            }(),
            20000);

        const QUrl page(readFile(opened).section(QLatin1Char('\n'), 0, 0));
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

QTEST_GUILESS_MAIN(TestSignInHandOff)
#include "tst_SignInHandOff.moc"

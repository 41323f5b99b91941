// The built application on the tests' X server, driven with xdotool as a
// user would: its keys reach it through a real window and its global grab.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString xdotool(const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

} // namespace

class TestApplicationOnX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Ctrl+Q, which the tray's menu shows, quits from the window; every press
    // of a hotkey logs the next trigger number.
    void keysOfTheRunningApplication_data()
    {
        QTest::addColumn<int>("hotkeyPresses");
        QTest::newRow("Ctrl+Q in the window") << 0;
        QTest::newRow("hotkey presses count") << 2;
    }

    void keysOfTheRunningApplication()
    {
        QFETCH(int, hotkeyPresses);
        const QString display = qEnvironmentVariable("TALVORO_TEST_X11_DISPLAY");
        if (display.isEmpty())
            QSKIP("Needs the test X server (scripts/with-test-services)");
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("xdotool is not installed (scripts/setup installs it)");
        const QString talvoro = QStringLiteral(TALVORO_BINARY_DIR "/talvoro");
        QVERIFY(QFile::exists(talvoro));

        QTemporaryDir profile;
        QDir root(profile.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *pair : {"HOME=home", "XDG_CONFIG_HOME=config", "XDG_DATA_HOME=data", "XDG_CACHE_HOME=cache",
                                 "XDG_RUNTIME_DIR=run"}) {
            const QString folder = QString::fromLatin1(pair).section(QLatin1Char('='), 1);
            QVERIFY(root.mkpath(folder));
            environment.insert(QString::fromLatin1(pair).section(QLatin1Char('='), 0, 0), root.filePath(folder));
        }
        QFile::setPermissions(root.filePath(QStringLiteral("run")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        // Past the wizard, on the main interface.
        QVERIFY(root.mkpath(QStringLiteral("config/com.torvenak.talvoro-mac")));
        QFile settings(root.filePath(QStringLiteral("config/com.torvenak.talvoro-mac/settings.ini")));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[General]\nonboardingCompleted=true\nallowUnauthenticatedAccess=true\n");
        settings.close();
        environment.insert(QStringLiteral("DISPLAY"), display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));

        QProcess application;
        application.setProcessEnvironment(environment);
        application.setProcessChannelMode(QProcess::MergedChannels);
        application.start(talvoro, {});
        QVERIFY(application.waitForStarted());
        auto stop = qScopeGuard([&] {
            if (application.state() == QProcess::NotRunning)
                return;
            application.terminate();
            if (!application.waitForFinished(10000))
                application.kill();
        });
        QString log;
        const auto logged = [&](const QString &text) {
            log += QString::fromUtf8(application.readAll());
            return log.count(text);
        };

        const QString window = xdotool({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--pid"), QString::number(application.processId())},
                                       environment)
                                   .section(QLatin1Char('\n'), 0, 0);
        QVERIFY(!window.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window}, environment);
                return xdotool({QStringLiteral("getwindowfocus")}, environment) == window;
            }(),
            20000);

        const QString trigger = QStringLiteral("action=dictationToggle trigger=");
        if (hotkeyPresses > 0) {
            // The grab comes after the first frame: press until it answers.
            const auto pressUntilHeard = [&] {
                if (logged(trigger) == 0)
                    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+shift+d")}, environment);
                application.waitForReadyRead(1000);
                return logged(trigger) > 0;
            };
            QTRY_VERIFY_WITH_TIMEOUT(pressUntilHeard(), 30000);
            for (int press = 1; press < hotkeyPresses; ++press)
                xdotool({QStringLiteral("key"), QStringLiteral("ctrl+shift+d")}, environment);
            QTRY_VERIFY_WITH_TIMEOUT(logged(trigger + QString::number(hotkeyPresses)) == 1, 20000);
            QCOMPARE(logged(trigger + QStringLiteral("1")), 1);
        }

        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window}, environment);
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+q")}, environment);
        QVERIFY2(application.waitForFinished(20000), qPrintable(log));
        QCOMPARE(application.exitStatus(), QProcess::NormalExit);
        QCOMPARE(application.exitCode(), 0);
        QCOMPARE(logged(QStringLiteral("Main window closed")), 1);
    }
};

QTEST_GUILESS_MAIN(TestApplicationOnX11)
#include "tst_ApplicationOnX11.moc"

// The first start without a sound server, then one started while the
// application runs: the microphone reads as missing at first, and the next
// request finds the new server's device without a restart.
#include "dictation/LinuxPermissionChecks.h"
#include "dictation/PermissionManager.h"
#include "dictation/SystemMicrophoneProvider.h"
#include "support/RecordingUrlOpener.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestLateSoundServer : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString socket() const { return m_dir.filePath(QStringLiteral("native")); }

private Q_SLOTS:
    void initTestCase()
    {
        // Before anything asks Qt for audio devices: a server of our own
        // that is not there yet, whatever the session has.
        qputenv("PULSE_SERVER", "unix:" + socket().toUtf8());
    }

    void aServerStartedLaterIsFoundByTheNextRequest()
    {
        const QString pulseaudio = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        if (pulseaudio.isEmpty())
            QSKIP("pulseaudio is not installed (scripts/setup installs it)");
        RecordingUrlOpener opener;
        PermissionManager permissions(std::make_unique<LinuxPermissionChecks>(), opener);
        permissions.requestMicrophonePermission();
        QVERIFY(!permissions.microphoneGranted());

        QProcess server;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), m_dir.path());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        // Off the session bus, where the test services' server holds the
        // name a second PulseAudio would give up and exit for.
        for (const char *name : {"PULSE_SERVER", "DBUS_SESSION_BUS_ADDRESS", "DISPLAY"})
            environment.remove(QString::fromLatin1(name));
        server.setProcessEnvironment(environment);
        server.start(pulseaudio, {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                                  QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
                                  QStringLiteral("--load=module-native-protocol-unix socket=") + socket(),
                                  QStringLiteral("--load=module-null-source source_name=late_mic description=LateMic")});
        QVERIFY(server.waitForStarted());
        const auto stop = qScopeGuard([&] {
            server.terminate();
            if (!server.waitForFinished(10000))
                server.kill();
        });

        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                permissions.requestMicrophonePermission();
                return permissions.microphoneGranted();
            }(),
            20000);
        const auto microphones = SystemMicrophoneProvider().availableMicrophones();
        QCOMPARE(microphones.size(), 1);
        QCOMPARE(microphones.constFirst(), (MicrophoneDevice{QStringLiteral("late_mic"), QStringLiteral("LateMic"), true}));
    }
};

QTEST_GUILESS_MAIN(TestLateSoundServer)
#include "tst_LateSoundServer.moc"

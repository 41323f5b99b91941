#include "platform/LaunchAtLoginManager.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestLaunchAtLoginManager : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config;

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_config.isValid());
        QDir(m_config.path()).removeRecursively();
        QDir().mkpath(m_config.path());
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        qunsetenv("APPIMAGE");
    }

    void entryIsWrittenAndRemoved()
    {
        const QString path = m_config.filePath(QStringLiteral("autostart/com.torvenak.talvoro-mac.desktop"));
        QCOMPARE(LaunchAtLoginManager::autostartFilePath(), path);
        QVERIFY(!LaunchAtLoginManager::isEnabled());

        QTest::ignoreMessage(QtInfoMsg, "Launch at login registered");
        LaunchAtLoginManager::setEnabled(true);
        QVERIFY(LaunchAtLoginManager::isEnabled());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY(text.startsWith(QLatin1String("[Desktop Entry]\n")));
        QVERIFY(text.contains(QLatin1String("\nType=Application\n")));
        QVERIFY(text.contains(QLatin1String("\nExec=\"") + QCoreApplication::applicationFilePath() + u'"'));

        // Registering again rewrites the same entry.
        QTest::ignoreMessage(QtInfoMsg, "Launch at login registered");
        LaunchAtLoginManager::setEnabled(true);

        QTest::ignoreMessage(QtInfoMsg, "Launch at login unregistered");
        LaunchAtLoginManager::setEnabled(false);
        QVERIFY(!QFile::exists(path));
        // Nothing to remove is not a failure.
        QTest::ignoreMessage(QtInfoMsg, "Launch at login unregistered");
        LaunchAtLoginManager::setEnabled(false);
    }

    // A copy started at login talks to the backend this one was started
    // with: the address goes through env(1), quoted like any argument.
    void theEntryCarriesTheBackendAddress()
    {
        const QString path = LaunchAtLoginManager::autostartFilePath();
        qputenv("TALVORO_BACKEND_URL", "http://127.0.0.1:41234/");
        QTest::ignoreMessage(QtInfoMsg, "Launch at login registered");
        LaunchAtLoginManager::setEnabled(true);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(file.readAll())
                    .contains(QStringLiteral("\nExec=env \"TALVORO_BACKEND_URL=http://127.0.0.1:41234/\" \"")
                              + QCoreApplication::applicationFilePath() + QStringLiteral("\"\n")));

        const QString validate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (!validate.isEmpty()) {
            QProcess check;
            check.start(validate, {path});
            QVERIFY(check.waitForFinished(30000));
            QVERIFY2(check.exitCode() == 0, check.readAllStandardOutput().constData());
        }
        qunsetenv("TALVORO_BACKEND_URL");
    }

    void runFromAnAppImageStartsTheAppImage()
    {
        const QString appImage = m_config.filePath(QStringLiteral("Talvoro.AppImage"));
        QFile image(appImage);
        QVERIFY(image.open(QIODevice::WriteOnly));
        image.setPermissions(image.permissions() | QFileDevice::ExeOwner);
        image.close();
        qputenv("APPIMAGE", appImage.toLocal8Bit());
        QCOMPARE(LaunchAtLoginManager::executablePath(), appImage);
    }

    void failureIsLoggedNotThrown()
    {
        // A file where the autostart folder should be.
        QVERIFY(writeFile(m_config.filePath(QStringLiteral("autostart")), {}));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("^Failed to set launch at login: .+")));
        LaunchAtLoginManager::setEnabled(true);
        QVERIFY(!LaunchAtLoginManager::isEnabled());
    }

    void execPathsAreQuoted()
    {
        QCOMPARE(LaunchAtLoginManager::quotedExecArgument(QStringLiteral("/opt/Talvoro App/talvoro")),
                 QStringLiteral("\"/opt/Talvoro App/talvoro\""));
        // `$` and `"` take one backslash inside the quotes, which the string
        // escaping of the file doubles; `%` is doubled.
        QCOMPARE(LaunchAtLoginManager::quotedExecArgument(QStringLiteral("/a$b\"c%d")),
                 QStringLiteral("\"/a\\\\$b\\\\\"c%%d\""));
        QCOMPARE(LaunchAtLoginManager::quotedExecArgument(QStringLiteral("/a\\b")),
                 QStringLiteral("\"/a\\\\\\\\b\""));
    }
};

QTEST_GUILESS_MAIN(TestLaunchAtLoginManager)
#include "tst_LaunchAtLoginManager.moc"

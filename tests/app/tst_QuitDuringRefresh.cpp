// The built application quit (SIGTERM) while its token refresh waits on the
// stand-in backend, then started again after the backend's window for a
// rotated refresh token: the second start refreshes with what the first one
// stored and stays signed in. The application's keychain items sit under its
// real service name, so the test runs a D-Bus session and gnome-keyring of
// its own that no other suite's application shares.
#include "platform/KeychainSecretStore.h"
#include "platform/Logging.h"
#include "support/AccountTestSupport.h"
#include "support/PrivateBus.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

QString readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestQuitDuringRefresh : public QObject
{
    Q_OBJECT

    std::unique_ptr<PrivateBus> m_bus;
    QTemporaryDir m_keyringHome;
    QProcess m_keyring;

private Q_SLOTS:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("gnome-keyring-daemon")).isEmpty())
            QSKIP("gnome-keyring-daemon is not installed (scripts/setup installs it)");
        m_bus = std::make_unique<PrivateBus>();
        if (m_bus->address().isEmpty())
            QSKIP("dbus-daemon did not start");
        // Before anything of this process opens the session bus.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus->address().toLocal8Bit());
        QDir home(m_keyringHome.path());
        home.mkpath(QStringLiteral("run"));
        QFile::setPermissions(home.filePath(QStringLiteral("run")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus->address());
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
        m_keyring.setProcessEnvironment(environment);
        m_keyring.start(QStringLiteral("gnome-keyring-daemon"),
                        {QStringLiteral("--foreground"), QStringLiteral("--unlock"),
                         QStringLiteral("--components=secrets")});
        QVERIFY(m_keyring.waitForStarted(30000));
        // The password of the new login keyring: empty.
        m_keyring.write("\n");
        m_keyring.closeWriteChannel();
        QDBusConnection bus = m_bus->connect(QStringLiteral("tst_QuitDuringRefresh"));
        QTRY_VERIFY_WITH_TIMEOUT(bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")),
                                 30000);
    }

    void cleanupTestCase()
    {
        if (m_keyring.state() != QProcess::NotRunning) {
            m_keyring.terminate();
            if (!m_keyring.waitForFinished(10000))
                m_keyring.kill();
        }
        m_bus.reset();
    }

    void sessionOutlivesARefreshHeldAtQuit_data()
    {
        QTest::addColumn<bool>("answeredDuringQuit");
        // The backend rotates the token as the application waits to quit.
        QTest::newRow("answered while quitting") << true;
        // It never answers: the quit ends on its own, the token unspent.
        QTest::newRow("never answered") << false;
    }

    void sessionOutlivesARefreshHeldAtQuit()
    {
        QFETCH(bool, answeredDuringQuit);
        const QString talvoro = QStringLiteral(TALVORO_BINARY_DIR "/talvoro");
        QVERIFY(QFile::exists(talvoro));

        LocalBackend backend;
        auto clockOffsetMs = std::make_shared<qint64>(0);
        backend.state().nowMs = [clockOffsetMs] { return QDateTime::currentMSecsSinceEpoch() + *clockOffsetMs; };
        // Shorter than the application's refresh margin: every start refreshes.
        backend.state().accessTokenLifetimeSeconds = 30;
        const backendlocal::User user = backend.state().userForEmail(QStringLiteral("ana@example.com"),
                                                                     QStringLiteral("Ana"));
        const QJsonObject issued = backend.state().issueTokens(user.id, backend.baseURL());

        KeychainSecretStore keychain(QString::fromLatin1(talvoro::kBundleIdentifier));
        const QString expiresAt = QString::number(QDateTime::currentMSecsSinceEpoch() + 30000);
        for (const auto &[item, value] :
             {std::pair{"auth-access-token", issued.value(QLatin1String("accessToken")).toString()},
              std::pair{"auth-refresh-token", issued.value(QLatin1String("refreshToken")).toString()},
              std::pair{"auth-expires-at", expiresAt}, std::pair{"auth-keychain-sentinel", QStringLiteral("1")}}) {
            const auto written = QCoro::waitFor(keychain.write(QString::fromLatin1(item), value));
            QVERIFY2(written, qPrintable(written ? QString() : written.error().detail));
        }

        QTemporaryDir profile;
        QDir root(profile.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *folder : {"HOME=home", "XDG_CONFIG_HOME=config", "XDG_DATA_HOME=data",
                                   "XDG_CACHE_HOME=cache", "XDG_RUNTIME_DIR=run"}) {
            const QString pair = QString::fromLatin1(folder);
            QVERIFY(root.mkpath(pair.section(QLatin1Char('='), 1)));
            environment.insert(pair.section(QLatin1Char('='), 0, 0), root.filePath(pair.section(QLatin1Char('='), 1)));
        }
        QFile::setPermissions(root.filePath(QStringLiteral("run")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_LOGGING_RULES"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus->address());
        environment.insert(QStringLiteral("TALVORO_BACKEND_URL"), backend.baseURL().toString());
        QVERIFY(root.mkpath(QStringLiteral("config/com.torvenak.talvoro-mac")));
        const QString settings = root.filePath(QStringLiteral("config/com.torvenak.talvoro-mac/settings.ini"));
        QVERIFY(writeFile(settings, QStringLiteral("[General]\nonboardingCompleted=true\nauth-user-id=%1\n"
                                                   "auth-user-email=ana@example.com\nlastAuthenticatedAccountId=%1\n")
                                        .arg(user.id)
                                        .toUtf8()));

        QProcess application;
        application.setProcessEnvironment(environment);
        application.setProcessChannelMode(QProcess::MergedChannels);
        QByteArray output;
        connect(&application, &QProcess::readyRead, &application, [&] { output += application.readAll(); });
        const auto start = [&] {
            output.clear();
            application.start(talvoro, {});
        };
        auto stop = qScopeGuard([&] {
            application.kill();
            application.waitForFinished(10000);
        });

        backend.server.injectFailure(QStringLiteral("auth/refresh"), {.status = 0, .held = true});
        QSignalSpy held(&backend.server, &backendlocal::BackendServer::requestHeld);
        start();
        QVERIFY(application.waitForStarted(30000));
        QTRY_COMPARE_WITH_TIMEOUT(held.count(), 1, 60000);
        application.terminate();
        if (answeredDuringQuit) {
            // Let go once the application has left its event loop (or, as it
            // used to, has already gone).
            QTRY_VERIFY_WITH_TIMEOUT(output.contains("Quitting: waiting") || application.state() == QProcess::NotRunning,
                                     30000);
            backend.server.releaseHeld();
        }
        QTRY_COMPARE_WITH_TIMEOUT(application.state(), QProcess::NotRunning, 60000);
        // A sanitizer build's report (a leak at exit among them) fails it too;
        // the whole report is printed, since a failure message is cut short.
        const auto endedCleanly = [&] {
            const bool clean = application.exitStatus() == QProcess::NormalExit && application.exitCode() == 0;
            if (!clean)
                std::fputs(output.constData(), stderr);
            return clean;
        };
        QVERIFY2(endedCleanly(), "the application did not end cleanly (its output is above)");

        // Past the window in which the backend still takes a rotated token.
        *clockOffsetMs += backendlocal::BackendState::kRefreshGraceMs + 60000;
        QSignalSpy handled(&backend.server, &backendlocal::BackendServer::requestHandled);
        start();
        QVERIFY(application.waitForStarted(30000));
        const auto refreshStatus = [&]() -> int {
            for (const QList<QVariant> &request : std::as_const(handled))
                if (request.at(0).toString() == QLatin1String("auth/refresh"))
                    return request.at(1).toInt();
            return 0;
        };
        QTRY_VERIFY_WITH_TIMEOUT(refreshStatus() != 0, 60000);
        QCOMPARE(refreshStatus(), 200);
        application.terminate();
        QTRY_COMPARE_WITH_TIMEOUT(application.state(), QProcess::NotRunning, 60000);
        QVERIFY2(endedCleanly(), "the application did not end cleanly (its output is above)");
        QVERIFY2(!output.contains("refused the refresh token"), output.constData());
        QVERIFY2(readFile(settings).contains(QStringLiteral("auth-user-id=") + user.id), qPrintable(readFile(settings)));
    }
};

QTEST_GUILESS_MAIN(TestQuitDuringRefresh)
#include "tst_QuitDuringRefresh.moc"

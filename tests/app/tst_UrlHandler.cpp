#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The browser's return to the app: scripts/install-url-handler's entry, run
// by xdg-open in its generic mode (a desktop it does not know, as under
// openbox or i3), must start talvoro, which hands the URL to the running one.
class UrlHandlerTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void xdgOpenHandsTheCallbackToTheRunningInstance_data();
    void xdgOpenHandsTheCallbackToTheRunningInstance();
};

void UrlHandlerTest::xdgOpenHandsTheCallbackToTheRunningInstance_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("plain path") << QStringLiteral("bin");
    QTest::newRow("path with a space") << QStringLiteral("Meus Programas");
}

void UrlHandlerTest::xdgOpenHandsTheCallbackToTheRunningInstance()
{
    QFETCH(QString, folder);
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    const QString validate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (xdgOpen.isEmpty() || validate.isEmpty())
        QSKIP("xdg-open or desktop-file-validate is missing (scripts/setup installs them)");
    const QString talvoro = QStringLiteral(TALVORO_BINARY_DIR "/talvoro");
    if (!QFile::exists(talvoro))
        QSKIP("build/talvoro is not built");

    QTemporaryDir home;
    QDir(home.path()).mkpath(folder);
    const QString exe = QDir(home.filePath(folder)).filePath(QStringLiteral("talvoro"));
    QVERIFY(QFile::link(talvoro, exe));
    QVERIFY(QDir(home.path()).mkdir(QStringLiteral("run")));
    QFile::setPermissions(home.filePath(QStringLiteral("run")), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                             "GNOME_DESKTOP_SESSION_ID", "BROWSER", "XDG_DATA_DIRS"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    QProcess install;
    install.setProcessEnvironment(env);
    install.start(QStringLiteral(TALVORO_SOURCE_DIR "/scripts/install-url-handler"), {exe});
    QVERIFY(install.waitForFinished(30000));
    QCOMPARE(install.exitCode(), 0);
    const QString entry = home.filePath(QStringLiteral("data/applications/com.torvenak.talvoro-mac.desktop"));
    QProcess validation;
    validation.start(validate, {entry});
    QVERIFY(validation.waitForFinished(30000));
    QVERIFY2(validation.exitCode() == 0, validation.readAll().constData());

    // The test is the running instance, on the socket the handler will find.
    SingleInstance running(QDir(home.filePath(QStringLiteral("run")))
                               .filePath(QStringLiteral("com.torvenak.talvoro-mac.socket")));
    QCOMPARE(running.start({}), SingleInstance::Role::primary);
    QSignalSpy spy(&running, &SingleInstance::activationRequested);

    const QString callback = QStringLiteral("stovelantern-mac://auth/callback?code=a1&state=b2");
    QProcess open;
    open.setProcessEnvironment(env);
    open.setProcessChannelMode(QProcess::ForwardedChannels);
    open.start(xdgOpen, {callback});
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 30000);
    QCOMPARE(spy.first().at(0).value<QList<QUrl>>(), QList<QUrl>{QUrl(callback)});
    QVERIFY(open.state() == QProcess::NotRunning || open.waitForFinished(30000));
    QCOMPARE(open.exitCode(), 0);
}

QTEST_GUILESS_MAIN(UrlHandlerTest)
#include "tst_UrlHandler.moc"

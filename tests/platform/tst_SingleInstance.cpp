#include "platform/SingleInstance.h"
#include "support/TestSupport.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isOurFile(const QString &path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode)
        && info.st_uid == ::getuid();
}

} // namespace

class SingleInstanceTest : public QObject
{
    Q_OBJECT

private:
    QString serverName() const { return m_dir.filePath(QStringLiteral("talvoro-test.socket")); }
    QTemporaryDir m_dir;

private Q_SLOTS:
    void secondLaunchHandsOverItsUrls()
    {
        SingleInstance primary(serverName());
        QCOMPARE(primary.start({}), SingleInstance::Role::primary);
        QVERIFY(primary.isListening());
        QSignalSpy spy(&primary, &SingleInstance::activationRequested);

        // The second launch blocks while handing over, so it runs on its own
        // thread while this one serves the event loop.
        const QString callback = QStringLiteral("stovelantern-mac://auth/callback?code=abc&state=xyz");
        SingleInstance::Role role = SingleInstance::Role::primary;
        std::thread secondLaunch([&] {
            SingleInstance secondary(serverName());
            role = secondary.start({QStringLiteral("--verbose"), callback});
        });
        QTRY_COMPARE(spy.count(), 1);
        secondLaunch.join();
        QCOMPARE(role, SingleInstance::Role::secondary);
        const auto urls = spy.first().at(0).value<QList<QUrl>>();
        QCOMPARE(urls, QList<QUrl>{QUrl(callback)});
        QCOMPARE(urls.first().query(), QStringLiteral("code=abc&state=xyz"));

        // A plain relaunch asks only to be shown.
        std::thread thirdLaunch([&] { role = SingleInstance(serverName()).start({}); });
        QTRY_COMPARE(spy.count(), 2);
        thirdLaunch.join();
        QCOMPARE(role, SingleInstance::Role::secondary);
        QVERIFY(spy.last().at(0).value<QList<QUrl>>().isEmpty());
    }

    void leftoversOfADeadInstanceNeverBlockStart()
    {
        // A crash leaves the socket file and a lock file of any content behind:
        // empty, garbled, naming another host or a live process of someone else.
        const QList<QByteArray> lockContents{"", "\x01\xff garbage", "1\nTalvoro\nanother-host\n",
                                             "1\ninit\n" + QSysInfo::machineHostName().toUtf8() + "\n"};
        for (const QByteArray &content : lockContents) {
            const QString name = m_dir.filePath(QStringLiteral("stale%1.socket").arg(content.size()));
            QVERIFY(writeFile(name, {}));
            QVERIFY(writeFile(name + QStringLiteral(".lock"), content));
            SingleInstance instance(name);
            QCOMPARE(instance.start({}), SingleInstance::Role::primary);
            QVERIFY(instance.isListening());
        }
    }

    // A lock file this user cannot use (another user's, left by a launch
    // under sudo; one closed to us; a folder in its place, empty or not) is replaced, so
    // the new primary holds a real lock; while a live process still holds
    // another user's lock, the launch stays out.
    void anUnusableLockIsReplacedUnlessStillHeld()
    {
        const QString folderLock = m_dir.filePath(QStringLiteral("folder.socket.lock"));
        QVERIFY(QDir().mkdir(folderLock));
        SingleInstance first(m_dir.filePath(QStringLiteral("folder.socket")));
        QCOMPARE(first.start({}), SingleInstance::Role::primary);
        QVERIFY(isOurFile(folderLock));
        // A folder that holds something, even a folder closed to us.
        const QString fullFolderLock = m_dir.filePath(QStringLiteral("full.socket.lock"));
        QVERIFY(QDir().mkpath(fullFolderLock + QStringLiteral("/inner")));
        QVERIFY(writeFile(fullFolderLock + QStringLiteral("/inner/file"), "x"));
        SingleInstance second(m_dir.filePath(QStringLiteral("full.socket")));
        QCOMPARE(second.start({}), SingleInstance::Role::primary);
        QVERIFY(isOurFile(fullFolderLock));

        const QString name = m_dir.filePath(QStringLiteral("foreign.socket"));
        const QByteArray lock = QFile::encodeName(name + QStringLiteral(".lock"));
        QVERIFY(writeFile(QFile::decodeName(lock), {}));
        // Rights do not hold root back: root gives the file away instead.
        QCOMPARE(::getuid() == 0 ? ::chown(lock.constData(), 65534, 65534) : ::chmod(lock.constData(), 0), 0);
        if (const int holder = ::open(lock.constData(), O_RDONLY | O_CLOEXEC); holder >= 0) {
            QCOMPARE(::flock(holder, LOCK_EX | LOCK_NB), 0);
            QCOMPARE(SingleInstance(name).start({}), SingleInstance::Role::unanswered);
            ::close(holder);
        }
        SingleInstance primary(name);
        QCOMPARE(primary.start({}), SingleInstance::Role::primary);
        QVERIFY(isOurFile(QFile::decodeName(lock)));
        QSignalSpy spy(&primary, &SingleInstance::activationRequested);
        SingleInstance::Role role = SingleInstance::Role::primary;
        std::thread launch([&] { role = SingleInstance(name).start({}); });
        QTRY_COMPARE(spy.count(), 1);
        launch.join();
        QCOMPARE(role, SingleInstance::Role::secondary);
    }

    void anInstanceThatDoesNotAnswerIsNeverJoinedByASecondPrimary()
    {
        // The primary's thread never returns to its event loop: it is frozen.
        SingleInstance frozen(m_dir.filePath(QStringLiteral("frozen.socket")));
        QCOMPARE(frozen.start({}), SingleInstance::Role::primary);
        SingleInstance launch(frozen.serverName());
        launch.setHandoverTimeout(500);
        QCOMPARE(launch.start({}), SingleInstance::Role::unanswered);
        QVERIFY(!launch.isListening());
    }

    void overlongArgumentsAreLeftOutBeforeHandingOver()
    {
        SingleInstance primary(m_dir.filePath(QStringLiteral("long.socket")));
        QCOMPARE(primary.start({}), SingleInstance::Role::primary);
        QSignalSpy spy(&primary, &SingleInstance::activationRequested);

        // Under the frame limit in characters, over it once encoded as UTF-16.
        const QString overlong = QStringLiteral("stovelantern-mac://auth/callback?code=") + QString(200 * 1024, QLatin1Char('x'));
        const QString callback = QStringLiteral("stovelantern-mac://auth/callback?code=abc");
        SingleInstance::Role role = SingleInstance::Role::primary;
        std::thread launch([&] { role = SingleInstance(primary.serverName()).start({overlong, callback}); });
        QTRY_COMPARE(spy.count(), 1);
        launch.join();
        QCOMPARE(role, SingleInstance::Role::secondary);
        QCOMPARE(spy.first().at(0).value<QList<QUrl>>(), QList<QUrl>{QUrl(callback)});
    }

    void oversizeMessageIsRefused()
    {
        SingleInstance primary(m_dir.filePath(QStringLiteral("oversize.socket")));
        QCOMPARE(primary.start({}), SingleInstance::Role::primary);
        QSignalSpy spy(&primary, &SingleInstance::activationRequested);

        QLocalSocket socket;
        socket.connectToServer(primary.serverName());
        QVERIFY(socket.waitForConnected(2000));
        QByteArray frame;
        QDataStream(&frame, QIODevice::WriteOnly) << quint32(0x7fffffff);
        socket.write(frame);
        socket.flush();
        QTRY_COMPARE(socket.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(spy.count(), 0);
    }

    void withoutARuntimeFolderAPrivateOneIsUsed()
    {
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        // Not ours to trust: open to everyone.
        QTemporaryDir open;
        QFile::setPermissions(open.path(), QFileDevice::Permissions(0x7777));
        for (const QByteArray &runtime : {QByteArray(), open.path().toUtf8()}) {
            qputenv("XDG_RUNTIME_DIR", runtime);
            const QString folder = QFileInfo(SingleInstance::defaultServerName()).absolutePath();
            QVERIFY(!folder.isEmpty());
            QVERIFY(folder != open.path());
            struct stat info {};
            QCOMPARE(::lstat(QFile::encodeName(folder).constData(), &info), 0);
            QCOMPARE(info.st_uid, ::getuid());
            QCOMPARE(info.st_mode & 0777, 0700u);
        }
        qputenv("XDG_RUNTIME_DIR", saved);
    }

    void urlsInArguments()
    {
        const QList<QUrl> urls = SingleInstance::urlsInArguments(
            {QStringLiteral("--platform"), QStringLiteral("offscreen"), QStringLiteral("/home/me/file.txt"),
             QStringLiteral("C:stuff"), QStringLiteral("file:///tmp/x"),
             QStringLiteral("stovelantern-mac://auth/callback?code=1"), QStringLiteral("https://example.com/a"),
             QStringLiteral("stovelantern-mac://auth/callback?code=a%zz")});
        QCOMPARE(urls.mid(0, 2), (QList<QUrl>{QUrl(QStringLiteral("stovelantern-mac://auth/callback?code=1")),
                                              QUrl(QStringLiteral("https://example.com/a"))}));
        // One that does not parse goes on too, for a waiting sign-in to end.
        QCOMPARE(urls.size(), 3);
        QVERIFY(!urls.last().isValid());
        QCOMPARE(urls.last().scheme(), QStringLiteral("stovelantern-mac"));
    }
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "tst_SingleInstance.moc"

#include "platform/SingleInstance.h"

#include <QDataStream>
#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

class SingleInstanceTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void secondLaunchHandsOverItsUrls();
    void staleSocketDoesNotBlockStart();
    void oversizeMessageIsRefused();
    void urlsInArguments();

private:
    QString serverName() const { return m_dir.filePath(QStringLiteral("talvoro-test.socket")); }
    QTemporaryDir m_dir;
};

void SingleInstanceTest::secondLaunchHandsOverItsUrls()
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

void SingleInstanceTest::staleSocketDoesNotBlockStart()
{
    // A crashed instance leaves its socket file behind but no lock holder.
    const QString name = m_dir.filePath(QStringLiteral("stale.socket"));
    QFile leftover(name);
    QVERIFY(leftover.open(QIODevice::WriteOnly));
    leftover.close();

    SingleInstance instance(name);
    QCOMPARE(instance.start({}), SingleInstance::Role::primary);
    QVERIFY(instance.isListening());
}

void SingleInstanceTest::oversizeMessageIsRefused()
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

void SingleInstanceTest::urlsInArguments()
{
    const QList<QUrl> urls = SingleInstance::urlsInArguments(
        {QStringLiteral("--platform"), QStringLiteral("offscreen"), QStringLiteral("/home/me/file.txt"),
         QStringLiteral("C:stuff"), QStringLiteral("file:///tmp/x"),
         QStringLiteral("stovelantern-mac://auth/callback?code=1"), QStringLiteral("https://example.com/a")});
    QCOMPARE(urls, (QList<QUrl>{QUrl(QStringLiteral("stovelantern-mac://auth/callback?code=1")),
                                QUrl(QStringLiteral("https://example.com/a"))}));
}

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "tst_SingleInstance.moc"

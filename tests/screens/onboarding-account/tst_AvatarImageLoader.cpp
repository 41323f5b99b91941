#include "screens/onboarding-account/AvatarImageCache.h"
#include "screens/onboarding-account/AvatarImageLoader.h"

#include "support/AvatarTestSupport.h"

#include <QDir>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

QColor colorOf(const std::optional<QImage> &image)
{
    return image ? image->pixelColor(0, 0) : QColor();
}

// Waits for the request to finish and returns its result.
AvatarLoadResult waitForResult(AvatarImageRequest &request)
{
    if (!request.result()) {
        QSignalSpy finished(&request, &AvatarImageRequest::finished);
        if (!finished.wait(10'000))
            qWarning("request did not finish");
    }
    return request.result().value_or(std::unexpected(AvatarLoadFailure::Network));
}

} // namespace

class TestAvatarImageLoader : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_root;
    std::unique_ptr<LocalBackend> m_backend;
    std::unique_ptr<AvatarImageCache> m_cache;
    std::unique_ptr<AvatarImageLoader> m_loader;

    QHash<QString, int> m_answered; // answers the backend wrote, per path

    // Waits until the backend has answered `url` `count` times, then lets
    // any reply that could still arrive be processed.
    void waitUntilServed(const QUrl &url, int count)
    {
        QTRY_COMPARE_WITH_TIMEOUT(m_answered.value(avatarFilePath(url)), count, 10'000);
        QCoreApplication::processEvents();
    }

private Q_SLOTS:
    void init()
    {
        m_backend = std::make_unique<LocalBackend>();
        QVERIFY(m_backend->server.port() != 0);
        m_answered.clear();
        connect(&m_backend->server, &backendlocal::BackendServer::requestHandled, this,
                [this](const QString &path) { m_answered[path] += 1; });
        m_cache = std::make_unique<AvatarImageCache>(
            QDir(m_root.path()).filePath(QString::fromLatin1(QTest::currentTestFunction())));
        m_loader = std::make_unique<AvatarImageLoader>(*m_cache);
    }

    void cleanup()
    {
        m_loader.reset();
        m_cache.reset();
        m_backend.reset();
    }

    void pictureIsDeliveredAndCached()
    {
        const QByteArray png = avatarPngBytes(Qt::red);
        const QUrl url = serveAvatarFile(*m_backend, QStringLiteral("red"), png);
        auto request = m_loader->load(url);
        QVERIFY(!request->result()); // never answered from inside load()
        const AvatarLoadResult result = waitForResult(*request);
        QVERIFY(result.has_value());
        QCOMPARE(result->pixelColor(0, 0), QColor(Qt::red));
        QCOMPARE(m_cache->inMemoryURLString(), AvatarImageLoader::keyFor(url));
        QCOMPARE(colorOf(m_cache->cachedImage(AvatarImageLoader::keyFor(url))), QColor(Qt::red));
        QCOMPARE(m_loader->activeDownloadCount(), 0);

        // The disk copy holds the bytes exactly as served.
        QFile file(QDir(*m_cache->cacheDirectory()).filePath(QStringLiteral("avatar.jpg")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), png);
    }

    void failuresLeaveTheCacheAlone_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<int>("expected");
        QTest::newRow("404") << 404 << QByteArray() << QByteArray("application/json") << int(AvatarLoadFailure::HttpStatus);
        QTest::newRow("500") << 500 << QByteArray() << QByteArray("application/json") << int(AvatarLoadFailure::HttpStatus);
        // A 404 whose body is a real picture is still a failure.
        QTest::newRow("404 with a picture") << 404 << avatarPngBytes(Qt::blue) << QByteArray("image/png")
                                            << int(AvatarLoadFailure::HttpStatus);
        QTest::newRow("non-image 200") << 0 << QByteArray() << QByteArray() << int(AvatarLoadFailure::NotAnImage);
    }

    void failuresLeaveTheCacheAlone()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, contentType);
        QFETCH(int, expected);

        const QString previousKey = QStringLiteral("https://cdn.example.com/previous.png");
        m_cache->save(avatarPngBytes(Qt::green), previousKey);

        const QUrl url = status == 0
            ? serveAvatarFile(*m_backend, QStringLiteral("text"), "<html>Access denied</html>", "text/html")
            : serveAvatarFile(*m_backend, QStringLiteral("pic"), avatarPngBytes(Qt::red));
        if (status != 0)
            m_backend->server.injectFailure(avatarFilePath(url), {.times = 1, .status = status, .body = body, .contentType = contentType});

        auto request = m_loader->load(url);
        const AvatarLoadResult result = waitForResult(*request);
        QVERIFY(!result.has_value());
        QCOMPARE(int(result.error()), expected);
        QCOMPARE(m_cache->inMemoryURLString(), previousKey);
        QCOMPARE(m_cache->cachedImage(AvatarImageLoader::keyFor(url)), std::nullopt);
        QCOMPARE(colorOf(m_cache->cachedImage(previousKey)), QColor(Qt::green));
    }

    void unreachableServerAndOtherSchemesFail()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        auto refused = m_loader->load(QUrl(QStringLiteral("http://127.0.0.1:%1/a.png").arg(port)));
        QCOMPARE(waitForResult(*refused).error(), AvatarLoadFailure::Network);

        // A local file is never read, even if it is a picture.
        const QString local = QDir(m_root.path()).filePath(QStringLiteral("local.png"));
        QFile file(local);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(avatarPngBytes(Qt::red));
        file.close();
        QSignalSpy started(m_loader.get(), &AvatarImageLoader::downloadStarted);
        auto fileRequest = m_loader->load(QUrl::fromLocalFile(local));
        QCOMPARE(waitForResult(*fileRequest).error(), AvatarLoadFailure::NotHttp);
        QCOMPARE(started.count(), 0);
        QCOMPARE(m_cache->inMemoryURLString(), std::nullopt);
    }

    void abortedDownloadNeverAnswers()
    {
        const QUrl url = serveAvatarFile(*m_backend, QStringLiteral("slow"), avatarPngBytes(Qt::red));
        m_backend->server.injectFailure(avatarFilePath(url), {.times = 1, .status = 0, .delay = 300ms});
        auto request = m_loader->load(url);
        QSignalSpy finished(request.get(), &AvatarImageRequest::finished);
        QTRY_COMPARE_WITH_TIMEOUT(m_backend->server.requestCount(avatarFilePath(url)), 1, 10'000);
        request->cancel();
        QCOMPARE(m_loader->activeDownloadCount(), 0);
        QVERIFY(!request->isWaiting());

        waitUntilServed(url, 1);
        QCOMPARE(finished.count(), 0);
        QVERIFY(!request->result());
        QCOMPARE(m_cache->inMemoryURLString(), std::nullopt);
        QCOMPARE(m_cache->cachedImage(AvatarImageLoader::keyFor(url)), std::nullopt);

        // After the abort, the same URL is downloaded afresh.
        auto again = m_loader->load(url);
        QVERIFY(waitForResult(*again).has_value());
    }

    void clearDuringDownloadKeepsThePictureOutOfTheCache()
    {
        // A sign-out (or a new avatar) while the old picture downloads: the
        // view waiting for it may still show it, but the cache stays empty.
        const QUrl url = serveAvatarFile(*m_backend, QStringLiteral("previous-user"), avatarPngBytes(Qt::red));
        m_backend->server.injectFailure(avatarFilePath(url), {.times = 1, .status = 0, .delay = 200ms});
        auto request = m_loader->load(url);
        QTRY_COMPARE_WITH_TIMEOUT(m_backend->server.requestCount(avatarFilePath(url)), 1, 10'000);
        m_cache->clear();
        QVERIFY(waitForResult(*request).has_value());
        QCOMPARE(m_cache->inMemoryURLString(), std::nullopt);
        QVERIFY(!QFile::exists(QDir(*m_cache->cacheDirectory()).filePath(QStringLiteral("avatar-url.txt"))));
    }

    void waiterMayCancelAnotherWhileBeingAnswered()
    {
        const QUrl url = serveAvatarFile(*m_backend, QStringLiteral("pair"), avatarPngBytes(Qt::red));
        auto first = m_loader->load(url);
        auto second = m_loader->load(url);
        connect(first.get(), &AvatarImageRequest::finished, this, [&] { second.reset(); });
        QVERIFY(waitForResult(*first).has_value());
        QVERIFY(!second);
        QCOMPARE(m_loader->activeDownloadCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestAvatarImageLoader)
#include "tst_AvatarImageLoader.moc"

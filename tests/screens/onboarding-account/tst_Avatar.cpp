// The avatar: initials and colour, the image cache, the loader against the
// stand-in backend's storage, and the view over both.
#include "account/AuthManager.h"
#include "screens/onboarding-account/AvatarImageCache.h"
#include "screens/onboarding-account/AvatarImageLoader.h"
#include "screens/onboarding-account/AvatarInitials.h"
#include "screens/settings/ui/AvatarView.h"
#include "support/AccountTestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace std::chrono_literals;
using namespace talvoro;

namespace {

// An 8×8 PNG of one colour.
inline QByteArray avatarPngBytes(const QColor &color)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Puts a file in the stand-in backend's storage and returns its download
// URL, as the backend hands out avatar URLs.
inline QUrl serveAvatarFile(LocalBackend &backend, const QString &storageId, const QByteArray &data,
                            const QByteArray &contentType = "image/png")
{
    backend.state().files.insert(storageId, {data, contentType, QString()});
    return backendlocal::BackendState::fileURL(backend.baseURL(), storageId);
}

// The path the backend counts requests under.
inline QString avatarFilePath(const QUrl &url)
{
    return url.path().mid(1);
}

// A name whose scalars are the base-31 digits of `value`, most significant
// first, so that the name's hash is exactly `value` (no wrapping needed).
QString nameHashingTo(quint64 value)
{
    QList<uint> digits;
    do {
        digits.prepend(uint(value % 31));
        value /= 31;
    } while (value != 0);
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(digits.constData()), digits.size());
}

const QString kURLA = QStringLiteral("https://cdn.example.com/avatars/a.png?v=1");
const QString kURLB = QStringLiteral("https://cdn.example.com/avatars/b.png?v=2");

// Fails the write of one chosen file, as a full disk would.
class FailingWriteCache final : public AvatarImageCache
{
public:
    using AvatarImageCache::AvatarImageCache;
    QString failingFileName;

protected:
    bool writeFileAtomically(const QString &filePath, const QByteArray &bytes, QString *errorText) override
    {
        if (QFileInfo(filePath).fileName() == failingFileName) {
            *errorText = QStringLiteral("No space left on device");
            return false;
        }
        return AvatarImageCache::writeFileAtomically(filePath, bytes, errorText);
    }
};

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
    return request.result().value_or(std::unexpected(AvatarLoadFailure::network));
}

QColor shownColor(const AvatarView &view)
{
    return view.loadedImage() ? view.loadedImage()->pixelColor(0, 0) : QColor();
}

QString key(const QUrl &url)
{
    return AvatarImageLoader::keyFor(url);
}

} // namespace

class TestAvatar : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_folder; // this test's cache folder, for caches of its own
    std::unique_ptr<LocalBackend> m_backend;
    std::unique_ptr<AvatarImageCache> m_cache;
    std::unique_ptr<AvatarImageLoader> m_loader;
    QHash<QString, int> m_answered; // answers the backend wrote, per path

    QString imagePath() const { return QDir(m_folder).filePath(QStringLiteral("avatar.jpg")); }
    QString urlPath() const { return QDir(m_folder).filePath(QStringLiteral("avatar-url.txt")); }

    // Waits until the backend has answered `url` `count` times, then lets
    // any reply that could still arrive be processed.
    void waitUntilServed(const QUrl &url, int count)
    {
        QTRY_COMPARE_WITH_TIMEOUT(m_answered.value(avatarFilePath(url)), count, 10'000);
        QCoreApplication::processEvents();
    }

    std::unique_ptr<AvatarView> makeView(const QString &name, const std::optional<QUrl> &url,
                                         AvatarSize size = AvatarSize::small)
    {
        AvatarView::Options options;
        options.loader = m_loader.get();
        return std::make_unique<AvatarView>(name, url, size, AvatarView::defaultAccentColor(), options);
    }

private Q_SLOTS:
    void init()
    {
        m_folder = QDir(m_root.path()).filePath(QStringLiteral("Caches/%1/AvatarCache").arg(QTest::currentTestFunction()));
        m_backend = std::make_unique<LocalBackend>();
        QVERIFY(m_backend->server.port() != 0);
        m_answered.clear();
        connect(&m_backend->server, &backendlocal::BackendServer::requestHandled, this,
                [this](const QString &path) { m_answered[path] += 1; });
        m_cache = std::make_unique<AvatarImageCache>(m_folder + QStringLiteral("-loader"));
        m_loader = std::make_unique<AvatarImageLoader>(*m_cache);
    }

    void cleanup()
    {
        m_loader.reset();
        m_cache.reset();
        m_backend.reset();
    }

    void initialsOfTheFirstTwoWords_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("initials");
        QTest::newRow("three words") << "maria clara souza" << "MC";
        QTest::newRow("one word") << "ana" << "A";
        QTest::newRow("leading spaces") << "  joão" << "J";
        QTest::newRow("runs of spaces") << "joão   pedro  " << "JP";
        QTest::newRow("only spaces") << "   " << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("tab does not split") << "ana\tbeatriz carla" << "AC";
        QTest::newRow("no-break space does not split") << "ana\u00A0beatriz carla" << "AC";
        QTest::newRow("accented letters") << "élodie ñuñez" << "ÉÑ";
        QTest::newRow("combining accent stays whole") << "e\u0301lodie ana" << "E\u0301A";
        QTest::newRow("emoji with skin tone") << "👍🏽 ok" << "👍🏽O";
        QTest::newRow("emoji family") << "👨‍👩‍👧 silva" << "👨‍👩‍👧S";
        QTest::newRow("flag") << "🇧🇷 brasil" << "🇧🇷B";
        QTest::newRow("letter outside the BMP") << "𝒜lice bob" << "𝒜B";
        QTest::newRow("full upper-case mapping") << "ßa ça" << "SSÇ";
    }

    void initialsOfTheFirstTwoWords()
    {
        QFETCH(QString, name);
        QFETCH(QString, initials);
        QCOMPARE(avatarInitials(name, true), initials);
        QCOMPARE(avatarInitials(name, false), initials);
    }

    void colourIndexHashesUnicodeScalars()
    {
        QCOMPARE(avatarNameHash(QString()), 0);
        QCOMPARE(avatarColorIndex(QString()), 0);
        QCOMPARE(avatarNameHash(QStringLiteral("ab")), 97 * 31 + 98);
        QCOMPARE(avatarColorIndex(QStringLiteral("ab")), (97 * 31 + 98) % 8);
        // One scalar, not its two UTF-16 halves: 0x1F600 % 8 == 0.
        QCOMPARE(avatarNameHash(QStringLiteral("😀")), 0x1F600);
        QCOMPARE(avatarColorIndex(QStringLiteral("😀")), 0);
    }

    void negativeHashesUseTheirMagnitude()
    {
        QCOMPARE(avatarColorIndexForHash(-1), 1);
        QCOMPARE(avatarColorIndexForHash(-13), 5);
        QCOMPARE(avatarColorIndexForHash(std::numeric_limits<qint64>::max()), 7);
        QCOMPARE(avatarColorIndexForHash(std::numeric_limits<qint64>::min() + 1), 7);

        const QString name = nameHashingTo(quint64(1) << 63);
        QCOMPARE(avatarNameHash(name), std::numeric_limits<qint64>::min());
        QCOMPARE(avatarColorIndex(name), 0);
    }


    void aPictureIsFoundOnlyUnderItsExactURLAcrossARestart()
    {
        AvatarImageCache(m_folder).save(avatarPngBytes(Qt::blue), kURLA);
        AvatarImageCache restarted(m_folder);
        QCOMPARE(restarted.cachedImage(kURLB), std::nullopt);
        QCOMPARE(restarted.cachedImage(kURLA + QLatin1Char('/')), std::nullopt);
        QCOMPARE(colorOf(restarted.cachedImage(kURLA)), QColor(Qt::blue));
        QCOMPARE(restarted.inMemoryURLString(), kURLA);
        // With the files gone, the memory copy answers.
        QVERIFY(QFile::remove(imagePath()));
        QCOMPARE(colorOf(restarted.cachedImage(kURLA)), QColor(Qt::blue));

        // Without a folder only memory is used.
        AvatarImageCache memoryOnly(std::nullopt);
        memoryOnly.save(avatarPngBytes(Qt::red), kURLA);
        QCOMPARE(colorOf(memoryOnly.cachedImage(kURLA)), QColor(Qt::red));
    }

    void aCorruptPictureMissesAndStaysForInspection()
    {
        const QByteArray png = avatarPngBytes(Qt::green);
        QVERIFY(QDir().mkpath(m_folder));
        QVERIFY(writeFile(imagePath(), png.left(png.size() / 2)));
        QVERIFY(writeFile(urlPath(), kURLA.toUtf8()));
        AvatarImageCache cache(m_folder);
        QTest::ignoreMessage(QtCriticalMsg, "Avatar cache image is invalid or corrupted");
        QCOMPARE(cache.cachedImage(kURLA), std::nullopt);
        QVERIFY(QFile::exists(imagePath()));
        QCOMPARE(cache.inMemoryURLString(), std::nullopt);
    }

    void clearEmptiesBothLayers()
    {
        AvatarImageCache(m_folder).clear(); // nothing there, not even the folder
        AvatarImageCache cache(m_folder);
        cache.save(avatarPngBytes(Qt::red), kURLA);
        cache.clear();
        QCOMPARE(cache.inMemoryURLString(), std::nullopt);
        QCOMPARE(cache.cachedImage(kURLA), std::nullopt);
        QVERIFY(!QFile::exists(imagePath()));
        QVERIFY(!QFile::exists(urlPath()));
    }

    void failedSaveNeverServesAPictureUnderAnotherURL_data()
    {
        QTest::addColumn<QString>("failingFile");
        QTest::newRow("URL write fails") << QStringLiteral("avatar-url.txt");
        QTest::newRow("picture write fails") << QStringLiteral("avatar.jpg");
    }

    void failedSaveNeverServesAPictureUnderAnotherURL()
    {
        QFETCH(QString, failingFile);
        {
            FailingWriteCache cache(m_folder);
            cache.save(avatarPngBytes(Qt::red), kURLA);
            cache.failingFileName = failingFile;
            cache.save(avatarPngBytes(Qt::blue), kURLB);
        }
        // After a restart the cache answers with the right picture or none.
        AvatarImageCache restarted(m_folder);
        const std::optional<QImage> forA = restarted.cachedImage(kURLA);
        QVERIFY(!forA || colorOf(forA) == QColor(Qt::red));
        const std::optional<QImage> forB = restarted.cachedImage(kURLB);
        QVERIFY(!forB || colorOf(forB) == QColor(Qt::blue));
        restarted.save(avatarPngBytes(Qt::green), kURLB);
        QCOMPARE(colorOf(AvatarImageCache(m_folder).cachedImage(kURLB)), QColor(Qt::green));
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
        QTest::newRow("404") << 404 << QByteArray() << QByteArray("application/json") << int(AvatarLoadFailure::httpStatus);
        QTest::newRow("500") << 500 << QByteArray() << QByteArray("application/json") << int(AvatarLoadFailure::httpStatus);
        // A 404 whose body is a real picture is still a failure.
        QTest::newRow("404 with a picture") << 404 << avatarPngBytes(Qt::blue) << QByteArray("image/png")
                                            << int(AvatarLoadFailure::httpStatus);
        QTest::newRow("non-image 200") << 0 << QByteArray() << QByteArray() << int(AvatarLoadFailure::notAnImage);
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
        QCOMPARE(waitForResult(*refused).error(), AvatarLoadFailure::network);

        // A local file is never read, even if it is a picture.
        const QString local = QDir(m_root.path()).filePath(QStringLiteral("local.png"));
        QFile file(local);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(avatarPngBytes(Qt::red));
        file.close();
        QSignalSpy started(m_loader.get(), &AvatarImageLoader::downloadStarted);
        auto fileRequest = m_loader->load(QUrl::fromLocalFile(local));
        QCOMPARE(waitForResult(*fileRequest).error(), AvatarLoadFailure::notHttp);
        QCOMPARE(started.count(), 0);
        QCOMPARE(m_cache->inMemoryURLString(), std::nullopt);
    }

    void abortedDownloadNeverAnswers()
    {
        const QUrl url = serveAvatarFile(*m_backend, QStringLiteral("slow"), avatarPngBytes(Qt::red));
        m_backend->server.injectFailure(avatarFilePath(url), {.times = 1, .status = 0, .delay = 2000ms});
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
        m_backend->server.injectFailure(avatarFilePath(url), {.times = 1, .status = 0, .delay = 2000ms});
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
    void withoutAnAddressNothingLoads()
    {
        QSignalSpy started(m_loader.get(), &AvatarImageLoader::downloadStarted);
        auto symbol = makeView(QString(), std::nullopt);
        auto spaces = makeView(QStringLiteral("   "), std::nullopt);
        auto named = makeView(QStringLiteral("maria clara souza"), std::nullopt);
        symbol->show();
        spaces->show();
        named->show();
        QCOMPARE(symbol->property("content").toString(), QStringLiteral("symbol"));
        QCOMPARE(spaces->property("content").toString(), QStringLiteral("initials"));
        QCOMPARE(spaces->initials(), QString()); // a coloured circle without letters
        QCOMPARE(named->property("content").toString(), QStringLiteral("initials"));
        QCOMPARE(named->initials(), QStringLiteral("MC"));
        QCOMPARE(started.count(), 0);
    }

    void failedDownloadFallsBack()
    {
        const QUrl url = serveAvatarFile(*m_backend, QStringLiteral("page"), "<html></html>", "text/html");
        auto named = makeView(QStringLiteral("joão silva"), url);
        auto nameless = makeView(QString(), url);
        named->show();
        nameless->show();
        QTRY_VERIFY(named->loadFailed() && nameless->loadFailed());
        QCOMPARE(named->content(), AvatarContent::initials);
        QCOMPARE(nameless->content(), AvatarContent::symbol);
    }

    void newAddressReplacesThePicture()
    {
        const QUrl first = serveAvatarFile(*m_backend, QStringLiteral("first"), avatarPngBytes(Qt::red));
        const QUrl second = serveAvatarFile(*m_backend, QStringLiteral("second"), avatarPngBytes(Qt::blue));
        m_cache->save(avatarPngBytes(Qt::red), key(first));
        auto view = makeView(QStringLiteral("Ana"), first);
        view->show();
        QCOMPARE(shownColor(*view), QColor(Qt::red));

        QSignalSpy changes(view.get(), &AvatarView::contentChanged);
        view->setImageURL(second);
        QCOMPARE(view->content(), AvatarContent::loading);
        QTRY_COMPARE(view->content(), AvatarContent::image);
        QCOMPARE(shownColor(*view), QColor(Qt::blue));
        QCOMPARE(m_cache->inMemoryURLString(), key(second));
        QCOMPARE(changes.count(), 2); // loading, then the picture

        // Removing the address shows the initials without loading anything.
        view->setImageURL(std::nullopt);
        QCOMPARE(view->content(), AvatarContent::initials);
        QVERIFY(!view->isLoading());
    }

    void outdatedReplyNeverReachesTheView()
    {
        const QUrl slow = serveAvatarFile(*m_backend, QStringLiteral("slow"), avatarPngBytes(Qt::red));
        const QUrl fast = serveAvatarFile(*m_backend, QStringLiteral("fast"), avatarPngBytes(Qt::blue));
        m_backend->server.injectFailure(avatarFilePath(slow), {.times = 1, .status = 0, .delay = 2000ms});

        // Two views wait for the slow picture; one moves on to another one.
        auto staying = makeView(QStringLiteral("Ana"), slow);
        auto moving = makeView(QStringLiteral("Ana"), slow);
        staying->show();
        moving->show();
        QCOMPARE(m_loader->activeDownloadCount(), 1);
        moving->setImageURL(fast);
        QTRY_COMPARE(moving->content(), AvatarContent::image);
        QCOMPARE(shownColor(*moving), QColor(Qt::blue));

        // The slow picture still arrives for the view that waits for it...
        QTRY_COMPARE_WITH_TIMEOUT(staying->content(), AvatarContent::image, 10'000);
        QCOMPARE(shownColor(*staying), QColor(Qt::red));
        // ...and leaves the other one alone.
        QCOMPARE(shownColor(*moving), QColor(Qt::blue));
        QCOMPARE(m_backend->server.requestCount(avatarFilePath(slow)), 1);
    }

    void hidingCancelsAndShowingLoadsAgain()
    {
        const QUrl url = serveAvatarFile(*m_backend, QStringLiteral("hidden"), avatarPngBytes(Qt::green));
        m_backend->server.injectFailure(avatarFilePath(url), {.times = 1, .status = 0, .delay = 2000ms});
        QWidget window;
        auto *view = new AvatarView(QStringLiteral("Ana"), url, AvatarSize::medium,
                                    AvatarView::defaultAccentColor(), {.loader = m_loader.get()}, &window);
        window.show();
        QVERIFY(view->isLoading());
        QTRY_COMPARE_WITH_TIMEOUT(m_backend->server.requestCount(avatarFilePath(url)), 1, 10'000);
        window.hide();
        QVERIFY(!view->isLoading());
        QCOMPARE(m_loader->activeDownloadCount(), 0);
        // Cancelling is no failure.
        QCOMPARE(view->content(), AvatarContent::loading);

        window.show();
        QTRY_COMPARE_WITH_TIMEOUT(view->content(), AvatarContent::image, 10'000);
        QCOMPARE(m_backend->server.requestCount(avatarFilePath(url)), 2);
    }

    void viewsOfOneAddressDownloadOnce()
    {
        const QUrl url = serveAvatarFile(*m_backend, QStringLiteral("once"), avatarPngBytes(Qt::red));
        m_backend->server.injectFailure(avatarFilePath(url), {.times = 1, .status = 0, .delay = 2000ms});
        auto home = makeView(QStringLiteral("Ana"), url);
        auto settings = makeView(QStringLiteral("Ana"), url);
        auto account = makeView(QStringLiteral("Ana"), url, AvatarSize::large);
        home->show();
        settings->show();
        account->show();
        QTRY_COMPARE(home->content(), AvatarContent::image);
        QTRY_COMPARE(settings->content(), AvatarContent::image);
        QTRY_COMPARE(account->content(), AvatarContent::image);
        QCOMPARE(m_backend->server.requestCount(avatarFilePath(url)), 1);

        // A view created later shows the cached picture from its first
        // frame, before it is ever shown, and asks for nothing.
        auto later = makeView(QStringLiteral("Ana"), url);
        QCOMPARE(later->content(), AvatarContent::image);
        later->show();
        QCOMPARE(shownColor(*later), QColor(Qt::red));
        QCOMPARE(m_backend->server.requestCount(avatarFilePath(url)), 1);
    }

    void pictureOfAnotherAddressIsNeverShown()
    {
        const QUrl first = serveAvatarFile(*m_backend, QStringLiteral("a"), avatarPngBytes(Qt::red));
        const QUrl second = serveAvatarFile(*m_backend, QStringLiteral("b"), avatarPngBytes(Qt::blue));
        auto view = makeView(QStringLiteral("Ana"), first);
        view->show();
        QTRY_COMPARE(shownColor(*view), QColor(Qt::red));

        // Another screen already put the second picture in the cache while
        // this view was away; coming back under the second address must not
        // keep the first picture just because the cache holds "a current one".
        view->hide();
        m_cache->save(avatarPngBytes(Qt::blue), key(second));
        view->setImageURL(second);
        view->show();
        QCOMPARE(view->content(), AvatarContent::image);
        QCOMPARE(shownColor(*view), QColor(Qt::blue));
    }

    void startingStateIsShownUntilTheNextLoad()
    {
        QImage green(4, 4, QImage::Format_RGB32);
        green.fill(Qt::green);
        AvatarView::Options still;
        still.loader = nullptr;
        still.startingImage = green;
        AvatarView picture(QStringLiteral("Ana"), QUrl(QStringLiteral("https://example.com/a.png")),
                           AvatarSize::small, AvatarView::defaultAccentColor(), still);
        picture.show();
        QCOMPARE(picture.content(), AvatarContent::image);

        const QUrl url = serveAvatarFile(*m_backend, QStringLiteral("later"), avatarPngBytes(Qt::red));
        AvatarView::Options failed;
        failed.loader = m_loader.get();
        failed.startingLoadFailed = true;
        AvatarView view(QStringLiteral("Ana Lima"), url, AvatarSize::small, AvatarView::defaultAccentColor(), failed);
        QCOMPARE(view.content(), AvatarContent::initials);
        view.show(); // shown anew: loads again
        QCOMPARE(view.content(), AvatarContent::loading);
        QTRY_COMPARE(view.content(), AvatarContent::image);
    }

    void followsTheSignedInUser()
    {
        AuthHarness harness(m_backend->baseURL());
        AuthManager &auth = *harness.auth;
        auth.setAvatarCacheClearer([this] { m_cache->clear(); });
        QVERIFY(harness.signIn());
        auto view = makeView(QString(), std::nullopt);
        view->showUser(auth);
        view->show();
        QCOMPARE(view->content(), AvatarContent::initials);
        QCOMPARE(view->initials(), QStringLiteral("AL")); // the stand-in backend's "Ana Lima"

        // An uploaded avatar: the cache is emptied, the view loads the
        // published picture and fills the cache again.
        const QUrl first = serveAvatarFile(*m_backend, QStringLiteral("first"), avatarPngBytes(Qt::red));
        m_cache->save(avatarPngBytes(Qt::green), QStringLiteral("https://old.example.com/a.png"));
        auth.updateAvatarURL(first);
        QCOMPARE(m_cache->inMemoryURLString(), std::nullopt);
        QCOMPARE(view->content(), AvatarContent::loading);
        QTRY_COMPARE(view->content(), AvatarContent::image);
        QCOMPARE(shownColor(*view), QColor(Qt::red));
        QCOMPARE(m_cache->inMemoryURLString(), key(first));

        // Signing out shows the symbol and leaves the cache empty.
        auth.signOut();
        QCOMPARE(m_cache->inMemoryURLString(), std::nullopt);
        QCOMPARE(view->content(), AvatarContent::symbol);
    }

};

QTEST_MAIN(TestAvatar)
#include "tst_Avatar.moc"

#include "screens/onboarding-account/AvatarImageCache.h"
#include "screens/onboarding-account/AvatarImageLoader.h"
#include "screens/onboarding-account/ui/AvatarView.h"

#include "support/AvatarTestSupport.h"
#include "support/TestSupport.h"

#include "account/AuthManager.h"
#include "look/AccentColorOption.h"

#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

QColor shownColor(const AvatarView &view)
{
    return view.loadedImage() ? view.loadedImage()->pixelColor(0, 0) : QColor();
}

QString key(const QUrl &url)
{
    return AvatarImageLoader::keyFor(url);
}

} // namespace

class TestAvatarView : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_root;
    std::unique_ptr<LocalBackend> m_backend;
    std::unique_ptr<AvatarImageCache> m_cache;
    std::unique_ptr<AvatarImageLoader> m_loader;

    std::unique_ptr<AvatarView> makeView(const QString &name, const std::optional<QUrl> &url,
                                         AvatarSize size = AvatarSize::Small)
    {
        AvatarView::Options options;
        options.loader = m_loader.get();
        return std::make_unique<AvatarView>(name, url, size, AvatarView::defaultAccentColor(), options);
    }

private Q_SLOTS:
    void init()
    {
        m_backend = std::make_unique<LocalBackend>();
        QVERIFY(m_backend->server.port() != 0);
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

    void cachedPictureIsShownFromTheFirstFrame()
    {
        const QUrl url = serveAvatarFile(*m_backend, QStringLiteral("cached"), avatarPngBytes(Qt::red));
        m_cache->save(avatarPngBytes(Qt::red), key(url));
        QSignalSpy started(m_loader.get(), &AvatarImageLoader::downloadStarted);
        auto view = makeView(QStringLiteral("Ana"), url);
        QCOMPARE(view->content(), AvatarContent::Image); // before it is ever shown
        view->show();
        QCOMPARE(view->content(), AvatarContent::Image);
        QCOMPARE(shownColor(*view), QColor(Qt::red));
        QCOMPARE(started.count(), 0);
        QCOMPARE(m_backend->server.requestCount(avatarFilePath(url)), 0);
    }

    void downloadStartsWhenShownAndFillsTheCache()
    {
        const QUrl url = serveAvatarFile(*m_backend, QStringLiteral("fresh"), avatarPngBytes(Qt::blue));
        QSignalSpy started(m_loader.get(), &AvatarImageLoader::downloadStarted);
        auto view = makeView(QStringLiteral("Ana"), url, AvatarSize::Large);
        QCOMPARE(view->content(), AvatarContent::Loading);
        QCOMPARE(started.count(), 0);
        view->show();
        QCOMPARE(started.count(), 1);
        QTRY_COMPARE(view->content(), AvatarContent::Image);
        QCOMPARE(shownColor(*view), QColor(Qt::blue));
        QCOMPARE(m_cache->inMemoryURLString(), key(url));
        QVERIFY(!view->findChild<QWidget *>(QStringLiteral("avatarSpinner"))->isVisible());
    }

    void failedDownloadFallsBack_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("404, named") << 404 << QStringLiteral("joão silva") << QStringLiteral("initials");
        QTest::newRow("500, named") << 500 << QStringLiteral("joão silva") << QStringLiteral("initials");
        QTest::newRow("not an image, named") << 0 << QStringLiteral("joão silva") << QStringLiteral("initials");
        QTest::newRow("404, no name") << 404 << QString() << QStringLiteral("symbol");
        QTest::newRow("not an image, no name") << 0 << QString() << QStringLiteral("symbol");
    }

    void failedDownloadFallsBack()
    {
        QFETCH(int, status);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const QUrl url = status == 0 ? serveAvatarFile(*m_backend, QStringLiteral("page"), "<html></html>", "text/html")
                                     : serveAvatarFile(*m_backend, QStringLiteral("pic"), avatarPngBytes(Qt::red));
        if (status != 0)
            m_backend->server.injectFailure(avatarFilePath(url), {.times = 1, .status = status});
        auto view = makeView(name, url);
        view->show();
        QTRY_VERIFY(view->loadFailed());
        QCOMPARE(view->property("content").toString(), expected);
        QCOMPARE(m_cache->inMemoryURLString(), std::nullopt);
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
        QCOMPARE(view->content(), AvatarContent::Loading);
        QTRY_COMPARE(view->content(), AvatarContent::Image);
        QCOMPARE(shownColor(*view), QColor(Qt::blue));
        QCOMPARE(m_cache->inMemoryURLString(), key(second));
        QCOMPARE(changes.count(), 2); // loading, then the picture

        // Removing the address shows the initials without loading anything.
        view->setImageURL(std::nullopt);
        QCOMPARE(view->content(), AvatarContent::Initials);
        QVERIFY(!view->isLoading());
    }

    void outdatedReplyNeverReachesTheView()
    {
        const QUrl slow = serveAvatarFile(*m_backend, QStringLiteral("slow"), avatarPngBytes(Qt::red));
        const QUrl fast = serveAvatarFile(*m_backend, QStringLiteral("fast"), avatarPngBytes(Qt::blue));
        m_backend->server.injectFailure(avatarFilePath(slow), {.times = 1, .status = 0, .delay = 300ms});

        // Two views wait for the slow picture; one moves on to another one.
        auto staying = makeView(QStringLiteral("Ana"), slow);
        auto moving = makeView(QStringLiteral("Ana"), slow);
        staying->show();
        moving->show();
        QCOMPARE(m_loader->activeDownloadCount(), 1);
        moving->setImageURL(fast);
        QTRY_COMPARE(moving->content(), AvatarContent::Image);
        QCOMPARE(shownColor(*moving), QColor(Qt::blue));

        // The slow picture still arrives for the view that waits for it...
        QTRY_COMPARE_WITH_TIMEOUT(staying->content(), AvatarContent::Image, 10'000);
        QCOMPARE(shownColor(*staying), QColor(Qt::red));
        // ...and leaves the other one alone.
        QCOMPARE(shownColor(*moving), QColor(Qt::blue));
        QCOMPARE(m_backend->server.requestCount(avatarFilePath(slow)), 1);
    }

    void hidingCancelsAndShowingLoadsAgain()
    {
        const QUrl url = serveAvatarFile(*m_backend, QStringLiteral("hidden"), avatarPngBytes(Qt::green));
        m_backend->server.injectFailure(avatarFilePath(url), {.times = 1, .status = 0, .delay = 300ms});
        QWidget window;
        auto *view = new AvatarView(QStringLiteral("Ana"), url, AvatarSize::Medium,
                                    AvatarView::defaultAccentColor(), {.loader = m_loader.get()}, &window);
        window.show();
        QVERIFY(view->isLoading());
        QTRY_COMPARE_WITH_TIMEOUT(m_backend->server.requestCount(avatarFilePath(url)), 1, 10'000);
        window.hide();
        QVERIFY(!view->isLoading());
        QCOMPARE(m_loader->activeDownloadCount(), 0);
        // Cancelling is no failure.
        QCOMPARE(view->content(), AvatarContent::Loading);

        window.show();
        QTRY_COMPARE_WITH_TIMEOUT(view->content(), AvatarContent::Image, 10'000);
        QCOMPARE(m_backend->server.requestCount(avatarFilePath(url)), 2);
    }

    void viewsOfOneAddressDownloadOnce()
    {
        const QUrl url = serveAvatarFile(*m_backend, QStringLiteral("once"), avatarPngBytes(Qt::red));
        m_backend->server.injectFailure(avatarFilePath(url), {.times = 1, .status = 0, .delay = 100ms});
        auto home = makeView(QStringLiteral("Ana"), url);
        auto settings = makeView(QStringLiteral("Ana"), url);
        auto account = makeView(QStringLiteral("Ana"), url, AvatarSize::Large);
        home->show();
        settings->show();
        account->show();
        QTRY_COMPARE(home->content(), AvatarContent::Image);
        QTRY_COMPARE(settings->content(), AvatarContent::Image);
        QTRY_COMPARE(account->content(), AvatarContent::Image);
        QCOMPARE(m_backend->server.requestCount(avatarFilePath(url)), 1);

        // A view created later finds the picture in the cache.
        auto later = makeView(QStringLiteral("Ana"), url);
        QCOMPARE(later->content(), AvatarContent::Image);
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
        QCOMPARE(view->content(), AvatarContent::Image);
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
                           AvatarSize::Small, AvatarView::defaultAccentColor(), still);
        picture.show();
        QCOMPARE(picture.content(), AvatarContent::Image);

        const QUrl url = serveAvatarFile(*m_backend, QStringLiteral("later"), avatarPngBytes(Qt::red));
        AvatarView::Options failed;
        failed.loader = m_loader.get();
        failed.startingLoadFailed = true;
        AvatarView view(QStringLiteral("Ana Lima"), url, AvatarSize::Small, AvatarView::defaultAccentColor(), failed);
        QCOMPARE(view.content(), AvatarContent::Initials);
        view.show(); // shown anew: loads again
        QCOMPARE(view.content(), AvatarContent::Loading);
        QTRY_COMPARE(view.content(), AvatarContent::Image);
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
        QCOMPARE(view->content(), AvatarContent::Initials);
        QCOMPARE(view->initials(), QStringLiteral("AL")); // the stand-in backend's "Ana Lima"

        // An uploaded avatar: the cache is emptied, the view loads the
        // published picture and fills the cache again.
        const QUrl first = serveAvatarFile(*m_backend, QStringLiteral("first"), avatarPngBytes(Qt::red));
        m_cache->save(avatarPngBytes(Qt::green), QStringLiteral("https://old.example.com/a.png"));
        auth.updateAvatarURL(first);
        QCOMPARE(m_cache->inMemoryURLString(), std::nullopt);
        QCOMPARE(view->content(), AvatarContent::Loading);
        QTRY_COMPARE(view->content(), AvatarContent::Image);
        QCOMPARE(shownColor(*view), QColor(Qt::red));
        QCOMPARE(m_cache->inMemoryURLString(), key(first));

        // Signing out shows the symbol and leaves the cache empty.
        auth.signOut();
        QCOMPARE(m_cache->inMemoryURLString(), std::nullopt);
        QCOMPARE(view->content(), AvatarContent::Symbol);
    }

};

QTEST_MAIN(TestAvatarView)
#include "tst_AvatarView.moc"

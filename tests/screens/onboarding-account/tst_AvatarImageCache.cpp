#include "screens/onboarding-account/AvatarImageCache.h"
#include "support/AvatarTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kURLA = QStringLiteral("https://cdn.example.com/avatars/a.png?v=1");
const QString kURLB = QStringLiteral("https://cdn.example.com/avatars/b.png?v=2");

QColor colorOf(const std::optional<QImage> &image)
{
    return image ? image->pixelColor(0, 0) : QColor();
}

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

} // namespace

class TestAvatarImageCache : public QObject
{
    Q_OBJECT
    QTemporaryDir m_root;
    QString m_folder;

    QString imagePath() const { return QDir(m_folder).filePath(QStringLiteral("avatar.jpg")); }
    QString urlPath() const { return QDir(m_folder).filePath(QStringLiteral("avatar-url.txt")); }

private Q_SLOTS:
    void init()
    {
        m_folder = QDir(m_root.path()).filePath(QStringLiteral("Caches/%1/AvatarCache").arg(QTest::currentTestFunction()));
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
        QFile image(imagePath());
        QVERIFY(image.open(QIODevice::WriteOnly));
        image.write(png.left(png.size() / 2));
        image.close();
        QFile url(urlPath());
        QVERIFY(url.open(QIODevice::WriteOnly));
        url.write(kURLA.toUtf8());
        url.close();
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
};

QTEST_GUILESS_MAIN(TestAvatarImageCache)
#include "tst_AvatarImageCache.moc"

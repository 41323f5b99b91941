#include "screens/onboarding-account/AvatarImageCache.h"
#include "support/AvatarTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kURLA = QStringLiteral("https://cdn.example.com/avatars/a.png?v=1");
const QString kURLB = QStringLiteral("https://cdn.example.com/avatars/b.png?v=2");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QColor colorOf(const std::optional<QImage> &image)
{
    return image ? image->pixelColor(0, 0) : QColor();
}

// The cache's own log lines, in order.
QStringList &capturedLines()
{
    static QStringList lines;
    return lines;
}

QtMessageHandler previousHandler = nullptr;

void captureHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (context.category && QByteArray(context.category) == lcAvatarImageCache().categoryName()) {
        const char *level = type == QtDebugMsg ? "debug" : type == QtCriticalMsg ? "error" : "other";
        capturedLines().append(QString::fromLatin1(level) + QLatin1String(": ") + message);
        return;
    }
    previousHandler(type, context, message);
}

// Fails the write of one chosen file, as a full disk would.
class FailingWriteCache final : public AvatarImageCache
{
public:
    using AvatarImageCache::AvatarImageCache;
    QString failingFileName;

protected:
    bool writeFileAtomically(const QString &filePath, const QByteArray &bytes,
                             QString *errorText) override
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
private:
    QTemporaryDir m_root;
    QString m_folder;

    QString imagePath() const { return QDir(m_folder).filePath(QStringLiteral("avatar.jpg")); }
    QString urlPath() const { return QDir(m_folder).filePath(QStringLiteral("avatar-url.txt")); }

private Q_SLOTS:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("com.torvenak.talvoro-mac.*.debug=true"));
        previousHandler = qInstallMessageHandler(captureHandler);
    }

    void init()
    {
        m_folder = QDir(m_root.path()).filePath(QStringLiteral("Caches/%1/AvatarCache")
                                                    .arg(QTest::currentTestFunction()));
        capturedLines().clear();
    }

    void savedPictureIsFoundUnderItsExactURL()
    {
        AvatarImageCache cache(m_folder);
        const QByteArray red = avatarPngBytes(Qt::red);
        cache.save(red, kURLA);
        QCOMPARE(capturedLines(), QStringList{"debug: Avatar cached successfully for URL: " + kURLA});
        QCOMPARE(readAll(imagePath()), red);
        QCOMPARE(readAll(urlPath()), kURLA.toUtf8()); // no line end
        QCOMPARE(colorOf(cache.cachedImage(kURLA)), QColor(Qt::red));

        // Another URL misses and changes nothing, in memory or on disk.
        QCOMPARE(cache.cachedImage(kURLB), std::nullopt);
        QCOMPARE(cache.cachedImage(kURLA + QLatin1Char('/')), std::nullopt);
        QCOMPARE(cache.inMemoryURLString(), kURLA);
        QCOMPARE(readAll(imagePath()), red);
        QCOMPARE(readAll(urlPath()), kURLA.toUtf8());
    }

    void restartIsServedFromDiskThenMemory()
    {
        AvatarImageCache(m_folder).save(avatarPngBytes(Qt::blue), kURLA);

        AvatarImageCache restarted(m_folder);
        QCOMPARE(restarted.inMemoryURLString(), std::nullopt);
        QCOMPARE(colorOf(restarted.cachedImage(kURLA)), QColor(Qt::blue));
        QCOMPARE(restarted.inMemoryURLString(), kURLA);
        // With the files gone, only the memory copy can answer.
        QVERIFY(QFile::remove(imagePath()));
        QVERIFY(QFile::remove(urlPath()));
        QCOMPARE(colorOf(restarted.cachedImage(kURLA)), QColor(Qt::blue));
    }

    void corruptPictureIsReportedOnEveryLookup()
    {
        const QByteArray png = avatarPngBytes(Qt::green);
        writeAll(imagePath(), png.left(png.size() / 2));
        writeAll(urlPath(), kURLA.toUtf8());
        AvatarImageCache cache(m_folder);
        QCOMPARE(cache.cachedImage(kURLA), std::nullopt);
        QCOMPARE(cache.cachedImage(kURLA), std::nullopt);
        QCOMPARE(capturedLines(), QStringList(2, "error: Avatar cache image is invalid or corrupted"));
        QVERIFY(QFile::exists(imagePath()));
        QCOMPARE(cache.inMemoryURLString(), std::nullopt);
    }

    void nonImageBytesAreStoredButKeepTheMemoryCopy()
    {
        AvatarImageCache cache(m_folder);
        cache.save(avatarPngBytes(Qt::red), kURLA);
        const QByteArray html("<html>Not found</html>");
        cache.save(html, kURLB);
        QCOMPARE(readAll(imagePath()), html);
        QCOMPARE(readAll(urlPath()), kURLB.toUtf8());
        QCOMPARE(cache.inMemoryURLString(), kURLA);
        QCOMPARE(colorOf(cache.cachedImage(kURLA)), QColor(Qt::red));
        capturedLines().clear();
        QCOMPARE(cache.cachedImage(kURLB), std::nullopt);
        QCOMPARE(capturedLines(), QStringList{"error: Avatar cache image is invalid or corrupted"});
    }

    void urlFileMatchesCharacterForCharacter()
    {
        writeAll(imagePath(), avatarPngBytes(Qt::red));
        writeAll(urlPath(), kURLA.toUtf8() + '\n');
        AvatarImageCache cache(m_folder);
        QCOMPARE(cache.cachedImage(kURLA), std::nullopt);
        QCOMPARE(colorOf(cache.cachedImage(kURLA + QLatin1Char('\n'))), QColor(Qt::red));
        QVERIFY(capturedLines().isEmpty());
    }

    void clearEmptiesBothLayers()
    {
        AvatarImageCache empty(m_folder);
        empty.clear(); // nothing there, not even the folder
        QCOMPARE(capturedLines(), QStringList{"debug: Avatar cache cleared"});

        AvatarImageCache cache(m_folder);
        cache.save(avatarPngBytes(Qt::red), kURLA);
        capturedLines().clear();
        cache.clear();
        QCOMPARE(capturedLines(), QStringList{"debug: Avatar cache cleared"});
        QCOMPARE(cache.inMemoryURLString(), std::nullopt);
        QCOMPARE(cache.cachedImage(kURLA), std::nullopt);
        QVERIFY(!QFile::exists(imagePath()));
        QVERIFY(!QFile::exists(urlPath()));
        QVERIFY(QDir(m_folder).exists());
    }

    void failedRemovalIsReportedAndTheOtherFileStillGoes()
    {
        // A folder where the picture should be cannot be removed as a file.
        QVERIFY(QDir().mkpath(imagePath() + QStringLiteral("/inside")));
        writeAll(urlPath(), kURLA.toUtf8());
        AvatarImageCache cache(m_folder);
        cache.clear();
        QCOMPARE(capturedLines().size(), 2);
        QVERIFY2(capturedLines().at(0).startsWith("error: Failed to remove avatar cache image: "),
                 qPrintable(capturedLines().at(0)));
        QCOMPARE(capturedLines().at(1), QStringLiteral("error: Avatar cache clear finished with partial failures"));
        QVERIFY(!QFile::exists(urlPath()));
    }

    void unreadableFilesAreLoggedAndMiss()
    {
        QVERIFY(QDir().mkpath(urlPath()));
        AvatarImageCache cache(m_folder);
        QCOMPARE(cache.cachedImage(kURLA), std::nullopt);
        QCOMPARE(capturedLines().size(), 1);
        QVERIFY2(capturedLines().at(0).startsWith("error: Failed to load avatar cache URL: "),
                 qPrintable(capturedLines().at(0)));
    }

    void withoutACacheFolderOnlyMemoryIsUsed()
    {
        AvatarImageCache cache(std::nullopt);
        QCOMPARE(cache.cachedImage(kURLA), std::nullopt);
        cache.save(avatarPngBytes(Qt::red), kURLA);
        QCOMPARE(colorOf(cache.cachedImage(kURLA)), QColor(Qt::red));
        QCOMPARE(cache.cachedImage(kURLB), std::nullopt);
        cache.clear();
        QCOMPARE(cache.inMemoryURLString(), std::nullopt);
        QCOMPARE(cache.cachedImage(kURLA), std::nullopt);
        QVERIFY(capturedLines().isEmpty());
    }

    void uncreatableFolderStillFillsMemory()
    {
        writeAll(QDir(m_root.path()).filePath(QStringLiteral("plain-file")), "x");
        AvatarImageCache cache(QDir(m_root.path()).filePath(QStringLiteral("plain-file/AvatarCache")));
        cache.save(avatarPngBytes(Qt::red), kURLA);
        QCOMPARE(capturedLines().size(), 1);
        QVERIFY(capturedLines().at(0).startsWith("error: Failed to create avatar cache directory: "));
        QCOMPARE(colorOf(cache.cachedImage(kURLA)), QColor(Qt::red));
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
            FailingWriteCache cache(m_folder + failingFile);
            cache.save(avatarPngBytes(Qt::red), kURLA);
            cache.failingFileName = failingFile;
            capturedLines().clear();
            cache.save(avatarPngBytes(Qt::blue), kURLB);
            QCOMPARE(capturedLines(),
                     QStringList{"error: Failed to save avatar cache: No space left on device"});
        }
        // After a restart the URL of the first picture must not bring up the
        // second one; the cache may only answer with the right picture or none.
        AvatarImageCache restarted(m_folder + failingFile);
        const std::optional<QImage> forA = restarted.cachedImage(kURLA);
        QVERIFY(!forA || colorOf(forA) == QColor(Qt::red));
        const std::optional<QImage> forB = restarted.cachedImage(kURLB);
        QVERIFY(!forB || colorOf(forB) == QColor(Qt::blue));

        // The next successful save works as usual.
        restarted.save(avatarPngBytes(Qt::green), kURLB);
        QCOMPARE(colorOf(AvatarImageCache(m_folder + failingFile).cachedImage(kURLB)),
                 QColor(Qt::green));
    }

    void applicationCacheLivesUnderTheApplicationsCacheFolder()
    {
        const std::optional<QString> folder = AvatarImageCache::applicationCacheDirectory();
        QVERIFY(folder);
        QVERIFY2(folder->endsWith(QStringLiteral("/com.torvenak.talvoro-mac/AvatarCache")),
                 qPrintable(*folder));
    }
};

QTEST_GUILESS_MAIN(TestAvatarImageCache)
#include "tst_AvatarImageCache.moc"

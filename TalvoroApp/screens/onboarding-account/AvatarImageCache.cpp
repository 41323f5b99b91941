#include "screens/onboarding-account/AvatarImageCache.h"

#include "platform/AppPaths.h"
#include "platform/AtomicJsonFile.h"
#include "platform/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

Q_LOGGING_CATEGORY(lcAvatarImageCache, "com.torvenak.talvoro-mac.AvatarImageCache")

namespace {

std::optional<QString> defaultCacheDirectory()
{
    const QString caches = AppPaths::cacheDir();
    // Without a home or XDG cache folder there is nowhere to keep files.
    if (caches.isEmpty() || QDir::isRelativePath(caches))
        return std::nullopt;
    return QDir(caches).filePath(QString::fromLatin1(AvatarImageCache::kCacheDirectoryName));
}

// Reads a whole file; nullopt without a log when it does not exist.
std::optional<QByteArray> readFile(const QString &path, QString *errorText)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            return std::nullopt;
        *errorText = file.errorString();
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *errorText = file.errorString();
        return std::nullopt;
    }
    return bytes;
}

} // namespace

AvatarImageCache::AvatarImageCache(std::optional<QString> cacheDirectory)
    : m_cacheDirectory(std::move(cacheDirectory))
{
}

AvatarImageCache::~AvatarImageCache() = default;

std::optional<QString> AvatarImageCache::applicationCacheDirectory()
{
    return defaultCacheDirectory();
}

QString AvatarImageCache::filePath(const char *fileName) const
{
    return QDir(*m_cacheDirectory).filePath(QString::fromLatin1(fileName));
}

std::optional<QString> AvatarImageCache::inMemoryURLString() const
{
    QMutexLocker lock(&m_mutex);
    return m_inMemoryURLString;
}

quint64 AvatarImageCache::clearGeneration() const
{
    QMutexLocker lock(&m_mutex);
    return m_clearGeneration;
}

std::optional<QImage> AvatarImageCache::cachedImage(const QString &urlString)
{
    QMutexLocker lock(&m_mutex);
    if (m_inMemoryURLString == urlString && m_inMemoryImage)
        return m_inMemoryImage;
    if (!m_cacheDirectory)
        return std::nullopt;
    const std::optional<QString> storedURL = loadCachedURLString();
    if (!storedURL || *storedURL != urlString)
        return std::nullopt;
    std::optional<QImage> image = loadCachedImage();
    if (!image)
        return std::nullopt;
    m_inMemoryImage = image;
    m_inMemoryURLString = urlString;
    return image;
}

std::optional<QString> AvatarImageCache::loadCachedURLString() const
{
    QString error;
    const std::optional<QByteArray> bytes = readFile(filePath(kURLFileName), &error);
    if (!bytes) {
        if (!error.isEmpty())
            qCCritical(lcAvatarImageCache, "Failed to load avatar cache URL: %s",
                       qUtf8Printable(error));
        return std::nullopt;
    }
    return QString::fromUtf8(*bytes);
}

std::optional<QImage> AvatarImageCache::loadCachedImage() const
{
    QString error;
    const std::optional<QByteArray> bytes = readFile(filePath(kImageFileName), &error);
    if (!bytes) {
        if (!error.isEmpty())
            qCCritical(lcAvatarImageCache, "Failed to load avatar cache image: %s",
                       qUtf8Printable(error));
        return std::nullopt;
    }
    QImage image = QImage::fromData(*bytes);
    if (image.isNull()) {
        qCCritical(lcAvatarImageCache, "Avatar cache image is invalid or corrupted");
        return std::nullopt;
    }
    return image;
}

void AvatarImageCache::save(const QByteArray &bytes, const QString &urlString)
{
    QMutexLocker lock(&m_mutex);
    // The memory copy is filled even without a cache folder, so the screens
    // of this session still share the picture.
    if (QImage image = QImage::fromData(bytes); !image.isNull()) {
        m_inMemoryImage = std::move(image);
        m_inMemoryURLString = urlString;
    }
    if (!m_cacheDirectory)
        return;
    // The picture is the user's: the folder is theirs alone whatever the umask.
    if (!talvoro::makePrivateFolder(*m_cacheDirectory)) {
        qCCritical(lcAvatarImageCache, "Failed to create avatar cache directory: %s",
                   qUtf8Printable(QStringLiteral("%1: %2").arg(*m_cacheDirectory, qt_error_string(errno))));
        return;
    }
    // The URL file goes first and comes back last: in between, no URL matches,
    // so a failed or interrupted save leaves an empty cache rather than a new
    // picture under the old URL.
    QString error;
    const QString urlPath = filePath(kURLFileName);
    QFile urlFile(urlPath);
    if (QFileInfo::exists(urlPath) && !urlFile.remove()) {
        error = urlFile.errorString();
    } else if (writeFileAtomically(filePath(kImageFileName), bytes, &error)) {
        writeFileAtomically(urlPath, urlString.toUtf8(), &error);
    }
    if (!error.isEmpty()) {
        qCCritical(lcAvatarImageCache, "Failed to save avatar cache: %s", qUtf8Printable(error));
        return;
    }
    qCDebug(lcAvatarImageCache, "Avatar cached successfully for URL: %s",
            qUtf8Printable(urlString));
}

bool AvatarImageCache::writeFileAtomically(const QString &filePath, const QByteArray &bytes,
                                           QString *errorText)
{
    // A temporary file at 0600, checked, synced and renamed over the old one.
    if (auto written = AtomicJsonFile::writeBytes(filePath, bytes); !written) {
        *errorText = QStringLiteral("cannot write %1: %2").arg(filePath, written.error());
        return false;
    }
    return true;
}

bool AvatarImageCache::removeCacheFile(const QString &filePath, const char *label) const
{
    QFile file(filePath);
    if (file.remove() || (!QFileInfo::exists(filePath) && !QFileInfo(filePath).isSymLink()))
        return true;
    qCCritical(lcAvatarImageCache, "Failed to remove avatar cache %s: %s", label,
               qUtf8Printable(file.errorString()));
    return false;
}

void AvatarImageCache::clear()
{
    QMutexLocker lock(&m_mutex);
    ++m_clearGeneration;
    m_inMemoryImage.reset();
    m_inMemoryURLString.reset();
    if (!m_cacheDirectory)
        return;
    const bool imageRemoved = removeCacheFile(filePath(kImageFileName), "image");
    const bool urlRemoved = removeCacheFile(filePath(kURLFileName), "url");
    if (!imageRemoved || !urlRemoved)
        qCCritical(lcAvatarImageCache, "Avatar cache clear finished with partial failures");
    else
        qCDebug(lcAvatarImageCache, "Avatar cache cleared");
}

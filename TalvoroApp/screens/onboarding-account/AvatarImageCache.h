#pragma once

#include <QByteArray>
#include <QImage>
#include <QLoggingCategory>
#include <QMutex>
#include <QString>

#include <optional>

Q_DECLARE_LOGGING_CATEGORY(lcAvatarImageCache)

// The one current avatar picture of the signed-in user, keyed by the exact
// URL string it was downloaded from, in memory and on disk, so every screen
// draws it at once, also after a restart, without downloading it again.
//
// Disk layout (the cache folder, "<XDG cache>/com.torvenak.talvoro-mac/AvatarCache"):
//   avatar.jpg      the downloaded bytes as the server sent them (any format)
//   avatar-url.txt  the URL string of those bytes, UTF-8, no line end
// A save removes the URL file before it replaces the picture and writes the
// URL file last, each file atomically, so however a save fails or is cut
// short the URL file never names a picture it did not come with.
//
// Calls are serialised by a mutex, so any thread may use it.
class AvatarImageCache
{
public:
    static constexpr const char *kCacheDirectoryName = "AvatarCache";
    static constexpr const char *kImageFileName = "avatar.jpg";
    static constexpr const char *kURLFileName = "avatar-url.txt";

    // `cacheDirectory` is the AvatarCache folder itself (created on the first
    // save); nullopt means there is no cache folder: memory only.
    explicit AvatarImageCache(std::optional<QString> cacheDirectory);
    virtual ~AvatarImageCache();

    AvatarImageCache(const AvatarImageCache &) = delete;
    AvatarImageCache &operator=(const AvatarImageCache &) = delete;

    // The application's AvatarCache folder under AppPaths::cacheDir();
    // nullopt without a usable cache folder.
    static std::optional<QString> applicationCacheDirectory();

    // The picture stored for exactly this URL string, from memory or else
    // from disk (which then fills the memory copy).
    std::optional<QImage> cachedImage(const QString &urlString);
    // Stores the downloaded bytes for the URL; bytes that are no image leave
    // the memory copy as it was but are still written to disk.
    void save(const QByteArray &bytes, const QString &urlString);
    // Forgets the picture in memory and removes both files.
    void clear();

    std::optional<QString> inMemoryURLString() const;
    // Counts the clears, so a download that started before one (a sign-out,
    // a new avatar) can tell that its picture must not refill the cache.
    quint64 clearGeneration() const;
    std::optional<QString> cacheDirectory() const { return m_cacheDirectory; }

protected:
    // Replaces `filePath` with `bytes` in one step; false with a reason on
    // failure. Virtual so tests can make one write fail.
    virtual bool writeFileAtomically(const QString &filePath, const QByteArray &bytes,
                                     QString *errorText);

private:
    QString filePath(const char *fileName) const;
    std::optional<QString> loadCachedURLString() const;
    std::optional<QImage> loadCachedImage() const;
    bool removeCacheFile(const QString &filePath, const char *label) const;

    const std::optional<QString> m_cacheDirectory;
    mutable QMutex m_mutex;
    std::optional<QImage> m_inMemoryImage;
    std::optional<QString> m_inMemoryURLString;
    quint64 m_clearGeneration = 0;
};

#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <expected>
#include <memory>
#include <optional>

class AvatarImageCache;
class AvatarImageLoader;
class QNetworkAccessManager;
class QNetworkReply;

// Why a picture could not be shown. The views fall back to the initials for
// every one of them and report nothing.
enum class AvatarLoadFailure {
    network,     // no response: connection refused, time-out, reset...
    httpStatus,  // a response other than 200
    notHttp,     // the URL is not http(s)
    notAnImage,  // a 200 whose body is no picture
    tooLarge,    // the body went past kMaxAvatarBytes
};

using AvatarLoadResult = std::expected<QImage, AvatarLoadFailure>;

// One view's wait for the picture of one URL. Deleting it, or cancel(), ends
// the wait: it then never signals, whatever the download does later.
class AvatarImageRequest : public QObject
{
    Q_OBJECT
public:
    ~AvatarImageRequest() override;

    const QString &key() const { return m_key; }
    // Set once finished() has been emitted.
    const std::optional<AvatarLoadResult> &result() const { return m_result; }
    bool isWaiting() const { return !m_result && m_loader; }

    void cancel();

Q_SIGNALS:
    void finished();

private:
    friend class AvatarImageLoader;
    AvatarImageRequest(AvatarImageLoader *loader, QString key);
    void deliver(const AvatarLoadResult &result);

    QPointer<AvatarImageLoader> m_loader;
    QString m_key;
    std::optional<AvatarLoadResult> m_result;
};

// Downloads avatar pictures for the avatar views: at most one download per
// URL at a time, shared by every view waiting for that URL, aborted as soon
// as nobody waits for it any more. A successful download fills the cache
// (unless the cache was cleared while it ran: that picture belongs to a
// session or an avatar that is gone). Main thread only.
class AvatarImageLoader : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kMaxAvatarBytes = 20 * 1024 * 1024;
    static constexpr int kTransferTimeoutMs = 60'000;

    // `network` null: the loader makes its own session.
    explicit AvatarImageLoader(AvatarImageCache &cache, QNetworkAccessManager *network = nullptr,
                               QObject *parent = nullptr);
    ~AvatarImageLoader() override;

    AvatarImageCache &cache() const { return m_cache; }

    // The string a URL's picture is cached and shared under.
    static QString keyFor(const QUrl &url) { return url.toString(QUrl::FullyEncoded); }

    // Starts the download of `url`, or joins the one already running for the
    // same URL string. The request signals finished() once, later, never
    // from inside this call.
    std::unique_ptr<AvatarImageRequest> load(const QUrl &url);

    int activeDownloadCount() const { return int(m_downloads.size()); }
    bool isDownloading(const QString &key) const { return m_downloads.contains(key); }

Q_SIGNALS:
    // A request really went out (joining a running download does not count).
    void downloadStarted(const QString &key);

private:
    friend class AvatarImageRequest;
    struct Download;

    void detach(AvatarImageRequest *request);
    void finishDownload(const QString &key, QNetworkReply *reply, bool tooLarge);
    void finishWithFailure(const QString &key, AvatarLoadFailure failure);
    void deliver(Download &download, const AvatarLoadResult &result);

    AvatarImageCache &m_cache;
    QNetworkAccessManager *m_network;
    QHash<QString, std::shared_ptr<Download>> m_downloads;
};

#include "screens/onboarding-account/AvatarImageLoader.h"

#include "screens/onboarding-account/AvatarImageCache.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <algorithm>

struct AvatarImageLoader::Download
{
    QPointer<QNetworkReply> reply;
    QList<AvatarImageRequest *> waiters;
    quint64 cacheGeneration = 0;
};

// --- AvatarImageRequest ------------------------------------------------------

AvatarImageRequest::AvatarImageRequest(AvatarImageLoader *loader, QString key)
    : m_loader(loader)
    , m_key(std::move(key))
{
}

AvatarImageRequest::~AvatarImageRequest()
{
    cancel();
}

void AvatarImageRequest::cancel()
{
    if (AvatarImageLoader *loader = m_loader) {
        m_loader = nullptr;
        loader->detach(this);
    }
}

void AvatarImageRequest::deliver(const AvatarLoadResult &result)
{
    m_loader = nullptr;
    m_result = result;
    Q_EMIT finished();
}

// --- AvatarImageLoader -------------------------------------------------------

AvatarImageLoader::AvatarImageLoader(AvatarImageCache &cache, QNetworkAccessManager *network,
                                     QObject *parent)
    : QObject(parent)
    , m_cache(cache)
    , m_network(network ? network : new QNetworkAccessManager(this))
{
}

AvatarImageLoader::~AvatarImageLoader()
{
    // Waiters outliving the loader simply never hear back.
    for (const auto &download : std::as_const(m_downloads)) {
        if (download->reply) {
            download->reply->disconnect(this);
            download->reply->abort();
            download->reply->deleteLater();
        }
    }
}

std::unique_ptr<AvatarImageRequest> AvatarImageLoader::load(const QUrl &url)
{
    const QString key = keyFor(url);
    std::unique_ptr<AvatarImageRequest> request(new AvatarImageRequest(this, key));

    auto existing = m_downloads.constFind(key);
    if (existing != m_downloads.cend()) {
        (*existing)->waiters.append(request.get());
        return request;
    }

    auto download = std::make_shared<Download>();
    download->waiters.append(request.get());
    download->cacheGeneration = m_cache.clearGeneration();
    m_downloads.insert(key, download);

    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        // Only web pictures are shown: a file: or data: address is never read.
        QTimer::singleShot(0, this, [this, key] { finishWithFailure(key, AvatarLoadFailure::notHttp); });
        return request;
    }

    QNetworkRequest networkRequest(url);
    networkRequest.setTransferTimeout(kTransferTimeoutMs);
    networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply *reply = m_network->get(networkRequest);
    download->reply = reply;
    auto tooLarge = std::make_shared<bool>(false);
    connect(reply, &QNetworkReply::downloadProgress, this, [reply, tooLarge](qint64 received, qint64 total) {
        if (received > kMaxAvatarBytes || total > kMaxAvatarBytes) {
            *tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, key, reply, tooLarge] {
        finishDownload(key, reply, *tooLarge);
    });
    Q_EMIT downloadStarted(key);
    return request;
}

void AvatarImageLoader::detach(AvatarImageRequest *request)
{
    auto it = m_downloads.find(request->key());
    if (it == m_downloads.end())
        return;
    std::shared_ptr<Download> download = *it;
    download->waiters.removeAll(request);
    if (!download->waiters.isEmpty())
        return;
    // Nobody waits any more: forget the download first, so a new view asking
    // for the same URL starts afresh, then abort without hearing back.
    m_downloads.erase(it);
    if (QNetworkReply *reply = download->reply) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void AvatarImageLoader::finishDownload(const QString &key, QNetworkReply *reply, bool tooLarge)
{
    reply->deleteLater();
    auto it = m_downloads.find(key);
    if (it == m_downloads.end() || (*it)->reply != reply)
        return;
    std::shared_ptr<Download> download = *it;
    m_downloads.erase(it);

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    AvatarLoadResult result = std::unexpected(AvatarLoadFailure::network);
    QByteArray body;
    if (tooLarge) {
        result = std::unexpected(AvatarLoadFailure::tooLarge);
    } else if (!status.isValid()) {
        result = std::unexpected(AvatarLoadFailure::network);
    } else if (status.toInt() != 200) {
        result = std::unexpected(AvatarLoadFailure::httpStatus);
    } else if (reply->error() != QNetworkReply::NoError) {
        // A 200 whose body broke off half-way.
        result = std::unexpected(AvatarLoadFailure::network);
    } else {
        body = reply->readAll();
        QImage image = QImage::fromData(body);
        if (image.isNull())
            result = std::unexpected(AvatarLoadFailure::notAnImage);
        else
            result = std::move(image);
    }

    if (result && m_cache.clearGeneration() == download->cacheGeneration)
        m_cache.save(body, key);
    deliver(*download, result);
}

void AvatarImageLoader::finishWithFailure(const QString &key, AvatarLoadFailure failure)
{
    auto it = m_downloads.find(key);
    if (it == m_downloads.end() || (*it)->reply)
        return;
    std::shared_ptr<Download> download = *it;
    m_downloads.erase(it);
    deliver(*download, std::unexpected(failure));
}

void AvatarImageLoader::deliver(Download &download, const AvatarLoadResult &result)
{
    // A waiter's slot may cancel or delete other waiters: take the list and
    // re-check each one before delivering to it.
    const QList<AvatarImageRequest *> waiters = std::exchange(download.waiters, {});
    QList<QPointer<AvatarImageRequest>> guarded;
    guarded.reserve(waiters.size());
    for (AvatarImageRequest *waiter : waiters)
        guarded.append(waiter);
    for (const QPointer<AvatarImageRequest> &waiter : guarded) {
        if (waiter && waiter->m_loader == this)
            waiter->deliver(result);
    }
}

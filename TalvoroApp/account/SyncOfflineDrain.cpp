#include "account/SyncManager.h"

#include "account/AuthProviding.h"
#include "account/BackendAPIClient.h"
#include "account/SyncBackoff.h"
#include "account/SyncLogging.h"
#include "account/SyncRequests.h"
#include "platform/AwaitOwned.h"

#include <QCoroSignal>
#include <QJsonDocument>
#include <QPointer>

QCoro::Task<> SyncManager::drainOfflineQueue()
{
    // The drain's parts live as long as it does, with or without this manager.
    const Dependencies parts = m_deps;
    const QPointer<SyncManager> self(this);
    QList<OfflineSyncKind> refused;
    auto drain = drainOfflineSyncQueue(*parts.client, *parts.auth, *parts.queue, parts.now,
                                       [&refused](OfflineSyncKind kind) {
                                           if (!refused.contains(kind))
                                               refused.append(kind);
                                       });
    co_await drain;
    for (const OfflineSyncKind kind : refused) {
        if (!self)
            co_return;
        auto pulling = self->pullKind(kind);
        co_await pulling;
    }
}

QCoro::Task<> drainOfflineSyncQueue(BackendAPIClient &client, AuthProviding &auth, OfflineSyncQueue &queue,
                                    std::function<QDateTime()> now, std::function<void(OfflineSyncKind)> deletionRefused)
{
    if (!now)
        now = [] { return QDateTime::currentDateTimeUtc(); };
    if (queue.isDraining()) {
        co_await qCoro(&queue, &OfflineSyncQueue::drainFinished);
        co_return;
    }
    if (!auth.isAuthenticated() || queue.count() == 0)
        co_return;
    queue.setDraining(true);
    const quint64 generation = auth.sessionGeneration();
    const QList<OfflineSyncItem> due = queue.dueItems(now());
    if (!due.isEmpty())
        qCInfo(lcOfflineSyncQueue, "Replaying %lld queued push(es)", qlonglong(due.size()));

    for (OfflineSyncItem item : due) {
        // Replaced by a newer change, delivered, or being sent by its live push meanwhile.
        if (!queue.contains(item.id) || queue.isInFlight(item.id))
            continue;
        const QString kind = offlineSyncKindName(item.kind);
        queue.markInFlight(item.id);
        auto sending = talvoro::awaitOwned(&queue, SyncRequests::post(client, SyncRequests::pathFor(item.kind),
                                                                      QJsonDocument(item.payload).toJson(QJsonDocument::Compact)));
        const auto answered = co_await std::move(sending);
        if (!answered)
            co_return;
        queue.settle(item.id);
        const auto &sent = *answered;
        if (auth.sessionGeneration() != generation) {
            qCInfo(lcOfflineSyncQueue) << "Session changed during the drain; stopping";
            break;
        }
        if (sent) {
            queue.remove(item.id);
            qCInfo(lcOfflineSyncQueue, "Replayed queued %s push", qUtf8Printable(kind));
            const bool refusedDeletion = !*sent && item.payload.value(QLatin1String("isDeleted")).toBool()
                && item.kind != OfflineSyncKind::deleteTranscription && item.kind != OfflineSyncKind::settings;
            if (refusedDeletion && deletionRefused)
                deletionRefused(item.kind);
            continue;
        }
        const BackendAPIError &error = sent.error();
        if (error.isAuthenticationFailure() || error.kind() == BackendAPIError::Kind::cancelled) {
            qCInfo(lcOfflineSyncQueue, "Queued %s push kept until signed in again: %s", qUtf8Printable(kind),
                   qUtf8Printable(error.errorDescription()));
            break; // every other item would meet the same answer
        }
        if (SyncRequests::isWorthRetrying(error)) {
            item.retryCount += 1;
            std::optional<std::chrono::seconds> serverDelay;
            if (error.retryAfterSeconds() > 0)
                serverDelay = std::chrono::seconds(error.retryAfterSeconds());
            item.nextRetryAt = SyncBackoff::nextRetryTime(now(), item.retryCount, serverDelay);
            queue.update(item);
            qCWarning(lcOfflineSyncQueue, "Queued %s push failed (retry %d at %s): %s", qUtf8Printable(kind),
                      item.retryCount, qUtf8Printable(item.nextRetryAt.toString(Qt::ISODate)),
                      qUtf8Printable(error.errorDescription()));
            if (error.kind() == BackendAPIError::Kind::networkError || !error.isRetryable())
                break; // the server is out of reach (or something else answers for it): the rest stay due
            continue;
        }
        queue.remove(item.id);
        qCWarning(lcOfflineSyncQueue, "Discarding queued %s push the server refused: %s", qUtf8Printable(kind),
                  qUtf8Printable(error.errorDescription()));
    }
    queue.setDraining(false);
}

#include "account/SyncManager.h"

#include "account/BackendAPIClient.h"
#include "account/InitialPushBodies.h"
#include "account/SyncDefaults.h"
#include "account/SyncLogging.h"
#include "account/SyncMerge.h"
#include "account/SyncRequests.h"
#include "platform/AppModelContainer.h"
#include "platform/AwaitOwned.h"
#include "platform/ModelContext.h"
#include "transcription/DictionaryEntry.h"
#include "transcription/ReplacementRule.h"
#include "transcription/TranscriptionRecord.h"

QCoro::Task<bool> SyncManager::runInitialPush(QPointer<ModelContext> context, quint64 generation, quint64 epoch,
                                              QPointer<RequestCancellation> cancellation)
{
    if (!context)
        co_return false;
    const std::shared_ptr<BackendAPIClient> client = m_deps.client;
    auto rules = context->fetch<ReplacementRule>();
    auto entries = context->fetch<DictionaryEntry>();
    if (!rules || !entries) {
        qCWarning(lcSyncManager) << "Initial push failed: cannot read the local store";
        co_return false;
    }
    // Rules, terms and the settings block go with the first request; the
    // account keeps its own settings when it has some (see docs/sync.md).
    SyncPushRequest small;
    for (const auto &rule : *rules)
        small.rules.append(SyncMerge::payloadFromRule(rule, false));
    for (const auto &entry : *entries)
        small.dictionaryEntries.append(SyncMerge::payloadFromEntry(entry, false));
    const QList<OrderedJson::Field> firstMembers = small.membersWithoutTranscriptions(
        SyncDefaults::currentSettingsBlock(*m_deps.defaults, now()));

    std::unique_ptr<InitialPushBodies> bodies;
    if (m_deps.container && m_deps.container->isPersistent() && m_deps.container->isShared()) {
        bodies = std::make_unique<InitialPushBodies>(m_deps.container->filePath(), firstMembers);
    } else {
        auto transcriptions = context->fetch<TranscriptionRecord>();
        if (!transcriptions) {
            qCWarning(lcSyncManager) << "Initial push failed: cannot read the local store";
            co_return false;
        }
        QList<SyncTranscriptionPayload> rows;
        rows.reserve(qsizetype(transcriptions->size()));
        for (const auto &record : *transcriptions)
            rows.append(SyncMerge::payloadFromTranscription(record));
        bodies = std::make_unique<InitialPushBodies>(std::move(rows), firstMembers);
    }

    qCInfo(lcSyncManager, "Initial push of the local history: %lld rules and %lld dictionary entries, "
                          "transcriptions in requests of up to %lld bytes",
           qlonglong(small.rules.size()), qlonglong(small.dictionaryEntries.size()),
           qlonglong(InitialPushBodies::kBodyBytes));
    qsizetype sentTranscriptions = 0;
    for (;;) {
        auto making = talvoro::awaitOwned(this, bodies->next());
        auto made = co_await std::move(making);
        if (!made)
            co_return false;
        auto &body = *made;
        if (!body) {
            qCWarning(lcSyncManager, "Initial push failed: %s", qUtf8Printable(body.error()));
            co_return false;
        }
        if (!*body)
            break;
        if (isStale(generation, epoch))
            co_return false;
        auto sending = talvoro::awaitOwned(this, SyncRequests::post(*client, QString::fromLatin1(SyncRequests::kPushPath),
                                                                    (*body)->json, cancellation));
        const qsizetype count = (*body)->transcriptions;
        body->reset(); // the request holds the bytes now
        const auto posted = co_await std::move(sending);
        if (!posted)
            co_return false;
        const auto &sent = *posted;
        if (!sent) {
            qCWarning(lcSyncManager, "Initial push failed: %s", qUtf8Printable(sent.error().errorDescription()));
            co_return false;
        }
        sentTranscriptions += count;
    }
    qCInfo(lcSyncManager, "Initial push sent %lld transcriptions", qlonglong(sentTranscriptions));
    co_return !isStale(generation, epoch);
}

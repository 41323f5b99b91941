#include "account/SyncMerge.h"

#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "platform/ModelStoreEngine.h"
#include "transcription/DictionaryEntry.h"
#include "transcription/ReplacementRule.h"
#include "transcription/TranscriptionRecord.h"

namespace SyncMerge {

using SyncTime::dateFromMs;
using SyncTime::msFromDate;

TranscriptionRecord transcriptionFromPayload(const SyncTranscriptionPayload &p)
{
    TranscriptionRecord record;
    record.id = syncUuidFromClientId(p.clientId);
    record.text = p.text;
    record.createdAt = dateFromMs(p.createdAt);
    record.wordCount = p.wordCount;
    record.durationSeconds = p.durationSeconds;
    record.language = p.language.isEmpty() ? QStringLiteral("auto") : p.language;
    return record;
}

SyncTranscriptionPayload payloadFromTranscription(const TranscriptionRecord &r)
{
    const double created = msFromDate(r.createdAt);
    return {syncClientId(r.id), r.text, created, r.wordCount, r.durationSeconds, r.language, created, false};
}

ReplacementRule ruleFromPayload(const SyncRulePayload &p)
{
    ReplacementRule rule;
    rule.id = syncUuidFromClientId(p.clientId);
    rule.originalText = p.originalText;
    rule.replacementText = p.replacementText;
    rule.isEnabled = p.isEnabled;
    rule.useCount = p.useCount;
    rule.createdAt = dateFromMs(p.createdAt);
    rule.updatedAt = dateFromMs(p.updatedAt);
    return rule;
}

SyncRulePayload payloadFromRule(const ReplacementRule &r, bool isDeleted)
{
    return {syncClientId(r.id), r.originalText, r.replacementText, r.isEnabled, r.useCount,
            msFromDate(r.createdAt), msFromDate(r.updatedAt), isDeleted};
}

DictionaryEntry entryFromPayload(const SyncDictionaryEntryPayload &p)
{
    DictionaryEntry entry;
    entry.id = syncUuidFromClientId(p.clientId);
    entry.term = p.term;
    entry.language = p.language;
    entry.source = p.source;
    entry.useCount = p.useCount;
    entry.lastUsedAt = dateFromMs(p.lastUsedAt);
    entry.createdAt = dateFromMs(p.createdAt);
    entry.updatedAt = dateFromMs(p.updatedAt);
    return entry;
}

SyncDictionaryEntryPayload payloadFromEntry(const DictionaryEntry &e, bool isDeleted)
{
    return {syncClientId(e.id), e.term, e.language, e.source, e.useCount,
            msFromDate(e.lastUsedAt), msFromDate(e.createdAt), msFromDate(e.updatedAt), isDeleted};
}

namespace {

// Rules and terms share one last-writer-wins merge.
template<class Model, class Payload, class FromPayload>
void mergeEditable(ModelContext &context, const QList<Payload> &rows, OfflineSyncKind kind,
                   const DeletionPending &deletionPending, FromPayload fromPayload, Counts &counts)
{
    for (const Payload &row : rows) {
        const QUuid id = syncUuidFromClientId(row.clientId);
        const std::optional<Model> local = context.fetchById<Model>(id);
        if (deletionPending && deletionPending(kind, row.clientId)) {
            ++counts.keptLocal;
            continue;
        }
        const double localUpdated = local ? msFromDate(local->updatedAt) : 0;
        if (row.isDeleted) {
            if (!local)
                continue;
            if (localUpdated > row.updatedAt) {
                ++counts.keptLocal;
                continue;
            }
            if (context.remove<Model>(id))
                ++counts.deleted;
            continue;
        }
        if (!local) {
            context.insert(fromPayload(row));
            ++counts.inserted;
        } else if (row.updatedAt > localUpdated) {
            if (context.update(fromPayload(row)))
                ++counts.updated;
        } else if (row.updatedAt < localUpdated) {
            ++counts.keptLocal;
        }
    }
}

} // namespace

std::expected<Counts, StoreError> apply(ModelContext &context, const SyncPullResponse &response,
                                        const DeletionPending &deletionPending)
{
    Counts counts;
    for (const SyncTranscriptionPayload &row : response.transcriptions) {
        const QUuid id = syncUuidFromClientId(row.clientId);
        const bool exists = context.fetchById<TranscriptionRecord>(id).has_value();
        if (row.isDeleted) {
            if (exists && context.remove<TranscriptionRecord>(id))
                ++counts.deleted;
            continue;
        }
        if (deletionPending && deletionPending(OfflineSyncKind::deleteTranscription, row.clientId)) {
            ++counts.keptLocal;
            continue;
        }
        if (!exists) {
            context.insert(transcriptionFromPayload(row));
            ++counts.inserted;
        }
    }
    mergeEditable<ReplacementRule>(context, response.rules, OfflineSyncKind::rule, deletionPending,
                                   ruleFromPayload, counts);
    mergeEditable<DictionaryEntry>(context, response.dictionaryEntries, OfflineSyncKind::dictionaryEntry,
                                   deletionPending, entryFromPayload, counts);
    if (auto saved = context.save(); !saved)
        return std::unexpected(saved.error());
    return counts;
}

QCoro::Task<std::expected<Counts, StoreError>> applyTranscriptions(AppModelContainer &container,
                                                                   QList<SyncTranscriptionPayload> rows,
                                                                   const DeletionPending &deletionPending)
{
    struct Row
    {
        TranscriptionRecord record;
        bool isDeleted = false;
    };
    auto counts = std::make_shared<Counts>();
    std::vector<Row> writes;
    writes.reserve(size_t(rows.size()));
    for (const SyncTranscriptionPayload &row : rows) {
        if (!row.isDeleted && deletionPending
            && deletionPending(OfflineSyncKind::deleteTranscription, row.clientId)) {
            ++counts->keptLocal;
            continue;
        }
        Row write{row.isDeleted ? TranscriptionRecord() : transcriptionFromPayload(row), row.isDeleted};
        write.record.id = syncUuidFromClientId(row.clientId);
        writes.push_back(std::move(write));
    }
    if (writes.empty())
        co_return *counts;
    // Runs on the writer thread: it touches only what it holds.
    auto writing = container.writeOffThread(
        [writes = std::move(writes), counts](SqliteDatabase &db, StoreChangeSet &changeSet)
            -> std::expected<void, StoreError> {
            ModelChanges<TranscriptionRecord> &changes = changeSet.changes<TranscriptionRecord>();
            for (const Row &write : writes) {
                if (write.isDeleted) {
                    auto deleted = talvoro::store::deleteRow<TranscriptionRecord>(db, write.record.id);
                    if (!deleted)
                        return std::unexpected(deleted.error());
                    if (*deleted) {
                        changes.deleted.push_back(write.record.id);
                        ++counts->deleted;
                    }
                    continue;
                }
                auto inserted = talvoro::store::insertRowIfMissing(db, write.record);
                if (!inserted)
                    return std::unexpected(inserted.error());
                if (*inserted) {
                    changes.addUpserted(write.record, true);
                    ++counts->inserted;
                }
            }
            return {};
        });
    const auto written = co_await std::move(writing);
    if (!written)
        co_return std::unexpected(written.error());
    co_return *counts;
}

} // namespace SyncMerge

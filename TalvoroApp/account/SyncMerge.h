#pragma once

#include "account/OfflineSyncQueue.h"
#include "account/SyncPayloads.h"
#include "platform/ModelStoreTypes.h"

#include <QCoroTask>

#include <expected>
#include <functional>

class AppModelContainer;
class ModelContext;
struct TranscriptionRecord;
struct ReplacementRule;
struct DictionaryEntry;

// How pulled rows meet the local store:
// - last writer wins on `updatedAt` (milliseconds): a pulled rule or term
//   replaces the local one only when it is newer; a pulled deletion removes
//   the local row unless the local row was changed after it;
// - transcriptions never change after they are made: a pulled one is added
//   when missing, a pulled deletion removes it;
// - a row whose deletion this device has not yet delivered (waiting in the
//   offline queue or in flight) is never brought back by a pull.
namespace SyncMerge {

struct Counts
{
    int inserted = 0;
    int updated = 0;
    int deleted = 0;
    int keptLocal = 0; // local row newer, or its deletion still waiting

    Counts &operator+=(const Counts &other)
    {
        inserted += other.inserted;
        updated += other.updated;
        deleted += other.deleted;
        keptLocal += other.keptLocal;
        return *this;
    }
};

using DeletionPending = std::function<bool(OfflineSyncKind kind, const QString &clientId)>;

// Applies the rows to the context and saves it (one transaction).
std::expected<Counts, StoreError> apply(ModelContext &context, const SyncPullResponse &response,
                                        const DeletionPending &deletionPending);
// The pulled transcriptions alone, written on the store's writer thread in
// one transaction: each missing one inserted (an existing row is never
// looked up first: the insert leaves it alone), each pulled deletion
// applied. The rows of deletions still waiting here are left out before.
[[nodiscard]] QCoro::Task<std::expected<Counts, StoreError>> applyTranscriptions(
    AppModelContainer &container, QList<SyncTranscriptionPayload> rows, const DeletionPending &deletionPending);

// Model values from and to the payload records.
TranscriptionRecord transcriptionFromPayload(const SyncTranscriptionPayload &payload);
SyncTranscriptionPayload payloadFromTranscription(const TranscriptionRecord &record);
ReplacementRule ruleFromPayload(const SyncRulePayload &payload);
SyncRulePayload payloadFromRule(const ReplacementRule &rule, bool isDeleted);
DictionaryEntry entryFromPayload(const SyncDictionaryEntryPayload &payload);
SyncDictionaryEntryPayload payloadFromEntry(const DictionaryEntry &entry, bool isDeleted);

} // namespace SyncMerge

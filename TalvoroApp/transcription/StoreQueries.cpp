#include "transcription/StoreQueries.h"

#include "platform/SqliteDatabase.h"

namespace StoreQueries {

FetchDescriptor<TranscriptionRecord> transcriptionsNewestFirst()
{
    return {{}, {{TranscriptionRecord::Field::createdAt, SortOrder::reverse}}, std::nullopt};
}

FetchDescriptor<TranscriptionRecord> newestTranscriptions(qsizetype limit)
{
    FetchDescriptor<TranscriptionRecord> descriptor = transcriptionsNewestFirst();
    descriptor.fetchLimit = limit;
    return descriptor;
}

FetchDescriptor<TranscriptionRecord> transcriptionsAfter(const TranscriptionRecord &last, qsizetype limit)
{
    FetchDescriptor<TranscriptionRecord> descriptor = newestTranscriptions(limit);
    // Newest first, then by id; an invalid date is NULL, which comes last.
    const QUuid id = last.id;
    if (last.createdAt.storeValue()) {
        const talvoro::ModelDate at = last.createdAt;
        descriptor.sqlCondition =
            QStringLiteral("(createdAt < ?1 OR (createdAt = ?1 AND id > ?2) OR createdAt IS NULL)");
        descriptor.bindCondition = [at, id](SqliteStatement &statement) {
            statement.bindDate(1, at);
            statement.bindUuid(2, id);
        };
    } else {
        descriptor.sqlCondition = QStringLiteral("(createdAt IS NULL AND id > ?1)");
        descriptor.bindCondition = [id](SqliteStatement &statement) { statement.bindUuid(1, id); };
    }
    return descriptor;
}

FetchDescriptor<DictionaryEntry> dictionaryEntriesByTerm()
{
    return {{}, {{DictionaryEntry::Field::term, SortOrder::forward}}, std::nullopt};
}

FetchDescriptor<ReplacementRule> rulesNewestFirst()
{
    return {{}, {{ReplacementRule::Field::createdAt, SortOrder::reverse}}, std::nullopt};
}

FetchDescriptor<ReplacementRule> enabledRules()
{
    return {[](const ReplacementRule &rule) { return rule.isEnabled; },
            {{ReplacementRule::Field::createdAt, SortOrder::reverse}},
            std::nullopt,
            QStringLiteral("isEnabled != 0")};
}

} // namespace StoreQueries

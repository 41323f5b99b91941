#include "transcription/StoreQueries.h"

#include "platform/ModelValues.h"

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
    // Both values are ours (a number and a canonical id), never user text.
    const QString id = talvoro::uuidString(last.id);
    descriptor.sqlCondition = last.createdAt.isValid()
        ? QStringLiteral("(createdAt < %1 OR (createdAt = %1 AND id > '%2') OR createdAt IS NULL)")
              .arg(last.createdAt.toMSecsSinceEpoch())
              .arg(id)
        : QStringLiteral("(createdAt IS NULL AND id > '%1')").arg(id);
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

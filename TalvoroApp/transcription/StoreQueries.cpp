#include "transcription/StoreQueries.h"

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

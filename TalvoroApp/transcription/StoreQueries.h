#pragma once

#include "platform/LiveQuery.h"
#include "transcription/DictionaryEntry.h"
#include "transcription/ReplacementRule.h"
#include "transcription/TranscriptionRecord.h"

// The fetches the screens and the pipeline make, as descriptors for
// ModelContext::fetch and LiveQuery.
namespace StoreQueries {

// Every transcription, newest first.
FetchDescriptor<TranscriptionRecord> transcriptionsNewestFirst();
// The `limit` newest transcriptions (a card that shows a few reads only those).
FetchDescriptor<TranscriptionRecord> newestTranscriptions(qsizetype limit);
// Every dictionary entry of every language, by term (file-browser order).
FetchDescriptor<DictionaryEntry> dictionaryEntriesByTerm();
// Every rule, newest first.
FetchDescriptor<ReplacementRule> rulesNewestFirst();
// The enabled rules, newest first (the pipeline's rule pass).
FetchDescriptor<ReplacementRule> enabledRules();

} // namespace StoreQueries

using TranscriptionsQuery = LiveQuery<TranscriptionRecord>;
using DictionaryEntriesQuery = LiveQuery<DictionaryEntry>;
using ReplacementRulesQuery = LiveQuery<ReplacementRule>;

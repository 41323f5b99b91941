#pragma once

#include "transcription/TranscriptionRecord.h"

#include <QByteArray>
#include <QString>

#include <string_view>
#include <vector>

// The history's search: a record matches when its text contains the search
// text, compared lower-cased (locale-independent) and in composed form (NFC)
// on both sides, so "OLÁ" finds "olá" whether the accent was typed composed
// or decomposed, while "ola" does not. Nothing is trimmed, and a match never
// starts or ends inside a character (a letter and its combining marks).
namespace talvoro::history {

// The form both sides are compared in: lower-cased, NFC, UTF-8.
QByteArray foldForSearch(const QString &text);

// Whether `folded` contains `foldedQuery` at character boundaries; an empty
// query matches everything.
bool containsFolded(std::string_view folded, std::string_view foldedQuery);
// The byte offset of the first such match at or after `from`, -1 when none.
// A narrowed search starts at the previous query's first match: no match of
// the longer query can come before it.
qsizetype findFolded(std::string_view folded, std::string_view foldedQuery, qsizetype from = 0);

// Whether every text that matches `foldedQuery` also matches `foldedPrevious`,
// so a search can narrow the previous matches instead of scanning everything:
// the new query extends the previous one by characters that do not attach to
// its last character.
bool narrowsSearch(std::string_view foldedPrevious, std::string_view foldedQuery);

// `searchText` empty (no characters at all) keeps every record.
bool matchesSearch(const QString &text, const QString &searchText);

// The records that match, in their order.
std::vector<TranscriptionRecord> filterRecords(const std::vector<TranscriptionRecord> &records,
                                               const QString &searchText);

} // namespace talvoro::history

#pragma once

#include "platform/SearchFolding.h"
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

using talvoro::containsFolded;
using talvoro::findFolded;
using talvoro::foldForSearch;
using talvoro::narrowsSearch;

// `searchText` empty (no characters at all) keeps every record.
bool matchesSearch(const QString &text, const QString &searchText);

// The records that match, in their order.
std::vector<TranscriptionRecord> filterRecords(const std::vector<TranscriptionRecord> &records,
                                               const QString &searchText);

} // namespace talvoro::history

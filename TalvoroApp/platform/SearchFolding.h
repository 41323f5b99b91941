#pragma once

#include <QByteArray>
#include <QString>

#include <string_view>

struct sqlite3;

// The text search of the history, in the form the store keeps beside each
// text: both sides lower-cased (locale-independent) and composed (NFC), in
// UTF-8, so "OLÁ" finds "olá" whether the accent was typed composed or
// decomposed, while "ola" does not. Nothing is trimmed, and a match never
// starts or ends inside a character (a letter and its combining marks).
namespace talvoro {

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

// Makes the two SQL functions of the search known to a connection:
// talvoro_fold(text) gives the folded blob, talvoro_contains(folded, query)
// 1 when the folded query matches. Every connection of the store has them
// (its triggers keep the folded copies with them).
int registerSearchFunctions(sqlite3 *db);

} // namespace talvoro

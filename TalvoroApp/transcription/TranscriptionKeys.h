#pragma once

#include "platform/ModelStoreTypes.h"
#include "transcription/TranscriptionRecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QUuid>

#include <expected>
#include <optional>
#include <vector>

class SqliteDatabase;

// What a long list holds of a transcription: its place in the newest-first
// order, tens of bytes. Texts are read for the rows on screen only.
struct TranscriptionKey
{
    QUuid id;
    // Invalid: none (such rows come last). With its fraction of a millisecond:
    // a page that starts after a key must not skip rows of the same millisecond.
    talvoro::ModelDate createdAt;

    bool operator==(const TranscriptionKey &) const = default;
};

// The store's order: newest first, then by id, rows without a date last.
bool keyPrecedes(const TranscriptionKey &a, const TranscriptionKey &b);
TranscriptionKey transcriptionKey(const TranscriptionRecord &record);

struct TranscriptionKeyPage
{
    std::vector<TranscriptionKey> keys;   // the rows read (those that match, with a query)
    std::optional<TranscriptionKey> last; // the last row looked at: the next page starts after it
    bool complete = false;                // nothing follows `last`
};

// Up to `limit` rows of the newest-first order after `after` (from the first
// when nullopt), read as keys on the (createdAt, id) index: a page costs the
// same at any depth, and without a query the table itself is not read. With
// `foldedQuery` (platform/SearchFolding) only rows whose stored folded text
// matches are kept; `limit` still counts every row looked at, so a page of a
// rare search takes no longer than any other.
std::expected<TranscriptionKeyPage, StoreError> readTranscriptionKeys(SqliteDatabase &db,
                                                                      const std::optional<TranscriptionKey> &after,
                                                                      qsizetype limit,
                                                                      const QByteArray &foldedQuery = {});

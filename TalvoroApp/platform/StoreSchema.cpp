#include "platform/StoreSchema.h"

namespace talvoro::store {

#define NANOSECONDS(column) \
    "CASE WHEN " column " BETWEEN -9200000000000 AND 9200000000000 THEN " column " * 1000000 END"

const QStringList &schemaMigrations()
{
    // Ids are canonical upper-case UUID text; dates are integers (version 1:
    // milliseconds since 1970, UTC; from version 2: nanoseconds, see
    // ModelDate::storeValue), NULL for none; flags are 0/1.
    static const QStringList migrations{
        QStringLiteral(
            "CREATE TABLE transcriptions ("
            " id TEXT PRIMARY KEY NOT NULL,"
            " text TEXT NOT NULL DEFAULT '',"
            " createdAt INTEGER,"
            " wordCount INTEGER NOT NULL DEFAULT 0,"
            " durationSeconds REAL,"
            " language TEXT NOT NULL DEFAULT 'auto');"
            "CREATE INDEX transcriptions_createdAt ON transcriptions (createdAt DESC, id ASC);"
            "CREATE TABLE replacementRules ("
            " id TEXT PRIMARY KEY NOT NULL,"
            " originalText TEXT NOT NULL DEFAULT '',"
            " replacementText TEXT NOT NULL DEFAULT '',"
            " isEnabled INTEGER NOT NULL DEFAULT 1,"
            " useCount INTEGER NOT NULL DEFAULT 0,"
            " createdAt INTEGER,"
            " updatedAt INTEGER);"
            "CREATE INDEX replacementRules_createdAt ON replacementRules (createdAt DESC, id ASC);"
            "CREATE TABLE dictionaryEntries ("
            " id TEXT PRIMARY KEY NOT NULL,"
            " term TEXT NOT NULL DEFAULT '',"
            " language TEXT NOT NULL DEFAULT '',"
            " source TEXT NOT NULL DEFAULT '',"
            " useCount INTEGER NOT NULL DEFAULT 0,"
            " lastUsedAt INTEGER,"
            " createdAt INTEGER,"
            " updatedAt INTEGER);"),
        // Dates in nanoseconds, so a time the account sent with a fraction of
        // a millisecond is kept as it came. A date past what nanoseconds hold
        // (beyond 1677 to 2262) becomes NULL, as an invalid one is.
        QStringLiteral(
            "UPDATE transcriptions SET createdAt = " NANOSECONDS("createdAt") ";"
            "UPDATE replacementRules SET createdAt = " NANOSECONDS("createdAt") ","
            " updatedAt = " NANOSECONDS("updatedAt") ";"
            "UPDATE dictionaryEntries SET lastUsedAt = " NANOSECONDS("lastUsedAt") ","
            " createdAt = " NANOSECONDS("createdAt") ", updatedAt = " NANOSECONDS("updatedAt") ";"),
        // Each text's folded form (platform/SearchFolding) kept beside it, so
        // that a search reads the store instead of a copy of every text in
        // memory. The store's own inserts write it with the row; the triggers
        // keep it for any other write of a text (an insert without it, an
        // edit).
        QStringLiteral(
            "ALTER TABLE transcriptions ADD COLUMN searchText BLOB;"
            "UPDATE transcriptions SET searchText = talvoro_fold(text);"
            "CREATE TRIGGER transcriptions_searchText_insert AFTER INSERT ON transcriptions"
            " WHEN NEW.searchText IS NULL BEGIN"
            " UPDATE transcriptions SET searchText = talvoro_fold(NEW.text) WHERE rowid = NEW.rowid; END;"
            "CREATE TRIGGER transcriptions_searchText_update AFTER UPDATE OF text ON transcriptions BEGIN"
            " UPDATE transcriptions SET searchText = talvoro_fold(NEW.text) WHERE rowid = NEW.rowid; END;"),
    };
    return migrations;
}

#undef NANOSECONDS

} // namespace talvoro::store

#include "transcription/TranscriptionKeys.h"

#include "platform/ModelStoreEngine.h"
#include "platform/SqliteDatabase.h"

#include <sqlite3.h>

bool keyPrecedes(const TranscriptionKey &a, const TranscriptionKey &b)
{
    if (const int dates = talvoro::compareDates(a.createdAt, b.createdAt); dates != 0)
        return dates > 0;
    return talvoro::compareIds(a.id, b.id) < 0;
}

TranscriptionKey transcriptionKey(const TranscriptionRecord &record)
{
    return {record.id, record.createdAt};
}

namespace {

enum class Segment { fromStart, datedAfter, undated, undatedAfter };

// Dates are bound through the statement's conversion (?1), never written
// into the SQL; the order is the index's, so no sort is needed.
QString pageSql(Segment segment, bool search)
{
    QString sql = search ? QStringLiteral("SELECT id, createdAt, talvoro_contains(searchText, ?3) FROM transcriptions")
                         : QStringLiteral("SELECT id, createdAt FROM transcriptions");
    switch (segment) {
    case Segment::fromStart:
        break;
    case Segment::datedAfter:
        // One range on the index; the OR only sorts out rows of the same time.
        sql += QStringLiteral(" WHERE createdAt <= ?1 AND (createdAt < ?1 OR id > ?2)");
        break;
    case Segment::undated:
        sql += QStringLiteral(" WHERE createdAt IS NULL");
        break;
    case Segment::undatedAfter:
        sql += QStringLiteral(" WHERE createdAt IS NULL AND id > ?2");
        break;
    }
    return sql + QStringLiteral(" ORDER BY createdAt DESC, id ASC LIMIT ?4");
}

} // namespace

std::expected<TranscriptionKeyPage, StoreError> readTranscriptionKeys(SqliteDatabase &db,
                                                                      const std::optional<TranscriptionKey> &after,
                                                                      qsizetype limit, const QByteArray &foldedQuery)
{
    TranscriptionKeyPage page;
    const bool search = !foldedQuery.isEmpty();
    qsizetype remaining = std::max<qsizetype>(limit, 1);
    // Rows read from one segment; an error ends the page.
    const auto read = [&](Segment segment) -> std::expected<qsizetype, StoreError> {
        int rc = SQLITE_OK;
        SqliteStatement *statement = db.cached(pageSql(segment, search), &rc);
        if (!statement)
            return std::unexpected(talvoro::store::databaseError(db, rc, "prepare key page"));
        if (segment == Segment::datedAfter)
            statement->bindDate(1, after->createdAt);
        if (segment == Segment::datedAfter || segment == Segment::undatedAfter)
            statement->bindUuid(2, after->id);
        if (search)
            sqlite3_bind_blob64(statement->handle(), 3, foldedQuery.constData(), sqlite3_uint64(foldedQuery.size()),
                                SQLITE_STATIC);
        statement->bindInt64(4, remaining);
        qsizetype count = 0;
        while ((rc = statement->step()) == SQLITE_ROW) {
            TranscriptionKey key{statement->columnUuid(0), statement->columnDate(1)};
            if (!search || statement->columnInt64(2) != 0)
                page.keys.push_back(key);
            page.last = std::move(key);
            ++count;
        }
        statement->reset();
        if (rc != SQLITE_DONE)
            return std::unexpected(talvoro::store::databaseError(db, rc, "key page"));
        remaining -= count;
        return count;
    };
    Segment first = Segment::fromStart;
    if (after)
        first = after->createdAt.isValid() ? Segment::datedAfter : Segment::undatedAfter;
    auto rows = read(first);
    if (!rows)
        return std::unexpected(rows.error());
    // The rows without a date follow the dated ones.
    if (first == Segment::datedAfter && remaining > 0) {
        rows = read(Segment::undated);
        if (!rows)
            return std::unexpected(rows.error());
    }
    page.complete = remaining > 0;
    return page;
}

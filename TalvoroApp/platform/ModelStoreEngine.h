#pragma once

#include "platform/ModelStoreTypes.h"
#include "platform/SqliteDatabase.h"

#include <sqlite3.h>

#include <algorithm>
#include <expected>

// The SQL of the model store, written once for every model through its
// ModelTraits. Callers (AppModelContainer, ModelContext, LiveQuery) own the
// transactions; these functions only run statements.
namespace talvoro::store {

StoreError databaseError(const SqliteDatabase &db, int code, const char *what);

template<class T>
const QString &columnList()
{
    static const QString columns = []() -> QString {
        QStringList names;
        for (int f = 0; f < ModelTraits<T>::fieldCount; ++f)
            names << QString::fromLatin1(ModelTraits<T>::column(static_cast<typename ModelTraits<T>::Field>(f)));
        return names.join(QStringLiteral(", "));
    }();
    return columns;
}

template<class T>
bool sortsInSql(const FetchDescriptor<T> &descriptor)
{
    return std::all_of(descriptor.sortBy.begin(), descriptor.sortBy.end(),
                       [](const SortDescriptor<T> &sort) { return ModelTraits<T>::sortsInSql(sort.field); });
}

template<class T>
void sortModels(std::vector<T> &models, const std::vector<SortDescriptor<T>> &sortBy)
{
    std::sort(models.begin(), models.end(),
              [&sortBy](const T &a, const T &b) { return compareModels(sortBy, a, b) < 0; });
}

// Rows of the table in the descriptor's order. With `filter` false the
// predicate and the limit are left to the caller (a context overlaying its
// unsaved changes needs every row).
template<class T>
std::expected<std::vector<T>, StoreError> fetchRows(SqliteDatabase &db, const FetchDescriptor<T> &descriptor,
                                                    bool filter = true)
{
    using Traits = ModelTraits<T>;
    const bool inSql = sortsInSql(descriptor);
    QString sql = QStringLiteral("SELECT ") + columnList<T>() + QStringLiteral(" FROM ")
        + QLatin1String(Traits::table);
    if (filter && !descriptor.sqlCondition.isEmpty())
        sql += QStringLiteral(" WHERE ") + descriptor.sqlCondition;
    if (inSql) {
        sql += QStringLiteral(" ORDER BY ");
        for (const SortDescriptor<T> &sort : descriptor.sortBy) {
            sql += QLatin1String(Traits::column(sort.field))
                + (sort.order == SortOrder::forward ? QStringLiteral(" ASC, ") : QStringLiteral(" DESC, "));
        }
        sql += QStringLiteral("id ASC");
    }
    int rc = SQLITE_OK;
    SqliteStatement *statement = db.cached(sql, &rc);
    if (!statement)
        return std::unexpected(databaseError(db, rc, "prepare fetch"));
    if (filter && !descriptor.sqlCondition.isEmpty() && descriptor.bindCondition)
        descriptor.bindCondition(*statement);

    const bool limitWhileReading = filter && inSql && descriptor.fetchLimit;
    std::vector<T> rows;
    while ((rc = statement->step()) == SQLITE_ROW) {
        T model = Traits::read(*statement);
        if (filter && !descriptor.matches(model))
            continue;
        rows.push_back(std::move(model));
        if (limitWhileReading && qsizetype(rows.size()) >= *descriptor.fetchLimit)
            break;
    }
    const bool failed = rc != SQLITE_ROW && rc != SQLITE_DONE;
    statement->reset();
    if (failed)
        return std::unexpected(databaseError(db, rc, "fetch"));
    if (!inSql)
        sortModels(rows, descriptor.sortBy);
    if (filter && descriptor.fetchLimit && qsizetype(rows.size()) > *descriptor.fetchLimit)
        rows.resize(static_cast<size_t>(std::max<qsizetype>(0, *descriptor.fetchLimit)));
    return rows;
}

template<class T>
std::expected<std::optional<T>, StoreError> fetchRow(SqliteDatabase &db, const QUuid &id)
{
    static const QString sql = QStringLiteral("SELECT ") + columnList<T>() + QStringLiteral(" FROM ")
        + QLatin1String(ModelTraits<T>::table) + QStringLiteral(" WHERE id = ?1");
    int rc = SQLITE_OK;
    SqliteStatement *statement = db.cached(sql, &rc);
    if (!statement)
        return std::unexpected(databaseError(db, rc, "prepare fetch by id"));
    statement->bindUuid(1, id);
    rc = statement->step();
    std::optional<T> result;
    if (rc == SQLITE_ROW)
        result = ModelTraits<T>::read(*statement);
    statement->reset();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        return std::unexpected(databaseError(db, rc, "fetch by id"));
    return result;
}

// Runs a cached statement once with every field of the model bound in
// order (?1 is the id).
template<class T>
std::expected<void, StoreError> stepWithEveryField(SqliteDatabase &db, const QString &sql, const T &model,
                                                   const char *preparing, const char *stepping)
{
    using Traits = ModelTraits<T>;
    int rc = SQLITE_OK;
    SqliteStatement *statement = db.cached(sql, &rc);
    if (!statement)
        return std::unexpected(databaseError(db, rc, preparing));
    for (int f = 0; f < Traits::fieldCount; ++f)
        Traits::bind(*statement, f + 1, model, static_cast<typename Traits::Field>(f));
    rc = statement->step();
    statement->reset();
    if (rc != SQLITE_DONE)
        return std::unexpected(databaseError(db, rc, stepping));
    return {};
}

// Inserts the record unless a row with its id exists (which stays as it
// is). True when the row is new.
template<class T>
std::expected<bool, StoreError> insertRowIfMissing(SqliteDatabase &db, const T &model)
{
    using Traits = ModelTraits<T>;
    static const QString sql = []() -> QString {
        QStringList placeholders;
        for (int f = 0; f < Traits::fieldCount; ++f)
            placeholders << QStringLiteral("?%1").arg(f + 1);
        QString columns = columnList<T>();
        if constexpr (requires { Traits::Schema::derived; }) {
            constexpr auto derived = Traits::Schema::derived;
            columns += QStringLiteral(", ") + QLatin1String(derived.column);
            placeholders << QLatin1String(derived.function)
                    + QStringLiteral("(?%1)").arg(static_cast<int>(derived.argument) + 1);
        }
        return QStringLiteral("INSERT INTO ") + QLatin1String(Traits::table) + QStringLiteral(" (") + columns
            + QStringLiteral(") VALUES (") + placeholders.join(QStringLiteral(", "))
            + QStringLiteral(") ON CONFLICT(id) DO NOTHING");
    }();
    if (auto done = stepWithEveryField(db, sql, model, "prepare insert", "insert"); !done)
        return std::unexpected(done.error());
    return db.changes() > 0;
}

// Inserts the record, or replaces every field of the row with its id.
// True when the row is new (live counts follow commits by this).
template<class T>
std::expected<bool, StoreError> upsertRow(SqliteDatabase &db, const T &model)
{
    using Traits = ModelTraits<T>;
    static const QString replaceSql = []() -> QString {
        QStringList assignments;
        for (int f = 1; f < Traits::fieldCount; ++f) {
            assignments << QLatin1String(Traits::column(static_cast<typename Traits::Field>(f)))
                    + QStringLiteral(" = ?%1").arg(f + 1);
        }
        return QStringLiteral("UPDATE ") + QLatin1String(Traits::table) + QStringLiteral(" SET ")
            + assignments.join(QStringLiteral(", ")) + QStringLiteral(" WHERE id = ?1");
    }();
    auto inserted = insertRowIfMissing(db, model);
    if (!inserted || *inserted)
        return inserted;
    if (auto done = stepWithEveryField(db, replaceSql, model, "prepare upsert", "upsert"); !done)
        return std::unexpected(done.error());
    return false;
}

// Writes the fields in `fieldMask` (bit n = field n) of an existing row and
// returns the whole row as it now stands; nullopt when the row is gone.
template<class T>
std::expected<std::optional<T>, StoreError> updateRow(SqliteDatabase &db, const T &model, quint64 fieldMask)
{
    using Traits = ModelTraits<T>;
    QStringList assignments;
    std::vector<int> fields;
    for (int f = 1; f < Traits::fieldCount; ++f) {
        if (fieldMask & (quint64(1) << f)) {
            fields.push_back(f);
            assignments << QLatin1String(Traits::column(static_cast<typename Traits::Field>(f)))
                    + QStringLiteral(" = ?") + QString::number(fields.size() + 1);
        }
    }
    if (fields.empty())
        return fetchRow<T>(db, Traits::id(model));
    const QString sql = QStringLiteral("UPDATE ") + QLatin1String(Traits::table) + QStringLiteral(" SET ")
        + assignments.join(QStringLiteral(", ")) + QStringLiteral(" WHERE id = ?1 RETURNING ") + columnList<T>();
    int rc = SQLITE_OK;
    SqliteStatement *statement = db.cached(sql, &rc);
    if (!statement)
        return std::unexpected(databaseError(db, rc, "prepare update"));
    statement->bindUuid(1, Traits::id(model));
    for (size_t i = 0; i < fields.size(); ++i)
        Traits::bind(*statement, int(i) + 2, model, static_cast<typename Traits::Field>(fields[i]));
    std::optional<T> result;
    rc = statement->step();
    if (rc == SQLITE_ROW) {
        result = Traits::read(*statement);
        rc = statement->step();
    }
    statement->reset();
    if (rc != SQLITE_DONE)
        return std::unexpected(databaseError(db, rc, "update"));
    return result;
}

// True when a row was deleted.
template<class T>
std::expected<bool, StoreError> deleteRow(SqliteDatabase &db, const QUuid &id)
{
    static const QString sql =
        QStringLiteral("DELETE FROM ") + QLatin1String(ModelTraits<T>::table) + QStringLiteral(" WHERE id = ?1");
    int rc = SQLITE_OK;
    SqliteStatement *statement = db.cached(sql, &rc);
    if (!statement)
        return std::unexpected(databaseError(db, rc, "prepare delete"));
    statement->bindUuid(1, id);
    rc = statement->step();
    statement->reset();
    if (rc != SQLITE_DONE)
        return std::unexpected(databaseError(db, rc, "delete"));
    return db.changes() > 0;
}

template<class T>
std::expected<void, StoreError> deleteAllRows(SqliteDatabase &db)
{
    const int rc = db.exec(QStringLiteral("DELETE FROM ") + QLatin1String(ModelTraits<T>::table));
    if (rc != SQLITE_OK)
        return std::unexpected(databaseError(db, rc, "delete all"));
    return {};
}

// Rows of the table, or those meeting an SQL condition.
template<class T>
std::expected<qsizetype, StoreError> countRows(SqliteDatabase &db, const QString &condition = {})
{
    int rc = SQLITE_OK;
    QString sql = QStringLiteral("SELECT count(*) FROM ") + QLatin1String(ModelTraits<T>::table);
    if (!condition.isEmpty())
        sql += QStringLiteral(" WHERE ") + condition;
    const QString text = db.queryText(sql, &rc);
    if (rc != SQLITE_OK)
        return std::unexpected(databaseError(db, rc, "count"));
    return text.toLongLong();
}

} // namespace talvoro::store

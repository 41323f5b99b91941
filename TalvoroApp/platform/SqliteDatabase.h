#pragma once

#include "platform/ModelValues.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// A thin layer over the SQLite C API for the model store: one connection,
// prepared statements cached by their SQL, and the column conversions the
// models use (ids as canonical upper-case text, dates as integer
// milliseconds since 1970 in UTC, NULL for an invalid date).
// Used from the main thread only.
class SqliteStatement
{
public:
    explicit SqliteStatement(sqlite3_stmt *statement);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    // Parameters are 1-based, as in SQLite.
    void bindNull(int index);
    void bindInt64(int index, qint64 value);
    void bindDouble(int index, double value);
    void bindText(int index, const QString &value);
    void bindUuid(int index, const QUuid &value);
    // A date as the store keeps it (ModelDate::storeValue); NULL when invalid.
    void bindDate(int index, const talvoro::ModelDate &value);
    void bindBool(int index, bool value) { bindInt64(index, value ? 1 : 0); }

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    // Makes the statement ready for the next use and drops bound values.
    void reset();

    // Columns are 0-based, as in SQLite. NULL reads as the type's empty value
    // (an invalid date, a null id, an empty text, 0).
    bool isNull(int column) const;
    qint64 columnInt64(int column) const;
    double columnDouble(int column) const;
    bool columnBool(int column) const { return columnInt64(column) != 0; }
    QString columnText(int column) const;
    QUuid columnUuid(int column) const;
    talvoro::ModelDate columnDate(int column) const;

    sqlite3_stmt *handle() const { return m_statement; }

private:
    sqlite3_stmt *m_statement;
    // Text bound without a copy inside SQLite must outlive the step.
    std::vector<QByteArray> m_boundText;
};

class SqliteDatabase
{
public:
    SqliteDatabase() = default;
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase &) = delete;
    SqliteDatabase &operator=(const SqliteDatabase &) = delete;

    // Opens (creating when missing) a database file, or ":memory:".
    // Returns the SQLite result code; the connection stays closed on failure.
    int open(const QString &path);
    void close();
    bool isOpen() const { return m_db != nullptr; }

    // Runs one or more statements that return no rows of interest.
    int exec(const QString &sql);
    // The first column of the first row of a query, as text (empty when none).
    QString queryText(const QString &sql, int *resultCode = nullptr);

    // A statement prepared once and kept for the connection's life; reset
    // before it is handed out. Null when the SQL does not compile.
    SqliteStatement *cached(const QString &sql, int *resultCode = nullptr);

    // Told of every failure a store operation reports (through
    // talvoro::store::databaseError), so corruption found late is handled.
    void setFailureObserver(std::function<void(int code)> observer) { m_failureObserver = std::move(observer); }
    void reportFailure(int code) const
    {
        if (m_failureObserver)
            m_failureObserver(code);
    }

    QString errorMessage() const;
    int extendedErrorCode() const;
    int changes() const;
    bool isReadOnly() const;
    sqlite3 *handle() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
    QHash<QString, std::shared_ptr<SqliteStatement>> m_statements;
    std::function<void(int)> m_failureObserver;
};

namespace talvoro {
// The primary result code of an extended SQLite code.
inline int primaryResultCode(int code) { return code & 0xff; }
// Whether a result code says the file is not a usable database (as opposed to
// busy, locked or out of memory, which say nothing about the file).
bool isDamagedFileCode(int code);
} // namespace talvoro

#include "platform/SqliteDatabase.h"

#include "platform/ModelValues.h"
#include "platform/SearchFolding.h"

#include <sqlite3.h>

SqliteStatement::SqliteStatement(sqlite3_stmt *statement)
    : m_statement(statement)
{
    m_boundText.resize(static_cast<size_t>(sqlite3_bind_parameter_count(statement)) + 1);
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_statement);
}

void SqliteStatement::bindNull(int index)
{
    sqlite3_bind_null(m_statement, index);
}

void SqliteStatement::bindInt64(int index, qint64 value)
{
    sqlite3_bind_int64(m_statement, index, value);
}

void SqliteStatement::bindDouble(int index, double value)
{
    // SQLite stores NaN as NULL; an infinity is stored as it is.
    sqlite3_bind_double(m_statement, index, value);
}

void SqliteStatement::bindText(int index, const QString &value)
{
    if (index <= 0 || static_cast<size_t>(index) >= m_boundText.size())
        return;
    QByteArray &slot = m_boundText[static_cast<size_t>(index)];
    slot = value.toUtf8();
    sqlite3_bind_text(m_statement, index, slot.constData(), static_cast<int>(slot.size()), SQLITE_STATIC);
}

void SqliteStatement::bindUuid(int index, const QUuid &value)
{
    bindText(index, talvoro::uuidString(value));
}

void SqliteStatement::bindDate(int index, const talvoro::ModelDate &value)
{
    if (const auto stored = value.storeValue())
        sqlite3_bind_int64(m_statement, index, *stored);
    else
        sqlite3_bind_null(m_statement, index);
}

int SqliteStatement::step()
{
    return sqlite3_step(m_statement);
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
    for (QByteArray &text : m_boundText)
        text.clear();
}

bool SqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

qint64 SqliteStatement::columnInt64(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

double SqliteStatement::columnDouble(int column) const
{
    if (isNull(column))
        return 0.0;
    return sqlite3_column_double(m_statement, column);
}

QString SqliteStatement::columnText(int column) const
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    if (!text)
        return {};
    return QString::fromUtf8(text, sqlite3_column_bytes(m_statement, column));
}

QUuid SqliteStatement::columnUuid(int column) const
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    if (!text)
        return {};
    return QUuid::fromString(QLatin1StringView(text, sqlite3_column_bytes(m_statement, column)));
}

talvoro::ModelDate SqliteStatement::columnDate(int column) const
{
    if (isNull(column))
        return {};
    return talvoro::ModelDate::fromStoreValue(sqlite3_column_int64(m_statement, column));
}

SqliteDatabase::~SqliteDatabase()
{
    close();
}

int SqliteDatabase::open(const QString &path)
{
    close();
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(db);
        return rc;
    }
    sqlite3_extended_result_codes(db, 1);
    // The store's triggers call them: every connection that writes needs them.
    talvoro::registerSearchFunctions(db);
    m_db = db;
    return SQLITE_OK;
}

void SqliteDatabase::close()
{
    m_statements.clear();
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

int SqliteDatabase::exec(const QString &sql)
{
    if (!m_db)
        return SQLITE_MISUSE;
    return sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
}

QString SqliteDatabase::queryText(const QString &sql, int *resultCode)
{
    QString result;
    int rc = SQLITE_MISUSE;
    if (m_db) {
        sqlite3_stmt *statement = nullptr;
        rc = sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr);
        if (rc == SQLITE_OK) {
            rc = sqlite3_step(statement);
            if (rc == SQLITE_ROW) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, 0));
                if (text)
                    result = QString::fromUtf8(text, sqlite3_column_bytes(statement, 0));
                rc = SQLITE_OK;
            } else if (rc == SQLITE_DONE) {
                rc = SQLITE_OK;
            }
        }
        sqlite3_finalize(statement);
    }
    if (resultCode)
        *resultCode = rc;
    return result;
}

SqliteStatement *SqliteDatabase::cached(const QString &sql, int *resultCode)
{
    if (resultCode)
        *resultCode = SQLITE_OK;
    if (!m_db) {
        if (resultCode)
            *resultCode = SQLITE_MISUSE;
        return nullptr;
    }
    if (auto it = m_statements.constFind(sql); it != m_statements.constEnd()) {
        it.value()->reset();
        return it.value().get();
    }
    sqlite3_stmt *statement = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v3(m_db, utf8.constData(), static_cast<int>(utf8.size()),
                                      SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
    if (rc != SQLITE_OK || !statement) {
        sqlite3_finalize(statement);
        if (resultCode)
            *resultCode = rc == SQLITE_OK ? SQLITE_ERROR : rc;
        return nullptr;
    }
    auto wrapper = std::make_shared<SqliteStatement>(statement);
    m_statements.insert(sql, wrapper);
    return wrapper.get();
}

QString SqliteDatabase::errorMessage() const
{
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("database not open");
}

int SqliteDatabase::extendedErrorCode() const
{
    return m_db ? sqlite3_extended_errcode(m_db) : SQLITE_MISUSE;
}

int SqliteDatabase::changes() const
{
    return m_db ? sqlite3_changes(m_db) : 0;
}

bool SqliteDatabase::isReadOnly() const
{
    return m_db && sqlite3_db_readonly(m_db, "main") == 1;
}

namespace talvoro {

bool isDamagedFileCode(int code)
{
    switch (primaryResultCode(code)) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_READONLY:
        return true;
    default:
        return false;
    }
}

} // namespace talvoro

#include "platform/AppModelContainer.h"

#include "platform/AppPaths.h"
#include "platform/ModelContext.h"
#include "platform/StoreSchema.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

Q_LOGGING_CATEGORY(lcModelStore, "com.torvenak.talvoro-mac.ModelStore")

namespace {

std::unique_ptr<AppModelContainer> &sharedInstance()
{
    static std::unique_ptr<AppModelContainer> instance;
    return instance;
}

const QString kInMemory = QStringLiteral(":memory:");

} // namespace

namespace talvoro::store {

StoreError databaseError(const SqliteDatabase &db, int code, const char *what)
{
    const QString detail = db.isOpen() ? db.errorMessage() : QString::fromUtf8(sqlite3_errstr(code));
    return {StoreError::Kind::Database, code, QLatin1String(what) + QStringLiteral(": ") + detail};
}

} // namespace talvoro::store

QString StoreError::errorDescription() const
{
    switch (kind) {
    case Kind::NotFound:
        return message.isEmpty() ? QStringLiteral("record not found") : message;
    case Kind::Unavailable:
        return QStringLiteral("store unavailable");
    case Kind::Misuse:
        return QStringLiteral("store misuse: ") + message;
    case Kind::Database:
        break;
    }
    return QStringLiteral("store error %1: %2").arg(sqliteCode).arg(message);
}

AppModelContainer::AppModelContainer(const QString &filePath, QObject *parent)
    : QObject(parent)
    , m_filePath(filePath)
{
    QString failure;
    int code = SQLITE_OK;
    if (openAt(filePath, &failure, &code)) {
        m_persistent = true;
        return;
    }
    m_db.close();
    if (QFileInfo::exists(filePath) && talvoro::isDamagedFileCode(code)) {
        const QString aside = moveAside(filePath);
        if (aside.isEmpty()) {
            qCCritical(lcModelStore).noquote()
                << "Store file" << filePath << "is unreadable (" << failure << ") and could not be moved aside";
        } else {
            m_setAsidePath = aside;
            qCCritical(lcModelStore).noquote() << "Store file" << filePath << "is unreadable (" << failure
                                               << "); kept it as" << aside << "and started a fresh store";
            QString freshFailure;
            if (openAt(filePath, &freshFailure, &code)) {
                m_persistent = true;
                return;
            }
            failure = freshFailure;
            m_db.close();
        }
    }
    qCCritical(lcModelStore).noquote() << "Store file" << filePath << "cannot be used (" << failure
                                       << "); keeping this session's data in memory only";
    QString memoryFailure;
    if (!openAt(kInMemory, &memoryFailure, &code)) {
        qCCritical(lcModelStore).noquote() << "In-memory store failed:" << memoryFailure;
        m_db.close();
    }
}

AppModelContainer::~AppModelContainer()
{
    // The main context saves what it still holds while the database is open.
    m_mainContext.reset();
}

AppModelContainer &AppModelContainer::shared()
{
    auto &instance = sharedInstance();
    if (!instance) {
        instance = std::make_unique<AppModelContainer>(
            QDir(AppPaths::dataDir()).filePath(QString::fromLatin1(kStoreFileName)));
    }
    return *instance;
}

void AppModelContainer::resetShared(const QString &filePath)
{
    auto &instance = sharedInstance();
    instance.reset();
    instance = std::make_unique<AppModelContainer>(filePath);
}

ModelContext &AppModelContainer::mainContext()
{
    if (!m_mainContext)
        m_mainContext = std::make_unique<ModelContext>(*this);
    return *m_mainContext;
}

std::unique_ptr<ModelContext> AppModelContainer::makeContext()
{
    return std::make_unique<ModelContext>(*this);
}

std::expected<void, StoreError> AppModelContainer::write(const WriteBody &body)
{
    if (!m_db.isOpen())
        return std::unexpected(unavailable());
    if (m_inTransaction)
        return std::unexpected(StoreError{StoreError::Kind::Misuse, 0, QStringLiteral("nested write")});
    int rc = m_db.exec(QStringLiteral("BEGIN IMMEDIATE"));
    if (rc != SQLITE_OK)
        return std::unexpected(talvoro::store::databaseError(m_db, rc, "begin"));
    m_inTransaction = true;
    StoreChangeSet changes;
    auto result = body(m_db, changes);
    if (result) {
        rc = m_db.exec(QStringLiteral("COMMIT"));
        if (rc != SQLITE_OK)
            result = std::unexpected(talvoro::store::databaseError(m_db, rc, "commit"));
    }
    if (!result)
        m_db.exec(QStringLiteral("ROLLBACK"));
    m_inTransaction = false;
    if (!result) {
        qCWarning(lcModelStore).noquote() << "Store write failed:" << result.error().errorDescription();
        return result;
    }
    if (!changes.isEmpty())
        Q_EMIT didCommit(changes);
    return {};
}

bool AppModelContainer::openAt(const QString &path, QString *failure, int *failureCode)
{
    const auto fail = [&](int code, const QString &what) {
        *failureCode = code;
        *failure = what + QStringLiteral(": ")
            + (m_db.isOpen() ? m_db.errorMessage() : QString::fromUtf8(sqlite3_errstr(code)));
        return false;
    };
    if (path != kInMemory)
        QDir().mkpath(QFileInfo(path).absolutePath());
    int rc = m_db.open(path);
    if (rc != SQLITE_OK)
        return fail(rc, QStringLiteral("open"));
    sqlite3_busy_timeout(m_db.handle(), 5000);

    // The first statement that reads the file: garbage fails here (NOTADB).
    const QString mode = m_db.queryText(QStringLiteral("PRAGMA journal_mode = WAL"), &rc);
    if (rc != SQLITE_OK)
        return fail(rc, QStringLiteral("journal mode"));
    if (path != kInMemory && mode.compare(QStringLiteral("wal"), Qt::CaseInsensitive) != 0)
        qCWarning(lcModelStore).noquote() << "Store journal mode is" << mode << "instead of wal";
    m_db.exec(QStringLiteral("PRAGMA synchronous = NORMAL"));

    // Damage inside pages only shows when they are read: check them once.
    const QString check = m_db.queryText(QStringLiteral("PRAGMA quick_check(1)"), &rc);
    if (rc != SQLITE_OK)
        return fail(rc, QStringLiteral("integrity check"));
    if (check != QStringLiteral("ok")) {
        *failureCode = SQLITE_CORRUPT;
        *failure = QStringLiteral("integrity check: ") + check;
        return false;
    }
    if (m_db.isReadOnly())
        return fail(SQLITE_READONLY, QStringLiteral("read-only file"));
    return migrate(failure, failureCode);
}

bool AppModelContainer::migrate(QString *failure, int *failureCode)
{
    int rc = SQLITE_OK;
    const int version = m_db.queryText(QStringLiteral("PRAGMA user_version"), &rc).toInt();
    if (rc != SQLITE_OK) {
        *failureCode = rc;
        *failure = QStringLiteral("schema version: ") + m_db.errorMessage();
        return false;
    }
    const QStringList &migrations = talvoro::store::schemaMigrations();
    if (version < 0) {
        // Never written by any build: the header is damaged.
        *failureCode = SQLITE_CORRUPT;
        *failure = QStringLiteral("schema version %1 is not valid").arg(version);
        return false;
    }
    if (version > migrations.size()) {
        // Written by a newer build: its tables are a superset of ours.
        qCWarning(lcModelStore) << "Store schema version" << version << "is newer than" << migrations.size();
        return true;
    }
    for (int target = version + 1; target <= migrations.size(); ++target) {
        rc = m_db.exec(QStringLiteral("BEGIN IMMEDIATE"));
        if (rc == SQLITE_OK)
            rc = m_db.exec(migrations.at(target - 1));
        if (rc == SQLITE_OK)
            rc = m_db.exec(QStringLiteral("PRAGMA user_version = %1").arg(target));
        if (rc == SQLITE_OK)
            rc = m_db.exec(QStringLiteral("COMMIT"));
        if (rc != SQLITE_OK) {
            *failureCode = m_db.extendedErrorCode();
            *failure = QStringLiteral("migration to version %1: %2").arg(target).arg(m_db.errorMessage());
            m_db.exec(QStringLiteral("ROLLBACK"));
            return false;
        }
        qCInfo(lcModelStore) << "Store schema migrated to version" << target;
    }
    return true;
}

QString AppModelContainer::moveAside(const QString &path)
{
    m_db.close();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path + QStringLiteral(".broken-") + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = path + QStringLiteral(".broken-") + stamp + QLatin1Char('-') + QString::number(n);
    if (!QFile::rename(path, aside))
        return {};
    // The companions hold committed pages too; they travel with the file.
    for (const QString &suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (QFileInfo::exists(path + suffix))
            QFile::rename(path + suffix, aside + suffix);
    }
    return aside;
}

StoreError AppModelContainer::unavailable() const
{
    return {StoreError::Kind::Unavailable, 0, QStringLiteral("no open database")};
}

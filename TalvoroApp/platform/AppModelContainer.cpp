#include "platform/AppModelContainer.h"

#include "platform/AppPaths.h"
#include "platform/DiskSpace.h"
#include "platform/ModelContext.h"
#include "platform/PrivateFiles.h"
#include "platform/SharedInstance.h"
#include "platform/StoreSchema.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFuture>
#include <QPromise>
#include <QThread>

#include <QCoroFuture>

#include <atomic>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcModelStore, "com.torvenak.talvoro-mac.ModelStore")

namespace {

const QString kInMemory = QStringLiteral(":memory:");
constexpr int kBusyTimeoutMs = 5000;
// Log pages after which a checkpoint is due (SQLite's own default).
constexpr int kCheckpointPages = 1000;

} // namespace

namespace talvoro::store {

StoreError databaseError(const SqliteDatabase &db, int code, const char *what)
{
    db.reportFailure(code);
    const QString detail = db.isOpen() ? db.errorMessage() : QString::fromUtf8(sqlite3_errstr(code));
    return {StoreError::Kind::database, code, QLatin1String(what) + QStringLiteral(": ") + detail};
}

QString describeUnusableFile(const QString &path, int code, const QString &failure)
{
    const int primary = talvoro::primaryResultCode(code);
    if (primary != SQLITE_READONLY && primary != SQLITE_PERM && primary != SQLITE_CANTOPEN)
        return failure;
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return failure;
    const uid_t me = ::geteuid();
    QString why = failure;
    if (status.st_uid != me) {
        const QString owner = QFileInfo(path).owner();
        why += QStringLiteral("; owned by %1uid %2, not by this user (uid %3)")
                   .arg(owner.isEmpty() ? QString() : owner + QLatin1Char(' '))
                   .arg(status.st_uid)
                   .arg(me);
    } else if (::access(QFile::encodeName(path).constData(), R_OK | W_OK) != 0) {
        why += QStringLiteral("; this user may not read and write it");
    }
    return why + QStringLiteral("; mode %1").arg(status.st_mode & 07777, 4, 8, QLatin1Char('0'));
}

} // namespace talvoro::store

QString StoreError::errorDescription() const
{
    switch (kind) {
    case Kind::notFound:
        return message.isEmpty() ? QStringLiteral("record not found") : message;
    case Kind::unavailable:
        return QStringLiteral("store unavailable");
    case Kind::misuse:
        return QStringLiteral("store misuse: ") + message;
    case Kind::database:
        break;
    }
    return QStringLiteral("store error %1: %2").arg(sqliteCode).arg(message);
}

// Lives on the writer thread: its connection, opened on first use and
// again when the store file was replaced.
struct AppModelContainer::Writer
{
    SqliteDatabase db;
    quint64 openGeneration = 0;
    std::atomic_bool checkpointRequested = false;
    // Raised by a write that clears a table, under the write lock: a write
    // asked for before it (rows of the account being left) is dropped.
    std::atomic<quint64> clears = 0;

    std::expected<SqliteDatabase *, StoreError> at(const QString &path, quint64 generation)
    {
        if (db.isOpen() && openGeneration == generation)
            return &db;
        db.close();
        const int rc = db.open(path);
        if (rc != SQLITE_OK)
            return std::unexpected(StoreError{StoreError::Kind::database, rc, QStringLiteral("writer open")});
        sqlite3_busy_timeout(db.handle(), kBusyTimeoutMs);
        db.exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
        openGeneration = generation;
        return &db;
    }

    std::expected<StoreChangeSet, StoreError> run(const QString &path, quint64 generation, quint64 clearsBefore,
                                                  const WriteBody &body)
    {
        auto opened = at(path, generation);
        if (!opened)
            return std::unexpected(opened.error());
        SqliteDatabase &connection = **opened;
        int rc = connection.exec(QStringLiteral("BEGIN IMMEDIATE"));
        if (rc != SQLITE_OK)
            return std::unexpected(talvoro::store::databaseError(connection, rc, "begin"));
        StoreChangeSet changes;
        auto result = clears == clearsBefore
            ? body(connection, changes)
            : std::unexpected(StoreError{StoreError::Kind::unavailable, 0, QStringLiteral("the store was cleared meanwhile")});
        if (result) {
            rc = connection.exec(QStringLiteral("COMMIT"));
            if (rc != SQLITE_OK)
                result = std::unexpected(talvoro::store::databaseError(connection, rc, "commit"));
        }
        if (!result) {
            connection.exec(QStringLiteral("ROLLBACK"));
            return std::unexpected(result.error());
        }
        return changes;
    }
};

AppModelContainer::AppModelContainer(const QString &filePath, QObject *parent)
    : QObject(parent)
    , m_filePath(filePath)
{
    // A marker left behind means the last session ended without closing the
    // store (a crash, a kill, a power cut): only then is every page read.
    const bool uncleanShutdown = QFileInfo::exists(markerPath());
    if (uncleanShutdown)
        qCInfo(lcModelStore).noquote() << "Store" << filePath << "was not closed last time; checking the whole file";
    openStore(uncleanShutdown ? Check::full : Check::probe);
    if (m_persistent) {
        talvoro::makePrivateFile(markerPath());
        m_ownsMarker = QFileInfo::exists(markerPath());
        startWriter();
    }
}

void AppModelContainer::startWriter()
{
    if (!m_writerThread) {
        m_writer = std::make_shared<Writer>();
        m_writerThread = new QThread;
        m_writerThread->setObjectName(QStringLiteral("Store writer"));
        m_writerContext = new QObject;
        m_writerContext->moveToThread(m_writerThread);
        m_writerThread->start();
    }
    // The window's connection never checkpoints itself.
    sqlite3_wal_autocheckpoint(m_db.handle(), 0);
    sqlite3_wal_hook(m_db.handle(), &AppModelContainer::walCommitted, this);
}

void AppModelContainer::stopWriter()
{
    if (!m_writerThread)
        return;
    if (m_db.isOpen())
        sqlite3_wal_hook(m_db.handle(), nullptr, nullptr);
    // After the writes already asked for, which finish first.
    QMetaObject::invokeMethod(
        m_writerContext,
        [writer = m_writer] {
            writer->db.close();
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    m_writerThread->wait();
    delete m_writerContext;
    delete m_writerThread;
    m_writerContext = nullptr;
    m_writerThread = nullptr;
    m_writer.reset();
}

int AppModelContainer::walCommitted(void *container, sqlite3 *, const char *, int pages)
{
    if (pages >= kCheckpointPages)
        static_cast<AppModelContainer *>(container)->requestCheckpoint();
    return SQLITE_OK;
}

void AppModelContainer::requestCheckpoint()
{
    if (!m_writerThread || m_writer->checkpointRequested.exchange(true))
        return;
    QMetaObject::invokeMethod(
        m_writerContext,
        [writer = m_writer, path = m_filePath, generation = m_storeGeneration] {
            if (auto db = writer->at(path, generation))
                sqlite3_wal_checkpoint_v2((*db)->handle(), nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
            writer->checkpointRequested = false;
        },
        Qt::QueuedConnection);
}

QCoro::Task<std::expected<void, StoreError>> AppModelContainer::writeOffThread(WriteBody body)
{
    if (!m_writerThread || !m_persistent)
        co_return write(body);
    using Result = std::expected<StoreChangeSet, StoreError>;
    auto promise = std::make_shared<QPromise<Result>>();
    QFuture<Result> future = promise->future();
    promise->start();
    QMetaObject::invokeMethod(
        m_writerContext,
        [writer = m_writer, path = m_filePath, generation = m_storeGeneration, clears = m_writer->clears.load(),
         body = std::move(body), promise] {
            promise->addResult(writer->run(path, generation, clears, body));
            promise->finish();
        },
        Qt::QueuedConnection);
    const QPointer<AppModelContainer> self(this);
    const Result result = co_await future;
    if (!self)
        co_return std::unexpected(StoreError{StoreError::Kind::unavailable, 0, QStringLiteral("container gone")});
    if (!result) {
        qCWarning(lcModelStore).noquote() << "Store write failed:" << result.error().errorDescription();
        co_return std::unexpected(result.error());
    }
    if (!result->isEmpty())
        Q_EMIT self->didCommit(*result);
    co_return {};
}

void AppModelContainer::openStore(Check check)
{
    const QString &filePath = m_filePath;
    m_persistent = false;
    QString failure;
    int code = SQLITE_OK;
    if (openAt(filePath, check, &failure, &code)) {
        m_persistent = true;
        return;
    }
    m_db.close();
    if (QFileInfo::exists(filePath) && talvoro::isDamagedFileCode(code)) {
        const QString why = talvoro::store::describeUnusableFile(filePath, code, failure);
        const QString aside = moveAside(filePath);
        if (aside.isEmpty()) {
            qCCritical(lcModelStore).noquote()
                << "Store file" << filePath << "is unusable (" << why << ") and could not be moved aside";
        } else {
            m_setAsidePath = aside;
            qCCritical(lcModelStore).noquote() << "Store file" << filePath << "is unusable (" << why
                                               << "); kept it as" << aside << "and started a fresh store";
            QString freshFailure;
            if (openAt(filePath, Check::probe, &freshFailure, &code)) {
                m_persistent = true;
                return;
            }
            failure = freshFailure;
            m_db.close();
        }
    }
    qCCritical(lcModelStore).noquote() << "Store file" << filePath << "cannot be used (" << failure
                                       << "); keeping this session's data in memory only";
    if (talvoro::primaryResultCode(code) == SQLITE_FULL || talvoro::lacksSpaceFor(filePath, 0))
        reportLackOfSpace();
    QString memoryFailure;
    if (!openAt(kInMemory, Check::probe, &memoryFailure, &code)) {
        qCCritical(lcModelStore).noquote() << "In-memory store failed:" << memoryFailure;
        m_db.close();
    }
}

AppModelContainer::~AppModelContainer()
{
    // The main context saves what it still holds while the database is open.
    m_mainContext.reset();
    stopWriter();
    m_db.close();
    if (m_ownsMarker)
        QFile::remove(markerPath());
}

AppModelContainer &AppModelContainer::shared()
{
    return SharedInstance<AppModelContainer>::get();
}

QString AppModelContainer::applicationStorePath()
{
    return QDir(AppPaths::dataDir()).filePath(QString::fromLatin1(kStoreFileName));
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
        return std::unexpected(StoreError{StoreError::Kind::misuse, 0, QStringLiteral("nested write")});
    int rc = m_db.exec(QStringLiteral("BEGIN IMMEDIATE"));
    if (rc != SQLITE_OK)
        return std::unexpected(talvoro::store::databaseError(m_db, rc, "begin"));
    m_inTransaction = true;
    StoreChangeSet changes;
    auto result = body(m_db, changes);
    if (result && m_writer && changes.clearsATable())
        ++m_writer->clears;
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

bool AppModelContainer::openAt(const QString &path, Check check, QString *failure, int *failureCode)
{
    const auto fail = [&](int code, const QString &what) {
        *failureCode = code;
        *failure = what + QStringLiteral(": ")
            + (m_db.isOpen() ? m_db.errorMessage() : QString::fromUtf8(sqlite3_errstr(code)));
        return false;
    };
    m_heldAlone = false;
    if (path != kInMemory) {
        talvoro::makePrivateFolder(QFileInfo(path).absolutePath());
        // SQLite gives the WAL and shared-memory files the store's rights.
        talvoro::makePrivateFile(path);
        talvoro::narrowToOwner(path + QStringLiteral("-wal"));
        talvoro::narrowToOwner(path + QStringLiteral("-shm"));
    }
    int rc = m_db.open(path);
    if (rc != SQLITE_OK)
        return fail(rc, QStringLiteral("open"));
    sqlite3_busy_timeout(m_db.handle(), kBusyTimeoutMs);
    m_db.setFailureObserver([this](int code) { noteFailure(code); });

    // The first statement that reads the file: garbage fails here (NOTADB).
    // Switching a fresh file to WAL needs a lock that SQLite does not wait
    // for (another process may be doing the same): retry within the timeout.
    // Companions this attempt makes and leaves half-made on a full disk take
    // the room a rollback journal would need.
    const bool hadCompanions = QFileInfo::exists(path + QStringLiteral("-wal"))
        || QFileInfo::exists(path + QStringLiteral("-shm"));
    QString mode;
    QElapsedTimer waited;
    waited.start();
    do {
        mode = m_db.queryText(QStringLiteral("PRAGMA journal_mode = WAL"), &rc);
        const int primary = talvoro::primaryResultCode(rc);
        if ((primary != SQLITE_BUSY && primary != SQLITE_LOCKED) || waited.elapsed() > kBusyTimeoutMs)
            break;
        QThread::msleep(5);
    } while (true);
    const int primary = talvoro::primaryResultCode(rc);
    if (path != kInMemory && (primary == SQLITE_IOERR || primary == SQLITE_FULL)) {
        qCWarning(lcModelStore).noquote() << "Store file" << path << "cannot start its write-ahead log ("
                                          << m_db.errorMessage() << "); opening it without one";
        m_db.close();
        if (!hadCompanions && QFileInfo(path + QStringLiteral("-wal")).size() == 0) {
            QFile::remove(path + QStringLiteral("-shm"));
            QFile::remove(path + QStringLiteral("-wal"));
        }
        if (!openWithoutSharedIndex(path, &rc, &mode))
            return fail(rc, QStringLiteral("journal mode"));
    } else if (rc != SQLITE_OK) {
        return fail(rc, QStringLiteral("journal mode"));
    }
    if (path != kInMemory && mode.compare(QStringLiteral("wal"), Qt::CaseInsensitive) != 0)
        qCWarning(lcModelStore).noquote() << "Store journal mode is" << mode << "instead of wal";
    m_db.exec(QStringLiteral("PRAGMA synchronous = NORMAL"));

    if (m_db.isReadOnly())
        return fail(SQLITE_READONLY, QStringLiteral("read-only file"));
    if (check == Check::full) {
        // Damage inside pages only shows when they are read.
        const QString result = m_db.queryText(QStringLiteral("PRAGMA quick_check(1)"), &rc);
        if (rc != SQLITE_OK)
            return fail(rc, QStringLiteral("integrity check"));
        if (result != QStringLiteral("ok")) {
            *failureCode = SQLITE_CORRUPT;
            *failure = QStringLiteral("integrity check: ") + result;
            return false;
        }
    }
    return migrate(failure, failureCode) && probe(failure, failureCode);
}

// WAL needs room for its shared index and log (about 16 KiB on a full
// disk); without it the file is still the user's data and opens on disk:
// with a rollback journal when there is room to switch to one, otherwise
// with the log's index in this process's memory, which holds the file
// alone. Writes then fail for lack of space and say so; nothing stands in
// for the user's data.
bool AppModelContainer::openWithoutSharedIndex(const QString &path, int *rc, QString *mode)
{
    const auto reopen = [&] {
        *rc = m_db.open(path);
        if (*rc != SQLITE_OK)
            return false;
        sqlite3_busy_timeout(m_db.handle(), kBusyTimeoutMs);
        m_db.setFailureObserver([this](int code) { noteFailure(code); });
        // Taken at the first access, before any shared memory is asked for.
        m_db.queryText(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"), rc);
        return *rc == SQLITE_OK;
    };
    if (!reopen())
        return false;
    *mode = m_db.queryText(QStringLiteral("PRAGMA journal_mode = DELETE"), rc);
    if (*rc == SQLITE_OK && mode->compare(QStringLiteral("delete"), Qt::CaseInsensitive) == 0) {
        // Shared again from the next access on.
        m_db.queryText(QStringLiteral("PRAGMA locking_mode = NORMAL"), rc);
        m_db.queryText(QStringLiteral("SELECT count(*) FROM sqlite_master"), rc);
        return *rc == SQLITE_OK;
    }
    if (!reopen())
        return false;
    *mode = m_db.queryText(QStringLiteral("PRAGMA journal_mode = WAL"), rc);
    m_heldAlone = *rc == SQLITE_OK;
    return m_heldAlone;
}

// Reads the first and the last row of every table: a damaged root or edge
// page shows here at the cost of a few pages. Damage deeper in the file shows
// when it is read (noteFailure) or at the full check after a crash.
bool AppModelContainer::probe(QString *failure, int *failureCode)
{
    for (const char *table : {"transcriptions", "replacementRules", "dictionaryEntries"}) {
        for (const char *order : {"ASC", "DESC"}) {
            int rc = SQLITE_OK;
            m_db.queryText(QStringLiteral("SELECT * FROM %1 ORDER BY rowid %2 LIMIT 1")
                               .arg(QLatin1String(table), QLatin1String(order)),
                           &rc);
            if (rc != SQLITE_OK) {
                *failureCode = m_db.extendedErrorCode();
                *failure = QStringLiteral("reading %1: %2").arg(QLatin1String(table), m_db.errorMessage());
                return false;
            }
        }
    }
    return true;
}

bool AppModelContainer::migrate(QString *failure, int *failureCode)
{
    const QStringList &migrations = talvoro::store::schemaMigrations();
    const auto readVersion = [&](int *version) {
        int rc = SQLITE_OK;
        *version = m_db.queryText(QStringLiteral("PRAGMA user_version"), &rc).toInt();
        if (rc != SQLITE_OK) {
            *failureCode = m_db.extendedErrorCode();
            *failure = QStringLiteral("schema version: ") + m_db.errorMessage();
            return false;
        }
        if (*version < 0) {
            // Never written by any build: the header is damaged.
            *failureCode = SQLITE_CORRUPT;
            *failure = QStringLiteral("schema version %1 is not valid").arg(*version);
            return false;
        }
        return true;
    };
    int version = 0;
    if (!readVersion(&version))
        return false;
    if (version > migrations.size()) {
        // Written by a newer build: its tables are a superset of ours.
        qCWarning(lcModelStore) << "Store schema version" << version << "is newer than" << migrations.size();
        return true;
    }
    if (version == migrations.size())
        return true;

    // Another process may be migrating the same file: the version that counts
    // is the one read under the write lock.
    int rc = m_db.exec(QStringLiteral("BEGIN IMMEDIATE"));
    if (rc != SQLITE_OK) {
        *failureCode = m_db.extendedErrorCode();
        *failure = QStringLiteral("migration: ") + m_db.errorMessage();
        return false;
    }
    const auto rollback = [&](const QString &what) {
        *failureCode = m_db.extendedErrorCode();
        *failure = what + m_db.errorMessage();
        m_db.exec(QStringLiteral("ROLLBACK"));
        return false;
    };
    if (!readVersion(&version)) {
        m_db.exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    const int from = version;
    for (int target = version + 1; target <= migrations.size(); ++target) {
        rc = m_db.exec(migrations.at(target - 1));
        if (rc == SQLITE_OK)
            rc = m_db.exec(QStringLiteral("PRAGMA user_version = %1").arg(target));
        if (rc != SQLITE_OK)
            return rollback(QStringLiteral("migration to version %1: ").arg(target));
    }
    if (m_db.exec(QStringLiteral("COMMIT")) != SQLITE_OK)
        return rollback(QStringLiteral("migration commit: "));
    if (from < migrations.size())
        qCInfo(lcModelStore) << "Store schema migrated from version" << from << "to" << migrations.size();
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

void AppModelContainer::noteFailure(int code)
{
    const int primary = talvoro::primaryResultCode(code);
    if (primary == SQLITE_FULL && m_persistent)
        reportLackOfSpace();
    if (!m_persistent || m_recoveryScheduled || (primary != SQLITE_CORRUPT && primary != SQLITE_NOTADB))
        return;
    // Not from inside the failing statement or a live query's fetch.
    m_recoveryScheduled = true;
    QMetaObject::invokeMethod(this, &AppModelContainer::recoverFromDamage, Qt::QueuedConnection);
}

void AppModelContainer::reportLackOfSpace()
{
    m_failedForLackOfSpace = true;
    Q_EMIT writeFailedForLackOfSpace();
}

void AppModelContainer::recoverFromDamage()
{
    m_recoveryScheduled = false;
    if (m_inTransaction) {
        noteFailure(SQLITE_CORRUPT);
        return;
    }
    qCCritical(lcModelStore).noquote() << "Store file" << m_filePath << "turned out damaged while in use";
    m_db.close();
    m_setAsidePath.clear();
    // Moved aside without a new check: SQLite already said it is damaged.
    QString failure;
    int code = SQLITE_CORRUPT;
    const QString aside = moveAside(m_filePath);
    if (!aside.isEmpty()) {
        m_setAsidePath = aside;
        qCCritical(lcModelStore).noquote() << "Kept the damaged store as" << aside << "and started a fresh store";
    }
    if (aside.isEmpty() || !openAt(m_filePath, Check::probe, &failure, &code)) {
        m_persistent = false;
        m_db.close();
        qCCritical(lcModelStore).noquote() << "Store file" << m_filePath << "cannot be used (" << failure
                                           << "); keeping this session's data in memory only";
        openAt(kInMemory, Check::probe, &failure, &code);
    }
    // The writer's connection still reads the old file: it opens the new one.
    ++m_storeGeneration;
    if (m_persistent)
        startWriter();
    Q_EMIT storeReplaced();
}

StoreError AppModelContainer::unavailable() const
{
    return {StoreError::Kind::unavailable, 0, QStringLiteral("no open database")};
}

#pragma once

#include "platform/ModelStoreEngine.h"
#include "platform/ModelStoreTypes.h"
#include "platform/SqliteDatabase.h"

#include <QCoroTask>
#include <QLoggingCategory>
#include <QObject>
#include <QString>

#include <expected>
#include <functional>
#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcModelStore)

class ModelContext;
class QThread;

namespace talvoro::store {
// Why a store file that SQLite refused cannot be used, for the log: the
// failure, and for a file this user cannot write, its owner and mode (so a
// user who once ran the app as root can find the history).
QString describeUnusableFile(const QString &path, int code, const QString &failure);
} // namespace talvoro::store

// The persistent model container: one SQLite database (WAL journal; on a
// disk too full for WAL's files, a rollback journal or a log held by this
// process alone) holding the transcriptions, replacement rules and
// dictionary entries.
//
// - Open: the schema is brought to the current version inside one write
//   transaction that reads the version first, so two processes opening a
//   fresh file do not both migrate. The open reads only the header and the
//   first and last rows of each table; the whole file is checked only when
//   the previous session did not close the store (its "<name>.open" marker
//   is still there). A file that is not a readable database is moved aside
//   ("<name>.broken-<time>", with its -wal/-shm companions) and a fresh store
//   starts in its place; when even that fails (or the file is locked by
//   another process) the container runs on an in-memory database for the
//   session. Each case is logged with the file and the reason; nothing is
//   deleted.
// - Corruption that shows later (SQLITE_CORRUPT or NOTADB from any statement)
//   is handled the same way on the next event-loop turn: the file is moved
//   aside, a fresh store opens and storeReplaced tells the live queries.
// - Contexts (makeContext, mainContext) hold unsaved changes and write them in
//   one transaction on save. Every commit, from any context, emits didCommit
//   with what changed, which is how live queries stay current.
// - Main thread only.
class AppModelContainer : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isPersistent READ isPersistent CONSTANT)
public:
    // The current schema version (PRAGMA user_version).
    static constexpr int kSchemaVersion = 3;
    static constexpr const char *kStoreFileName = "TalvoroApp.store";
    // Beside the store while a session has it open.
    static constexpr const char *kOpenMarkerSuffix = ".open";

    explicit AppModelContainer(const QString &filePath, QObject *parent = nullptr);
    ~AppModelContainer() override;

    // `AppModelContainer.shared`: the container the composition root made.
    static AppModelContainer &shared();
    // TalvoroApp.store in AppPaths::dataDir(), the application's store.
    static QString applicationStorePath();

    QString filePath() const { return m_filePath; }
    // False when running on the in-memory fallback.
    bool isPersistent() const { return m_persistent; }
    // False when this connection holds the file alone (a full disk left no
    // room for the log's shared index): other connections cannot read it.
    bool isShared() const { return !m_heldAlone; }
    // Whether a write (or the open) failed because the disk is full.
    bool hasFailedForLackOfSpace() const { return m_failedForLackOfSpace; }
    // Where an unreadable file was moved on open; empty when none was.
    QString setAsideFilePath() const { return m_setAsidePath; }

    // The context the screens share (the environment's model context).
    ModelContext &mainContext();
    // A fresh context, e.g. for one pull of the synchroniser.
    std::unique_ptr<ModelContext> makeContext();

    // Committed rows only (no context's unsaved changes).
    template<class T>
    std::expected<std::vector<T>, StoreError> fetchCommitted(const FetchDescriptor<T> &descriptor = {})
    {
        if (!m_db.isOpen())
            return std::unexpected(unavailable());
        return talvoro::store::fetchRows<T>(m_db, descriptor);
    }
    template<class T>
    std::expected<std::optional<T>, StoreError> fetchCommitted(const QUuid &id)
    {
        if (!m_db.isOpen())
            return std::unexpected(unavailable());
        return talvoro::store::fetchRow<T>(m_db, id);
    }
    // Committed rows, or those meeting an SQL condition over the columns.
    template<class T>
    std::expected<qsizetype, StoreError> countCommitted(const QString &sqlCondition = {})
    {
        if (!m_db.isOpen())
            return std::unexpected(unavailable());
        return talvoro::store::countRows<T>(m_db, sqlCondition);
    }

    // Runs `body` in one write transaction; commits when it succeeds, rolls
    // back otherwise, and emits didCommit after a commit that changed
    // something. Contexts build on this; it does not nest.
    using WriteBody = std::function<std::expected<void, StoreError>(SqliteDatabase &, StoreChangeSet &)>;
    std::expected<void, StoreError> write(const WriteBody &body);
    // The same on the store's writer thread, a connection of its own, so a
    // long write (a pull's rows) and its disk waits leave the window's
    // thread free; `body` must touch nothing but its arguments. didCommit
    // follows on this thread when the result arrives. A store in memory
    // has no second connection: the body then runs here, at once.
    [[nodiscard]] QCoro::Task<std::expected<void, StoreError>> writeOffThread(WriteBody body);

    // Low-level access for the bench and the tests' raw checks.
    SqliteDatabase &database() { return m_db; }

Q_SIGNALS:
    // After every commit that changed rows, from whichever context.
    void didCommit(const StoreChangeSet &changes);
    // The database was replaced (a damaged file moved aside mid-session):
    // every row may differ.
    void storeReplaced();
    // A write failed because the disk is full (each failed write says so).
    void writeFailedForLackOfSpace();

private:
    enum class Check { probe, full };
    void openStore(Check check);
    bool openAt(const QString &path, Check check, QString *failure, int *failureCode);
    bool openWithoutSharedIndex(const QString &path, int *rc, QString *mode);
    void reportLackOfSpace();
    bool migrate(QString *failure, int *failureCode);
    bool probe(QString *failure, int *failureCode);
    QString moveAside(const QString &path);
    void noteFailure(int code);
    void recoverFromDamage();
    StoreError unavailable() const;
    QString markerPath() const { return m_filePath + QLatin1String(kOpenMarkerSuffix); }
    void startWriter();
    void stopWriter();
    // Checkpoints run on the writer's connection: the window's never waits
    // for the disk to take the log's pages.
    void requestCheckpoint();
    static int walCommitted(void *container, struct sqlite3 *db, const char *name, int pages);

    QString m_filePath;
    QString m_setAsidePath;
    bool m_persistent = false;
    bool m_inTransaction = false;
    bool m_recoveryScheduled = false;
    bool m_ownsMarker = false;
    bool m_heldAlone = false;
    bool m_failedForLackOfSpace = false;
    SqliteDatabase m_db;
    std::unique_ptr<ModelContext> m_mainContext;
    // The writer thread and the state that lives on it.
    struct Writer;
    QThread *m_writerThread = nullptr;
    QObject *m_writerContext = nullptr; // lives on the writer thread
    std::shared_ptr<Writer> m_writer;
    quint64 m_storeGeneration = 0; // which file the writer's connection must have open
};

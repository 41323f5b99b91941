#pragma once

#include "platform/ModelStoreEngine.h"
#include "platform/ModelStoreTypes.h"
#include "platform/SqliteDatabase.h"

#include <QLoggingCategory>
#include <QObject>
#include <QString>

#include <expected>
#include <functional>
#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcModelStore)

class ModelContext;

// The persistent model container: one SQLite database (WAL journal) holding
// the transcriptions, replacement rules and dictionary entries.
//
// - Open: the schema is brought to the current version, each migration in its
//   own transaction. A file that is not a readable database is moved aside
//   ("<name>.broken-<time>", with its -wal/-shm companions) and a fresh store
//   starts in its place; when even that fails (or the file is locked by
//   another process) the container runs on an in-memory database for the
//   session. Each case is logged; nothing is deleted.
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
    static constexpr int kSchemaVersion = 1;
    static constexpr const char *kStoreFileName = "TalvoroApp.store";

    explicit AppModelContainer(const QString &filePath, QObject *parent = nullptr);
    ~AppModelContainer() override;

    // `AppModelContainer.shared`: TalvoroApp.store in AppPaths::dataDir(),
    // opened on first use.
    static AppModelContainer &shared();
    // Tests point the shared container at a file of their own.
    static void resetShared(const QString &filePath);

    QString filePath() const { return m_filePath; }
    // False when running on the in-memory fallback.
    bool isPersistent() const { return m_persistent; }
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
    template<class T>
    std::expected<qsizetype, StoreError> countCommitted()
    {
        if (!m_db.isOpen())
            return std::unexpected(unavailable());
        return talvoro::store::countRows<T>(m_db);
    }

    // Runs `body` in one write transaction; commits when it succeeds, rolls
    // back otherwise, and emits didCommit after a commit that changed
    // something. Contexts build on this; it does not nest.
    using WriteBody = std::function<std::expected<void, StoreError>(SqliteDatabase &, StoreChangeSet &)>;
    std::expected<void, StoreError> write(const WriteBody &body);

    // Low-level access for the bench and the tests' raw checks.
    SqliteDatabase &database() { return m_db; }

Q_SIGNALS:
    // After every commit that changed rows, from whichever context.
    void didCommit(const StoreChangeSet &changes);

private:
    bool openAt(const QString &path, QString *failure, int *failureCode);
    bool migrate(QString *failure, int *failureCode);
    QString moveAside(const QString &path);
    StoreError unavailable() const;

    QString m_filePath;
    QString m_setAsidePath;
    bool m_persistent = false;
    bool m_inTransaction = false;
    SqliteDatabase m_db;
    std::unique_ptr<ModelContext> m_mainContext;
};

#pragma once

#include "platform/AppModelContainer.h"
#include "platform/ModelStoreTypes.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>

#include <expected>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace talvoro::store::detail {

class PendingChangesBase
{
public:
    virtual ~PendingChangesBase() = default;
    virtual bool isEmpty() const = 0;
    virtual void clear() = 0;
    virtual std::expected<void, StoreError> apply(SqliteDatabase &db, StoreChangeSet &changes) const = 0;
};

// One context's unsaved changes to one model, in the order first made.
template<class T>
class PendingChanges final : public PendingChangesBase
{
public:
    enum class Kind { upsert, update, remove };
    struct Change
    {
        Kind kind;
        T value;            // full value (upsert) or carrier of the changed fields (update)
        quint64 fieldMask;  // update only
    };

    bool isEmpty() const override { return m_changes.isEmpty(); }
    void clear() override
    {
        m_changes.clear();
        m_order.clear();
    }
    const Change *find(const QUuid &id) const
    {
        const auto it = m_changes.constFind(id);
        return it == m_changes.constEnd() ? nullptr : &it.value();
    }
    void set(const QUuid &id, Change change)
    {
        if (!m_changes.contains(id))
            m_order.push_back(id);
        m_changes.insert(id, std::move(change));
    }
    void erase(const QUuid &id) { m_changes.remove(id); }
    const QHash<QUuid, Change> &all() const { return m_changes; }

    std::expected<void, StoreError> apply(SqliteDatabase &db, StoreChangeSet &changeSet) const override
    {
        ModelChanges<T> &changes = changeSet.changes<T>();
        QSet<QUuid> done;
        for (const QUuid &id : m_order) {
            const Change *change = find(id);
            if (!change || done.contains(id))
                continue;
            done.insert(id);
            switch (change->kind) {
            case Kind::upsert: {
                auto inserted = talvoro::store::upsertRow<T>(db, change->value);
                if (!inserted)
                    return std::unexpected(inserted.error());
                changes.addUpserted(change->value, *inserted);
                break;
            }
            case Kind::update: {
                // A row deleted meanwhile stays deleted: the update is dropped.
                auto row = talvoro::store::updateRow<T>(db, change->value, change->fieldMask);
                if (!row)
                    return std::unexpected(row.error());
                if (*row)
                    changes.addUpserted(std::move(**row), false);
                break;
            }
            case Kind::remove: {
                auto removed = talvoro::store::deleteRow<T>(db, id);
                if (!removed)
                    return std::unexpected(removed.error());
                if (*removed)
                    changes.deleted.push_back(id);
                break;
            }
            }
        }
        return {};
    }

private:
    QHash<QUuid, Change> m_changes;
    std::vector<QUuid> m_order;
};

} // namespace talvoro::store::detail

// A workspace on the container: inserts, updates and removals are held here
// until save() writes them in one transaction. Fetches see the committed rows
// with this context's unsaved changes laid over them.
//
// Autosave (on by default) saves on the next turn of the event loop after a
// change, so a burst of edits becomes one commit. A failed save keeps the
// changes pending and is logged; autosave tries again after 1 s, backing off
// to once a minute, and any explicit save retries at once.
//
// Records are values: whatever a caller holds stays readable after the row is
// deleted (the snapshot a push after a deletion sends). Asking the store for a
// deleted row reports it gone (fetchById gives nullopt, update and remove give
// StoreError::Kind::notFound), and an update never brings a deleted row back.
class ModelContext : public QObject
{
    Q_OBJECT
public:
    explicit ModelContext(AppModelContainer &container, QObject *parent = nullptr);
    // Saves what is still pending when autosave is on.
    ~ModelContext() override;

    AppModelContainer *container() const { return m_container; }

    bool autosaveEnabled() const { return m_autosave; }
    void setAutosaveEnabled(bool enabled);
    bool hasChanges() const;

    // Writes every pending change in one transaction. On failure nothing is
    // written and the changes stay pending.
    std::expected<void, StoreError> save();
    // Drops the pending changes.
    void rollback();

    template<class T>
    std::expected<std::vector<T>, StoreError> fetch(const FetchDescriptor<T> &descriptor = {}) const;
    template<class T>
    std::expected<qsizetype, StoreError> fetchCount(const FetchDescriptor<T> &descriptor = {}) const;
    // The record with this id as this context sees it; nullopt when it does
    // not exist, was deleted, or the store failed (logged).
    template<class T>
    std::optional<T> fetchById(const QUuid &id) const;

    // Adds a record, or replaces every field of the record with its id.
    // Returns the record as it will be saved: a null id is replaced by a new
    // one, so two records made without an id never overwrite each other.
    template<class T>
    T insert(T model);
    // Writes the fields of `model` that differ from the record as this context
    // sees it now; returns the record as it will be saved.
    template<class T>
    std::expected<T, StoreError> update(const T &model);
    // Applies `mutate` to the current record and writes only the fields it
    // changed, so a field changed elsewhere meanwhile is not overwritten.
    template<class T, class Mutate>
    std::expected<T, StoreError> modify(const QUuid &id, Mutate &&mutate);
    // Deletes the record; returns its last values (the snapshot to push).
    template<class T>
    std::expected<T, StoreError> remove(const QUuid &id);
    template<class T>
    std::expected<T, StoreError> remove(const T &model) { return remove<T>(ModelTraits<T>::id(model)); }

    // Immediate writes for the synchroniser and the shell, each one
    // transaction (they also save nothing else of this context):
    // insert or replace each record by id,
    template<class T>
    std::expected<void, StoreError> upsertAll(const std::vector<T> &models);
    // and delete every record of the model.
    template<class T>
    std::expected<void, StoreError> deleteAll();

private:
    template<class T>
    talvoro::store::detail::PendingChanges<T> *findPending() const;
    template<class T>
    talvoro::store::detail::PendingChanges<T> &pendingFor();
    template<class T>
    static quint64 differingFields(const T &a, const T &b);
    template<class T>
    static T merged(const T &row, const typename talvoro::store::detail::PendingChanges<T>::Change &change);
    void scheduleAutosave();
    void autosave();
    StoreError unavailable() const;
    void logFailure(const char *what, const StoreError &error) const;

    QPointer<AppModelContainer> m_container;
    bool m_autosave = true;
    bool m_autosaveScheduled = false;
    int m_retryDelayMs = 0;
    std::map<std::string, std::unique_ptr<talvoro::store::detail::PendingChangesBase>> m_pending;
};

#include "platform/ModelContextImpl.h"

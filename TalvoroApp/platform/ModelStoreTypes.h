#pragma once

#include "platform/ModelValues.h"

#include <QString>
#include <QUuid>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class SqliteStatement;

// What the store needs of a model (table, Field, fieldCount, column, id,
// read, bind, fieldEquals, copyField, sortsInSql, compare), derived from the
// model's field table: see platform/ModelFields.h.
template<class T>
struct ModelTraits;

// What a store operation reports instead of throwing.
struct StoreError
{
    enum class Kind {
        notFound,    // the record is not (or no longer) in the store
        database,    // SQLite refused: constraint, I/O, corruption, busy
        unavailable, // the container is gone or has no open database
        misuse,      // a transaction inside a transaction
    };
    Kind kind = Kind::database;
    int sqliteCode = 0;
    QString message;

    QString errorDescription() const;
    static StoreError notFound(const QString &message = {}) { return {Kind::notFound, 0, message}; }
};

enum class SortOrder { forward, reverse };

template<class T>
struct SortDescriptor
{
    typename ModelTraits<T>::Field field;
    SortOrder order = SortOrder::forward;
};

class SqliteStatement;

// What to fetch: an optional filter (evaluated in memory on the record
// values; it must not touch the store), sort keys (equal keys are ordered by
// id, so every fetch of the same rows has the same order) and a limit.
// `sqlCondition`, when set, is the same filter as an SQL expression over the
// table's columns: fetches narrow in SQL with it and a LiveCountQuery counts
// with it instead of reading rows.
template<class T>
struct FetchDescriptor
{
    std::function<bool(const T &)> predicate;
    std::vector<SortDescriptor<T>> sortBy;
    std::optional<qsizetype> fetchLimit;
    QString sqlCondition;
    // Binds the condition's parameters (?1, ?2, …) for a fetch, so that one
    // prepared statement serves every value (a list read page by page).
    // Counts do not take parameters.
    std::function<void(SqliteStatement &)> bindCondition;

    bool matches(const T &model) const { return !predicate || predicate(model); }
};

// Total order of a descriptor: its sort keys, then the id.
template<class T>
int compareModels(const std::vector<SortDescriptor<T>> &sortBy, const T &a, const T &b)
{
    for (const SortDescriptor<T> &sort : sortBy) {
        const int result = ModelTraits<T>::compare(sort.field, a, b);
        if (result != 0)
            return sort.order == SortOrder::forward ? result : -result;
    }
    return talvoro::compareIds(ModelTraits<T>::id(a), ModelTraits<T>::id(b));
}

class ModelChangesBase
{
public:
    virtual ~ModelChangesBase() = default;
    virtual bool isEmpty() const = 0;
    virtual bool isCleared() const = 0;
};

// What one commit changed in one model's table. `cleared` means every row was
// deleted first; `upserted` then holds the rows written after that.
template<class T>
class ModelChanges final : public ModelChangesBase
{
public:
    bool cleared = false;
    std::vector<T> upserted;      // full values as committed
    std::vector<bool> wasInserted; // parallel to upserted: the row did not exist before
    std::vector<QUuid> deleted;   // ids of rows that existed and were deleted

    void addUpserted(T model, bool inserted)
    {
        upserted.push_back(std::move(model));
        wasInserted.push_back(inserted);
    }
    bool isEmpty() const override { return !cleared && upserted.empty() && deleted.empty(); }
    bool isCleared() const override { return cleared; }
};

// Everything one commit changed, handed to every live query of the container.
class StoreChangeSet
{
public:
    template<class T>
    ModelChanges<T> &changes()
    {
        auto &slot = m_changes[ModelTraits<T>::table];
        if (!slot)
            slot = std::make_shared<ModelChanges<T>>();
        return static_cast<ModelChanges<T> &>(*slot);
    }

    template<class T>
    const ModelChanges<T> *find() const
    {
        const auto it = m_changes.find(ModelTraits<T>::table);
        if (it == m_changes.end() || it->second->isEmpty())
            return nullptr;
        return static_cast<const ModelChanges<T> *>(it->second.get());
    }

    // A table was cleared (an account change).
    bool clearsATable() const
    {
        for (const auto &[table, changes] : m_changes) {
            if (changes->isCleared())
                return true;
        }
        return false;
    }

    bool isEmpty() const
    {
        for (const auto &[table, changes] : m_changes) {
            if (!changes->isEmpty())
                return false;
        }
        return true;
    }

private:
    // Shared: a copy (the signal queued, a spy) reads the same changes.
    std::map<std::string, std::shared_ptr<ModelChangesBase>> m_changes;
};

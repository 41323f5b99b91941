#pragma once

#include "platform/AppModelContainer.h"
#include "platform/LiveResults.h"
#include "platform/ModelStoreEngine.h"
#include "platform/ModelStoreTypes.h"

#include <QObject>
#include <QPointer>

#include <optional>
#include <vector>

// The signal half of LiveQuery<T> (a template cannot declare signals).
// Row signals come in pairs around each mutation of results(), with indices
// into it: "about to" before, the plain one after, the way
// QAbstractItemModel announces changes (LiveListModel forwards them).
class LiveQueryBase : public QObject
{
    Q_OBJECT
public:
    explicit LiveQueryBase(AppModelContainer &container, QObject *parent = nullptr);

    virtual qsizetype count() const = 0;
    // The id of the record at a row of the results.
    virtual QUuid idAt(qsizetype row) const = 0;

Q_SIGNALS:
    // Once after every modification of the results: a commit from any
    // context of the container, a reload or a new descriptor.
    void changed();

    void rowsAboutToBeInserted(qsizetype first, qsizetype last);
    void rowsInserted(qsizetype first, qsizetype last);
    void rowsAboutToBeRemoved(qsizetype first, qsizetype last);
    void rowsRemoved(qsizetype first, qsizetype last);
    // One row; `to` as QAbstractItemModel::beginMoveRows' destination (the
    // row it goes before, counted before the move).
    void rowsAboutToBeMoved(qsizetype from, qsizetype to);
    void rowsMoved(qsizetype from, qsizetype to);
    // New values in place.
    void rowsChanged(qsizetype first, qsizetype last);
    // Every row may differ: a reload or a new descriptor.
    void aboutToReset();
    void reset();

protected:
    virtual void apply(const StoreChangeSet &changes) = 0;
    virtual void reloadAll() = 0;
    QPointer<AppModelContainer> m_container;
};

// The committed records that match a descriptor, kept current: every commit
// to the container is laid into the results row by row (O(log n) a row, and
// row signals for each), so views update in place. Only a clear of the table,
// a batch of at least a tenth of the rows (and over kMinResetBatch), or a
// limited query that falls short of its limit reload the whole results, as a
// reset. Unsaved changes of a context are not shown until saved (autosave
// does so on the next turn).
template<class T>
class LiveQuery final : public LiveQueryBase
{
    struct IdOf
    {
        QUuid operator()(const T &model) const { return ModelTraits<T>::id(model); }
    };

public:
    using Results = LiveResults<T, IdOf>;
    // Batches smaller than this are always merged, whatever the row count.
    static constexpr qsizetype kMinResetBatch = 256;

    LiveQuery(AppModelContainer &container, FetchDescriptor<T> descriptor, QObject *parent = nullptr)
        : LiveQueryBase(container, parent)
        , m_descriptor(std::move(descriptor))
    {
        reload();
    }

    const Results &results() const { return m_results; }
    qsizetype count() const override { return m_results.size(); }
    bool isEmpty() const { return m_results.isEmpty(); }
    QUuid idAt(qsizetype row) const override { return ModelTraits<T>::id(m_results[row]); }
    // The row of the record with this id; -1 when it is not among the results.
    qsizetype indexOf(const QUuid &id) const { return m_results.indexOf(id); }
    // The record with this id among the results; nullopt when it is not (any
    // more) among them.
    std::optional<T> find(const QUuid &id) const
    {
        const qsizetype index = indexOf(id);
        if (index < 0)
            return std::nullopt;
        return m_results[index];
    }
    // The failure of the last refetch, if it failed (the results then stay).
    const std::optional<StoreError> &lastError() const { return m_lastError; }

    const FetchDescriptor<T> &descriptor() const { return m_descriptor; }
    void setDescriptor(FetchDescriptor<T> descriptor)
    {
        m_descriptor = std::move(descriptor);
        reloadAll();
    }

    // For a list that opens on its first rows and reads the rest a page at a
    // time: appends `rows`, which the caller fetched to sort after every
    // current result, and raises the limit over them; `complete` lifts the
    // limit. While the limit grows this way, a commit that leaves fewer rows
    // than the limit lowers it instead of reloading: the next page brings
    // what follows.
    void appendPage(std::vector<T> rows, bool complete)
    {
        m_growing = !complete;
        if (!rows.empty()) {
            const qsizetype first = count();
            const qsizetype last = first + qsizetype(rows.size()) - 1;
            Q_EMIT rowsAboutToBeInserted(first, last);
            for (T &row : rows)
                m_results.insert(count(), std::move(row));
            Q_EMIT rowsInserted(first, last);
        }
        if (complete)
            m_descriptor.fetchLimit.reset();
        else
            m_descriptor.fetchLimit = count();
        Q_EMIT changed();
    }
    bool isGrowing() const { return m_growing; }

    // Refetches every result (without signals; reloadAll announces a reset).
    void reload()
    {
        if (!m_container) {
            m_lastError = StoreError{StoreError::Kind::unavailable, 0, QStringLiteral("container gone")};
            return;
        }
        auto rows = m_container->template fetchCommitted<T>(m_descriptor);
        if (!rows) {
            m_lastError = rows.error();
            return;
        }
        m_lastError.reset();
        m_results.assign(std::move(*rows));
    }

protected:
    void reloadAll() override
    {
        Q_EMIT aboutToReset();
        reload();
        Q_EMIT reset();
        Q_EMIT changed();
    }

    void apply(const StoreChangeSet &changeSet) override
    {
        const ModelChanges<T> *changes = changeSet.find<T>();
        if (!changes)
            return;
        const qsizetype batch = qsizetype(changes->upserted.size() + changes->deleted.size());
        if (changes->cleared || (batch >= kMinResetBatch && batch * 10 >= count())) {
            reloadAll();
            return;
        }
        const bool wasFull = m_descriptor.fetchLimit && count() >= *m_descriptor.fetchLimit;
        // A full limited query knows nothing of the store past its last row.
        const std::optional<T> boundary = wasFull && !isEmpty() ? std::optional<T>(m_results.back()) : std::nullopt;
        bool modified = false;
        for (const QUuid &id : changes->deleted)
            modified |= removeRow(indexOf(id));
        for (const T &model : changes->upserted) {
            // A new row past the last of a full limited query is never shown
            // (home's three newest, during a pull): no signal, no redraw.
            if (boundary && compareModels(m_descriptor.sortBy, model, *boundary) > 0
                && indexOf(ModelTraits<T>::id(model)) < 0)
                continue;
            modified |= place(model);
        }
        // A row that now sorts past it may have rows of the store before it.
        while (boundary && !isEmpty() && compareModels(m_descriptor.sortBy, m_results.back(), *boundary) > 0)
            removeRow(count() - 1);
        if (m_descriptor.fetchLimit) {
            const qsizetype limit = std::max<qsizetype>(0, *m_descriptor.fetchLimit);
            if (count() < limit && wasFull && m_growing) {
                m_descriptor.fetchLimit = count();
            } else if (count() < limit && wasFull) {
                // Rows past the limit may now belong in: only the store knows.
                reloadAll();
                return;
            }
            if (count() > limit) {
                Q_EMIT rowsAboutToBeRemoved(limit, count() - 1);
                const qsizetype last = count() - 1;
                while (count() > limit)
                    m_results.erase(count() - 1);
                Q_EMIT rowsRemoved(limit, last);
            }
        }
        if (modified)
            Q_EMIT changed();
    }

private:
    qsizetype lowerBound(const T &model) const
    {
        return m_results.lowerBound(
            model, [this](const T &a, const T &b) { return compareModels(m_descriptor.sortBy, a, b) < 0; });
    }

    bool removeRow(qsizetype row)
    {
        if (row < 0)
            return false;
        Q_EMIT rowsAboutToBeRemoved(row, row);
        m_results.erase(row);
        Q_EMIT rowsRemoved(row, row);
        return true;
    }

    // Lays one committed row into the results.
    bool place(const T &model)
    {
        const qsizetype row = indexOf(ModelTraits<T>::id(model));
        if (!m_descriptor.matches(model))
            return removeRow(row);
        // Counted with the old value still in place (it sorts where it was).
        const qsizetype to = lowerBound(model);
        if (row < 0) {
            Q_EMIT rowsAboutToBeInserted(to, to);
            m_results.insert(to, model);
            Q_EMIT rowsInserted(to, to);
            return true;
        }
        if (to == row || to == row + 1) {
            m_results.replace(row, model);
            Q_EMIT rowsChanged(row, row);
            return true;
        }
        Q_EMIT rowsAboutToBeMoved(row, to);
        m_results.erase(row);
        const qsizetype landed = to > row ? to - 1 : to;
        m_results.insert(landed, model);
        Q_EMIT rowsMoved(row, to);
        Q_EMIT rowsChanged(landed, landed);
        return true;
    }

    FetchDescriptor<T> m_descriptor;
    Results m_results;
    bool m_growing = false; // appendPage still has pages to come
    std::optional<StoreError> m_lastError;
};

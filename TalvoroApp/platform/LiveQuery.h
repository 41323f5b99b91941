#pragma once

#include "platform/AppModelContainer.h"
#include "platform/ModelStoreEngine.h"
#include "platform/ModelStoreTypes.h"

#include <QObject>
#include <QPointer>

#include <algorithm>
#include <optional>
#include <vector>

// The signal half of LiveQuery<T> (a template cannot declare signals).
class LiveQueryBase : public QObject
{
    Q_OBJECT
public:
    explicit LiveQueryBase(AppModelContainer &container, QObject *parent = nullptr);

Q_SIGNALS:
    // The results changed: after a commit from any context of the container,
    // or a new descriptor.
    void changed();

protected:
    virtual void apply(const StoreChangeSet &changes) = 0;
    QPointer<AppModelContainer> m_container;
};

// The committed records that match a descriptor, kept current: every commit
// to the container is laid into the results (a handful of changed rows is
// merged in place; a bulk change or a clear refetches). Unsaved changes of a
// context are not shown until saved (autosave does so on the next turn).
template<class T>
class LiveQuery final : public LiveQueryBase
{
public:
    LiveQuery(AppModelContainer &container, FetchDescriptor<T> descriptor, QObject *parent = nullptr)
        : LiveQueryBase(container, parent)
        , m_descriptor(std::move(descriptor))
    {
        reload();
    }

    const std::vector<T> &results() const { return m_results; }
    qsizetype count() const { return qsizetype(m_results.size()); }
    bool isEmpty() const { return m_results.empty(); }
    // The record with this id among the results; nullopt when it is not (any
    // more) among them.
    std::optional<T> find(const QUuid &id) const
    {
        const qsizetype index = indexOf(id);
        if (index < 0)
            return std::nullopt;
        return m_results[size_t(index)];
    }
    // The failure of the last refetch, if it failed (the results then stay).
    const std::optional<StoreError> &lastError() const { return m_lastError; }

    const FetchDescriptor<T> &descriptor() const { return m_descriptor; }
    void setDescriptor(FetchDescriptor<T> descriptor)
    {
        m_descriptor = std::move(descriptor);
        reload();
        Q_EMIT changed();
    }

    // Refetches every result.
    void reload()
    {
        if (!m_container) {
            m_lastError = StoreError{StoreError::Kind::Unavailable, 0, QStringLiteral("container gone")};
            return;
        }
        auto rows = m_container->template fetchCommitted<T>(m_descriptor);
        if (!rows) {
            m_lastError = rows.error();
            return;
        }
        m_lastError.reset();
        m_results = std::move(*rows);
    }

protected:
    void apply(const StoreChangeSet &changeSet) override
    {
        const ModelChanges<T> *changes = changeSet.find<T>();
        if (!changes)
            return;
        const size_t changeCount = changes->upserted.size() + changes->deleted.size();
        if (changes->cleared || m_descriptor.fetchLimit || changeCount > kMergeLimit) {
            reload();
            Q_EMIT changed();
            return;
        }
        bool modified = false;
        for (const QUuid &id : changes->deleted)
            modified |= eraseId(id);
        for (const T &model : changes->upserted) {
            modified |= eraseId(ModelTraits<T>::id(model));
            if (!m_descriptor.matches(model))
                continue;
            const auto position = std::lower_bound(
                m_results.begin(), m_results.end(), model,
                [this](const T &a, const T &b) { return compareModels(m_descriptor.sortBy, a, b) < 0; });
            m_results.insert(position, model);
            modified = true;
        }
        if (modified)
            Q_EMIT changed();
    }

private:
    // Beyond this many changed rows one refetch is cheaper than merging each.
    static constexpr size_t kMergeLimit = 32;

    qsizetype indexOf(const QUuid &id) const
    {
        for (size_t i = 0; i < m_results.size(); ++i) {
            if (ModelTraits<T>::id(m_results[i]) == id)
                return qsizetype(i);
        }
        return -1;
    }
    bool eraseId(const QUuid &id)
    {
        const qsizetype index = indexOf(id);
        if (index < 0)
            return false;
        m_results.erase(m_results.begin() + index);
        return true;
    }

    FetchDescriptor<T> m_descriptor;
    std::vector<T> m_results;
    std::optional<StoreError> m_lastError;
};

#pragma once

#include "platform/AppModelContainer.h"
#include "platform/ModelStoreTypes.h"

#include <QObject>
#include <QPointer>

// The signal half of LiveCountQuery<T>.
class LiveCountQueryBase : public QObject
{
    Q_OBJECT
public:
    explicit LiveCountQueryBase(AppModelContainer &container, QObject *parent = nullptr);

    qsizetype count() const { return m_count; }

Q_SIGNALS:
    // The count changed.
    void changed();

protected:
    virtual void apply(const StoreChangeSet &changes) = 0;
    virtual qsizetype recount() = 0;
    void setCount(qsizetype count);

    QPointer<AppModelContainer> m_container;
    qsizetype m_count = 0;
};

// How many committed records match a descriptor, for screens that show only a
// number: one SQL COUNT at start, then kept current from each commit without
// reading rows (new rows are added, deleted ones taken off). A filtered count
// needs the descriptor's `sqlCondition`; it counts again in SQL after a commit
// that changed or deleted existing rows, whose previous values a commit does
// not carry. A descriptor with a predicate but no condition falls back to
// fetching (and is slow for large tables). The limit and the order are
// ignored.
template<class T>
class LiveCountQuery final : public LiveCountQueryBase
{
public:
    LiveCountQuery(AppModelContainer &container, FetchDescriptor<T> descriptor, QObject *parent = nullptr)
        : LiveCountQueryBase(container, parent)
        , m_descriptor(std::move(descriptor))
    {
        m_descriptor.sortBy.clear();
        m_descriptor.fetchLimit.reset();
        m_count = recount();
    }

protected:
    qsizetype recount() override
    {
        if (!m_container)
            return 0;
        if (m_descriptor.predicate && m_descriptor.sqlCondition.isEmpty()) {
            const auto rows = m_container->template fetchCommitted<T>(m_descriptor);
            return rows ? qsizetype(rows->size()) : m_count;
        }
        const auto counted = m_container->template countCommitted<T>(m_descriptor.sqlCondition);
        return counted ? *counted : m_count;
    }

    void apply(const StoreChangeSet &changeSet) override
    {
        const ModelChanges<T> *changes = changeSet.find<T>();
        if (!changes)
            return;
        const bool filtered = m_descriptor.predicate || !m_descriptor.sqlCondition.isEmpty();
        const bool onlyInserts = std::all_of(changes->wasInserted.begin(), changes->wasInserted.end(),
                                             [](bool inserted) { return inserted; });
        if (filtered && (!changes->deleted.empty() || !onlyInserts)) {
            setCount(recount());
            return;
        }
        qsizetype count = changes->cleared ? 0 : m_count;
        count -= qsizetype(changes->deleted.size());
        for (size_t i = 0; i < changes->upserted.size(); ++i) {
            if (changes->wasInserted[i] && m_descriptor.matches(changes->upserted[i]))
                ++count;
        }
        setCount(count);
    }

private:
    FetchDescriptor<T> m_descriptor;
};

#pragma once

#include "platform/AppModelContainer.h"
#include "platform/ModelStoreTypes.h"

#include <QObject>
#include <QPointer>

#include <algorithm>
#include <optional>

// The signal half of LiveRecord<T>.
class LiveRecordBase : public QObject
{
    Q_OBJECT
public:
    explicit LiveRecordBase(AppModelContainer &container, QObject *parent = nullptr);

Q_SIGNALS:
    // The record changed or left the store (value() then is nullopt).
    void changed();

protected:
    virtual void apply(const StoreChangeSet &changes) = 0;
    QPointer<AppModelContainer> m_container;
};

// One committed record by id, kept current the way a live query is: read
// once by id, then followed through every commit of the container, without
// holding the rest of the table.
template<class T>
class LiveRecord final : public LiveRecordBase
{
public:
    LiveRecord(AppModelContainer &container, const QUuid &id, QObject *parent = nullptr)
        : LiveRecordBase(container, parent)
        , m_id(id)
    {
        refetch();
    }

    const QUuid &id() const { return m_id; }
    const std::optional<T> &value() const { return m_value; }

protected:
    void apply(const StoreChangeSet &changeSet) override
    {
        const ModelChanges<T> *changes = changeSet.find<T>();
        if (!changes)
            return;
        const auto upserted = std::find_if(changes->upserted.begin(), changes->upserted.end(),
                                           [this](const T &model) { return ModelTraits<T>::id(model) == m_id; });
        if (upserted != changes->upserted.end())
            m_value = *upserted;
        else if (changes->cleared || std::find(changes->deleted.begin(), changes->deleted.end(), m_id) != changes->deleted.end())
            m_value.reset();
        else
            return;
        Q_EMIT changed();
    }

private:
    void refetch()
    {
        if (!m_container)
            return;
        auto row = m_container->template fetchCommitted<T>(m_id);
        m_value = row ? *row : std::nullopt;
    }

    QUuid m_id;
    std::optional<T> m_value;
};

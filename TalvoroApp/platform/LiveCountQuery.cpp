#include "platform/LiveCountQuery.h"

LiveCountQueryBase::LiveCountQueryBase(AppModelContainer &container, QObject *parent)
    : QObject(parent)
    , m_container(&container)
{
    connect(&container, &AppModelContainer::didCommit, this,
            [this](const StoreChangeSet &changes) { apply(changes); });
    connect(&container, &AppModelContainer::storeReplaced, this, [this] { setCount(recount()); });
}

void LiveCountQueryBase::setCount(qsizetype count)
{
    if (count == m_count)
        return;
    m_count = count;
    Q_EMIT changed();
}

#include "platform/LiveQuery.h"

LiveQueryBase::LiveQueryBase(AppModelContainer &container, QObject *parent)
    : QObject(parent)
    , m_container(&container)
{
    connect(&container, &AppModelContainer::didCommit, this,
            [this](const StoreChangeSet &changes) { apply(changes); });
    connect(&container, &AppModelContainer::storeReplaced, this, [this] { reloadAll(); });
}

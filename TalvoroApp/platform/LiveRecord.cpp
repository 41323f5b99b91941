#include "platform/LiveRecord.h"

LiveRecordBase::LiveRecordBase(AppModelContainer &container, QObject *parent)
    : QObject(parent)
    , m_container(&container)
{
    connect(&container, &AppModelContainer::didCommit, this,
            [this](const StoreChangeSet &changes) { apply(changes); });
}

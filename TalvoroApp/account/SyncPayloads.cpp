#include "account/SyncPayloads.h"

#include <cmath>

namespace SyncTime {

double msFromDate(const QDateTime &date)
{
    return date.isValid() ? double(date.toMSecsSinceEpoch()) : 0.0;
}

QDateTime dateFromMs(double ms)
{
    if (!std::isfinite(ms))
        return QDateTime::fromMSecsSinceEpoch(0, Qt::UTC);
    return QDateTime::fromMSecsSinceEpoch(qint64(std::llround(ms)), Qt::UTC);
}

} // namespace SyncTime

QString syncClientId(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

QUuid syncUuidFromClientId(const QString &clientId)
{
    return QUuid::fromString(clientId);
}

#include "account/SyncPayloads.h"

#include <QTimeZone>

namespace SyncTime {

double msFromDate(const talvoro::ModelDate &date)
{
    return date.millisecondsSince1970();
}

talvoro::ModelDate dateFromMs(double ms)
{
    // A time the store cannot hold is the start of 1970, as a non-finite one was.
    const talvoro::ModelDate date = talvoro::ModelDate::fromMillisecondsSince1970(ms);
    return date.isValid() ? date : talvoro::ModelDate(QDateTime::fromMSecsSinceEpoch(0, QTimeZone::utc()));
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

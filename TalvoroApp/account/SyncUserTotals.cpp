#include "account/SyncPayloads.h"

#include "account/SyncPayloadJson.h"

using namespace SyncPayloadJson;

QJsonObject SyncUserTotals::toJsonObject() const
{
    return {{QStringLiteral("totalDictations"), totalDictations},
            {QStringLiteral("totalWords"), totalWords},
            {QStringLiteral("totalDurationSeconds"), totalDurationSeconds}};
}

std::expected<SyncUserTotals, QString> SyncUserTotals::fromJson(const QJsonObject &o)
{
    SyncUserTotals t;
    SYNC_TAKE(t.totalDictations, countMember(o, "totalDictations"));
    SYNC_TAKE(t.totalWords, countMember(o, "totalWords"));
    SYNC_TAKE(t.totalDurationSeconds, doubleMember(o, "totalDurationSeconds"));
    if (t.totalDurationSeconds < 0)
        return std::unexpected(QStringLiteral("\"totalDurationSeconds\" is negative"));
    return t;
}

#include "account/SyncPayloads.h"

#include "account/SyncPayloadJson.h"

#include <QJsonDocument>

using namespace SyncPayloadJson;

QByteArray SyncRulePayload::toJson() const
{
    return writtenJson(*this);
}

void SyncRulePayload::writeJson(OrderedJson::Writer &w) const
{
    w.beginObject();
    w.member(QLatin1String("clientId"), clientId);
    w.member(QLatin1String("originalText"), originalText);
    w.member(QLatin1String("replacementText"), replacementText);
    w.member(QLatin1String("isEnabled"), isEnabled);
    w.member(QLatin1String("useCount"), qint64(useCount));
    w.member(QLatin1String("createdAt"), createdAt);
    w.member(QLatin1String("updatedAt"), updatedAt);
    w.member(QLatin1String("isDeleted"), isDeleted);
    w.endObject();
}

QJsonObject SyncRulePayload::toJsonObject() const
{
    return QJsonDocument::fromJson(writtenJson(*this)).object();
}

std::expected<SyncRulePayload, QString> SyncRulePayload::fromJson(const QJsonObject &o)
{
    SyncRulePayload p;
    SYNC_TAKE(p.clientId, clientIdMember(o));
    SYNC_TAKE(p.originalText, stringMember(o, "originalText"));
    SYNC_TAKE(p.replacementText, stringMember(o, "replacementText"));
    SYNC_TAKE(p.isEnabled, boolMember(o, "isEnabled"));
    SYNC_TAKE(p.useCount, intMember(o, "useCount"));
    SYNC_TAKE(p.createdAt, doubleMember(o, "createdAt"));
    SYNC_TAKE(p.updatedAt, doubleMember(o, "updatedAt"));
    SYNC_TAKE(p.isDeleted, boolMember(o, "isDeleted"));
    return p;
}

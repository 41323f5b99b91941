#include "account/SyncPayloads.h"

#include "account/SyncPayloadJson.h"

#include <QJsonDocument>

using namespace SyncPayloadJson;

QByteArray SyncDictionaryEntryPayload::toJson() const
{
    return writtenJson(*this);
}

void SyncDictionaryEntryPayload::writeJson(OrderedJson::Writer &w) const
{
    w.beginObject();
    w.member(QLatin1String("clientId"), clientId);
    w.member(QLatin1String("term"), term);
    w.member(QLatin1String("language"), language);
    w.member(QLatin1String("source"), source);
    w.member(QLatin1String("useCount"), qint64(useCount));
    w.member(QLatin1String("lastUsedAt"), lastUsedAt);
    w.member(QLatin1String("createdAt"), createdAt);
    w.member(QLatin1String("updatedAt"), updatedAt);
    w.member(QLatin1String("isDeleted"), isDeleted);
    w.endObject();
}

QJsonObject SyncDictionaryEntryPayload::toJsonObject() const
{
    return QJsonDocument::fromJson(writtenJson(*this)).object();
}

std::expected<SyncDictionaryEntryPayload, QString> SyncDictionaryEntryPayload::fromJson(const QJsonObject &o)
{
    SyncDictionaryEntryPayload p;
    SYNC_TAKE(p.clientId, clientIdMember(o));
    SYNC_TAKE(p.term, stringMember(o, "term"));
    SYNC_TAKE(p.language, stringMember(o, "language"));
    SYNC_TAKE(p.source, stringMember(o, "source"));
    SYNC_TAKE(p.useCount, intMember(o, "useCount"));
    SYNC_TAKE(p.lastUsedAt, doubleMember(o, "lastUsedAt"));
    SYNC_TAKE(p.createdAt, doubleMember(o, "createdAt"));
    SYNC_TAKE(p.updatedAt, doubleMember(o, "updatedAt"));
    SYNC_TAKE(p.isDeleted, boolMember(o, "isDeleted"));
    return p;
}

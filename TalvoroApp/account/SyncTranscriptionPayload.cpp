#include "account/SyncPayloads.h"

#include "account/SyncPayloadJson.h"

#include <QJsonDocument>

using namespace SyncPayloadJson;

QByteArray SyncTranscriptionPayload::toJson() const
{
    return writtenJson(*this);
}

void SyncTranscriptionPayload::writeJson(OrderedJson::Writer &w) const
{
    w.beginObject();
    w.member(QLatin1String("clientId"), clientId);
    w.member(QLatin1String("text"), text);
    w.member(QLatin1String("createdAt"), createdAt);
    w.member(QLatin1String("wordCount"), qint64(wordCount));
    w.member(QLatin1String("durationSeconds"), durationSeconds);
    w.member(QLatin1String("language"), language);
    w.member(QLatin1String("updatedAt"), updatedAt);
    w.member(QLatin1String("isDeleted"), isDeleted);
    w.endObject();
}

QJsonObject SyncTranscriptionPayload::toJsonObject() const
{
    return QJsonDocument::fromJson(writtenJson(*this)).object();
}

std::expected<SyncTranscriptionPayload, QString> SyncTranscriptionPayload::fromJson(const QJsonObject &o)
{
    SyncTranscriptionPayload p;
    SYNC_TAKE(p.clientId, clientIdMember(o));
    SYNC_TAKE(p.isDeleted, boolMember(o, "isDeleted"));
    SYNC_TAKE(p.updatedAt, doubleMember(o, "updatedAt"));
    if (p.isDeleted) {
        // A tombstone needs nothing but its id and time.
        p.text = o.value(QLatin1String("text")).toString();
        p.createdAt = o.value(QLatin1String("createdAt")).toDouble();
        p.language = o.value(QLatin1String("language")).toString();
        return p;
    }
    SYNC_TAKE(p.text, stringMember(o, "text"));
    SYNC_TAKE(p.createdAt, doubleMember(o, "createdAt"));
    SYNC_TAKE(p.wordCount, intMember(o, "wordCount"));
    SYNC_TAKE(p.durationSeconds, doubleMember(o, "durationSeconds"));
    SYNC_TAKE(p.language, stringMember(o, "language"));
    return p;
}

#include "account/SyncPayloads.h"

#include "account/SyncPayloadJson.h"

using namespace SyncPayloadJson;

namespace {

template<typename Rows>
QByteArray encodeArray(const Rows &rows)
{
    QByteArray out;
    OrderedJson::Writer w(out);
    w.beginArray();
    for (const auto &row : rows)
        row.writeJson(w);
    w.endArray();
    return out;
}

} // namespace

QByteArray SyncPushRequest::toJson() const
{
    QByteArray out;
    OrderedJson::Writer w(out);
    w.beginObject();
    w.key(QLatin1String("transcriptions"));
    w.beginArray();
    for (const auto &row : transcriptions)
        row.writeJson(w);
    w.endArray();
    for (const auto &[key, json] : membersWithoutTranscriptions(settings)) {
        w.key(key);
        w.raw(json);
    }
    w.endObject();
    return out;
}

QList<OrderedJson::Field> SyncPushRequest::membersWithoutTranscriptions(
    const std::optional<SyncSettingsPayload> &block) const
{
    QList<OrderedJson::Field> members{
        {QStringLiteral("rules"), encodeArray(rules)},
        {QStringLiteral("dictionaryEntries"), encodeArray(dictionaryEntries)},
    };
    if (block)
        members.append({QStringLiteral("settings"), block->toJson()});
    return members;
}

std::expected<SyncPushRequest, QString> SyncPushRequest::fromJson(const QJsonObject &o)
{
    SyncPushRequest r;
    QStringList problems;
    r.transcriptions = decodeRows<SyncTranscriptionPayload>(o, "transcriptions", problems);
    r.rules = decodeRows<SyncRulePayload>(o, "rules", problems);
    r.dictionaryEntries = decodeRows<SyncDictionaryEntryPayload>(o, "dictionaryEntries", problems);
    const QJsonValue settings = o.value(QLatin1String("settings"));
    if (settings.isObject())
        r.settings = SyncSettingsPayload::fromJson(settings.toObject(), &problems);
    if (!problems.isEmpty())
        return std::unexpected(problems.join(QStringLiteral("; ")));
    return r;
}

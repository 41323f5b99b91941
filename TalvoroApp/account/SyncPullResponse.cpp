#include "account/SyncPayloads.h"

#include "account/SyncPayloadJson.h"

#include <QJsonArray>

using namespace SyncPayloadJson;

namespace {

template<typename Payload>
QJsonArray encodeRows(const QList<Payload> &rows)
{
    QJsonArray array;
    for (const auto &row : rows)
        array.append(row.toJsonObject());
    return array;
}

} // namespace

QJsonObject SyncPullResponse::toJsonObject() const
{
    QJsonObject o{
        {QStringLiteral("transcriptions"), encodeRows(transcriptions)},
        {QStringLiteral("rules"), encodeRows(rules)},
        {QStringLiteral("dictionaryEntries"), encodeRows(dictionaryEntries)},
    };
    if (cursor)
        o.insert(QStringLiteral("cursor"), *cursor);
    o.insert(QStringLiteral("settings"), settings ? QJsonValue(settings->toJsonObject()) : QJsonValue(QJsonValue::Null));
    o.insert(QStringLiteral("statistics"), statistics ? QJsonValue(statistics->toJsonObject()) : QJsonValue(QJsonValue::Null));
    o.insert(QStringLiteral("user"), user ? QJsonValue(user->toJsonObject()) : QJsonValue(QJsonValue::Null));
    return o;
}

std::expected<SyncPullResponse, QString> SyncPullResponse::fromJson(const QJsonObject &o)
{
    if (o.isEmpty())
        return std::unexpected(QStringLiteral("empty pull reply"));
    SyncPullResponse r;
    double cursor = 0;
    SYNC_TAKE(cursor, doubleMember(o, "cursor"));
    // 2^63 and beyond would wrap to a negative qint64 and make every later
    // pull a full one.
    if (cursor >= 0 && cursor < 9223372036854775808.0)
        r.cursor = qint64(cursor);
    else
        r.problems.append(QStringLiteral("cursor %1 is out of range; the previous one is kept").arg(cursor));
    r.transcriptions = decodeRows<SyncTranscriptionPayload>(o, "transcriptions", r.problems);
    r.rules = decodeRows<SyncRulePayload>(o, "rules", r.problems);
    r.dictionaryEntries = decodeRows<SyncDictionaryEntryPayload>(o, "dictionaryEntries", r.problems);

    const QJsonValue settings = o.value(QLatin1String("settings"));
    if (settings.isObject())
        r.settings = SyncSettingsPayload::fromJson(settings.toObject(), &r.problems);
    else if (!settings.isUndefined() && !settings.isNull())
        r.problems.append(QStringLiteral("\"settings\" is not an object"));

    const QJsonValue statistics = o.value(QLatin1String("statistics"));
    if (statistics.isObject()) {
        auto decoded = SyncPullStatistics::fromJson(statistics.toObject());
        if (decoded)
            r.statistics = *decoded;
        else
            r.problems.append(QStringLiteral("statistics: ") + decoded.error());
    } else if (!statistics.isUndefined() && !statistics.isNull()) {
        r.problems.append(QStringLiteral("\"statistics\" is not an object"));
    }

    const QJsonValue user = o.value(QLatin1String("user"));
    if (user.isObject()) {
        auto decoded = SyncUserTotals::fromJson(user.toObject());
        if (decoded)
            r.user = *decoded;
        else
            r.problems.append(QStringLiteral("user: ") + decoded.error());
    } else if (!user.isUndefined() && !user.isNull()) {
        r.problems.append(QStringLiteral("\"user\" is not an object"));
    }
    return r;
}

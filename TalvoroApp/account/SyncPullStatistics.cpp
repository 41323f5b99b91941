#include "account/SyncPayloads.h"

#include "account/SyncPayloadJson.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

using namespace SyncPayloadJson;
using OrderedJson::Field;

namespace {

bool isDateText(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('-'));
    if (parts.size() != 3)
        return false;
    for (const QString &part : parts) {
        bool ok = false;
        part.toInt(&ok);
        if (!ok || part.isEmpty() || part.startsWith(QLatin1Char('+')) || part.startsWith(QLatin1Char('-')))
            return false;
    }
    return true;
}

} // namespace

QByteArray SyncPullStatsWeekEntry::toJson() const
{
    return OrderedJson::object({
        Field{QStringLiteral("weekStart"), raw(weekStart)},
        Field{QStringLiteral("dictations"), raw(qint64(dictations))},
        Field{QStringLiteral("words"), raw(qint64(words))},
    });
}

std::expected<SyncPullStatsWeekEntry, QString> SyncPullStatsWeekEntry::fromJson(const QJsonObject &o)
{
    SyncPullStatsWeekEntry e;
    SYNC_TAKE(e.weekStart, stringMember(o, "weekStart"));
    SYNC_TAKE(e.dictations, intMember(o, "dictations"));
    SYNC_TAKE(e.words, intMember(o, "words"));
    return e;
}

QByteArray encodeWeeklyChart(const QList<SyncPullStatsWeekEntry> &weeks)
{
    QList<QByteArray> elements;
    elements.reserve(weeks.size());
    for (const auto &week : weeks)
        elements.append(week.toJson());
    return OrderedJson::array(elements);
}

std::expected<QList<SyncPullStatsWeekEntry>, QString> decodeWeeklyChart(const QByteArray &data)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray())
        return std::unexpected(QStringLiteral("weekly chart is not a JSON array"));
    QList<SyncPullStatsWeekEntry> weeks;
    for (const QJsonValue &v : doc.array()) {
        auto week = SyncPullStatsWeekEntry::fromJson(v.toObject());
        if (!week)
            return std::unexpected(week.error());
        weeks.append(*week);
    }
    return weeks;
}

QJsonObject SyncPullStatistics::toJsonObject() const
{
    QJsonArray chart;
    for (const auto &week : weeklyChart)
        chart.append(QJsonObject{{QStringLiteral("weekStart"), week.weekStart},
                                 {QStringLiteral("dictations"), week.dictations},
                                 {QStringLiteral("words"), week.words}});
    QJsonObject o{
        {QStringLiteral("weekDictations"), weekDictations},
        {QStringLiteral("weekWords"), weekWords},
        {QStringLiteral("currentStreak"), currentStreak},
        {QStringLiteral("longestStreak"), longestStreak},
        {QStringLiteral("thisMonthDictations"), thisMonthDictations},
        {QStringLiteral("last7DaysDictations"), last7DaysDictations},
        {QStringLiteral("weeklyChart"), chart},
        {QStringLiteral("weeklyUsed"), weeklyUsed},
        {QStringLiteral("weeklyLimit"), weeklyLimit},
        {QStringLiteral("hourlyUsed"), hourlyUsed},
        {QStringLiteral("hourlyLimit"), hourlyLimit},
    };
    o.insert(QStringLiteral("bestDay"),
             bestDay ? QJsonValue(QJsonObject{{QStringLiteral("date"), bestDay->date},
                                              {QStringLiteral("dictations"), bestDay->dictations}})
                     : QJsonValue(QJsonValue::Null));
    return o;
}

std::expected<SyncPullStatistics, QString> SyncPullStatistics::fromJson(const QJsonObject &o)
{
    SyncPullStatistics s;
    SYNC_TAKE(s.weekDictations, countMember(o, "weekDictations"));
    SYNC_TAKE(s.weekWords, countMember(o, "weekWords"));
    SYNC_TAKE(s.currentStreak, countMember(o, "currentStreak"));
    SYNC_TAKE(s.longestStreak, countMember(o, "longestStreak"));
    SYNC_TAKE(s.thisMonthDictations, countMember(o, "thisMonthDictations"));
    SYNC_TAKE(s.last7DaysDictations, countMember(o, "last7DaysDictations"));
    SYNC_TAKE(s.weeklyUsed, countMember(o, "weeklyUsed"));
    SYNC_TAKE(s.weeklyLimit, countMember(o, "weeklyLimit"));
    SYNC_TAKE(s.hourlyUsed, countMember(o, "hourlyUsed"));
    SYNC_TAKE(s.hourlyLimit, countMember(o, "hourlyLimit"));
    const QJsonValue best = o.value(QLatin1String("bestDay"));
    if (best.isObject()) {
        SyncPullBestDay day;
        SYNC_TAKE(day.date, stringMember(best.toObject(), "date"));
        SYNC_TAKE(day.dictations, countMember(best.toObject(), "dictations"));
        if (!isDateText(day.date))
            return std::unexpected(QStringLiteral("bestDay.date is not a date: %1").arg(day.date));
        s.bestDay = day;
    } else if (!best.isUndefined() && !best.isNull()) {
        return std::unexpected(QStringLiteral("\"bestDay\" is not an object"));
    }
    const QJsonValue chart = o.value(QLatin1String("weeklyChart"));
    if (!chart.isArray())
        return std::unexpected(QStringLiteral("\"weeklyChart\" missing or not an array"));
    const QJsonArray weeks = chart.toArray();
    for (qsizetype i = std::max<qsizetype>(0, weeks.size() - kMaxWeeklyChartWeeks); i < weeks.size(); ++i) {
        const QJsonValue v = weeks.at(i);
        if (!v.isObject())
            return std::unexpected(QStringLiteral("weeklyChart entry is not an object"));
        auto week = SyncPullStatsWeekEntry::fromJson(v.toObject());
        if (!week)
            return std::unexpected(QStringLiteral("weeklyChart entry: ") + week.error());
        s.weeklyChart.append(*week);
    }
    return s;
}

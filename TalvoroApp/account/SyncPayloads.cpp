#include "account/SyncPayloads.h"

#include "platform/OrderedJson.h"

#include <QJsonArray>
#include <QJsonDocument>

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

namespace {

// One payload as the bytes its writeJson gives.
template<class Payload>
QByteArray writtenJson(const Payload &payload)
{
    QByteArray out;
    OrderedJson::Writer writer(out);
    payload.writeJson(writer);
    return out;
}

using OrderedJson::Field;

QByteArray raw(const QJsonValue &v) { return OrderedJson::value(v); }

// Strict readers: a member that is missing or of another type is an error
// naming the member, so a bad row can be reported and skipped.
std::expected<QString, QString> stringMember(const QJsonObject &o, const char *key)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isString())
        return std::unexpected(QStringLiteral("\"%1\" missing or not a string").arg(QLatin1String(key)));
    return v.toString();
}

std::expected<bool, QString> boolMember(const QJsonObject &o, const char *key)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isBool())
        return std::unexpected(QStringLiteral("\"%1\" missing or not a boolean").arg(QLatin1String(key)));
    return v.toBool();
}

std::expected<double, QString> doubleMember(const QJsonObject &o, const char *key)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isDouble() || !std::isfinite(v.toDouble()))
        return std::unexpected(QStringLiteral("\"%1\" missing or not a number").arg(QLatin1String(key)));
    return v.toDouble();
}

std::expected<qint64, QString> intMember(const QJsonObject &o, const char *key)
{
    const QJsonValue v = o.value(QLatin1String(key));
    const double d = v.toDouble();
    if (!v.isDouble() || !std::isfinite(d) || d != std::floor(d) || std::fabs(d) > 9.0e15)
        return std::unexpected(QStringLiteral("\"%1\" missing or not an integer").arg(QLatin1String(key)));
    return qint64(d);
}

// A count or a total: an integer, never below zero.
std::expected<qint64, QString> countMember(const QJsonObject &o, const char *key)
{
    auto value = intMember(o, key);
    if (value && *value < 0)
        return std::unexpected(QStringLiteral("\"%1\" is negative: %2").arg(QLatin1String(key)).arg(*value));
    return value;
}

std::expected<QString, QString> clientIdMember(const QJsonObject &o)
{
    auto id = stringMember(o, "clientId");
    if (!id)
        return id;
    if (syncUuidFromClientId(*id).isNull())
        return std::unexpected(QStringLiteral("\"clientId\" is not a UUID: %1").arg(*id));
    return id->toUpper();
}

// Unwraps a chain of member reads, stopping at the first error.
#define SYNC_TAKE(target, expr)                  \
    do {                                         \
        auto taken_ = (expr);                    \
        if (!taken_)                             \
            return std::unexpected(taken_.error()); \
        target = *taken_;                        \
    } while (false)

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

// MARK: rules

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

// MARK: dictionary entries

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

// MARK: transcriptions

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

// MARK: settings

QByteArray SyncSettingsPayload::toJson() const
{
    return writtenJson(*this);
}

void SyncSettingsPayload::writeJson(OrderedJson::Writer &w) const
{
    w.beginObject();
    if (transcriptionLanguage)
        w.member(QLatin1String("transcriptionLanguage"), *transcriptionLanguage);
    if (transcriptionDomain)
        w.member(QLatin1String("transcriptionDomain"), *transcriptionDomain);
    if (formattingOptions) {
        // The formatting options keep their own field order.
        w.key(QLatin1String("formattingOptions"));
        w.beginObject();
        for (const char *key : {"tone", "addParagraphs", "removeFinalPeriod", "formatDates", "formatTimes", "formatLists"}) {
            const QJsonValue v = formattingOptions->value(QLatin1String(key));
            if (!v.isUndefined())
                w.member(QLatin1String(key), v);
        }
        w.endObject();
    }
    if (dictionaryEnabled)
        w.member(QLatin1String("dictionaryEnabled"), *dictionaryEnabled);
    if (replacementRulesEnabled)
        w.member(QLatin1String("replacementRulesEnabled"), *replacementRulesEnabled);
    if (accentColor)
        w.member(QLatin1String("accentColor"), *accentColor);
    if (translationTargetLanguage)
        w.member(QLatin1String("translationTargetLanguage"), *translationTargetLanguage);
    w.member(QLatin1String("updatedAt"), updatedAt);
    w.endObject();
}

QJsonObject SyncSettingsPayload::toJsonObject() const
{
    return QJsonDocument::fromJson(writtenJson(*this)).object();
}

SyncSettingsPayload SyncSettingsPayload::fromJson(const QJsonObject &o, QStringList *problems)
{
    SyncSettingsPayload p;
    auto note = [problems](const QString &key) {
        if (problems)
            problems->append(QStringLiteral("settings.%1 has the wrong type").arg(key));
    };
    auto readString = [&](const char *key, std::optional<QString> &target) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isString())
            target = v.toString();
        else if (!v.isUndefined() && !v.isNull())
            note(QLatin1String(key));
    };
    auto readBool = [&](const char *key, std::optional<bool> &target) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isBool())
            target = v.toBool();
        else if (!v.isUndefined() && !v.isNull())
            note(QLatin1String(key));
    };
    readString("transcriptionLanguage", p.transcriptionLanguage);
    readString("transcriptionDomain", p.transcriptionDomain);
    const QJsonValue options = o.value(QLatin1String("formattingOptions"));
    if (options.isObject())
        p.formattingOptions = options.toObject();
    else if (!options.isUndefined() && !options.isNull())
        note(QStringLiteral("formattingOptions"));
    readBool("dictionaryEnabled", p.dictionaryEnabled);
    readBool("replacementRulesEnabled", p.replacementRulesEnabled);
    readString("accentColor", p.accentColor);
    readString("translationTargetLanguage", p.translationTargetLanguage);
    const QJsonValue updated = o.value(QLatin1String("updatedAt"));
    if (updated.isDouble())
        p.updatedAt = updated.toDouble();
    return p;
}

// MARK: statistics

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

// MARK: pull and push

namespace {

template<typename Payload>
QList<Payload> decodeRows(const QJsonObject &o, const char *key, QStringList &problems)
{
    QList<Payload> rows;
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return rows;
    if (!v.isArray()) {
        problems.append(QStringLiteral("\"%1\" is not an array").arg(QLatin1String(key)));
        return rows;
    }
    const QJsonArray array = v.toArray();
    for (qsizetype i = 0; i < array.size(); ++i) {
        auto row = Payload::fromJson(array.at(i).toObject());
        if (row)
            rows.append(*row);
        else
            problems.append(QStringLiteral("%1[%2]: %3").arg(QLatin1String(key)).arg(i).arg(row.error()));
    }
    return rows;
}

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

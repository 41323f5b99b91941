#include "backend-local/SyncAccount.h"

#include <QDate>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>
#include <QUuid>

#include <algorithm>
#include <cmath>

namespace backendlocal {

namespace {

enum class Type { string, number, boolean };

struct FieldRule
{
    const char *name;
    Type type;
    bool required = true;
};

std::expected<QString, QString> validate(const QJsonObject &row, std::initializer_list<FieldRule> fields)
{
    const QString clientId = row.value(QLatin1String("clientId")).toString();
    if (QUuid::fromString(clientId).isNull())
        return std::unexpected(QStringLiteral("clientId must be a UUID"));
    for (const FieldRule &field : fields) {
        const QJsonValue v = row.value(QLatin1String(field.name));
        if (v.isUndefined() && !field.required)
            continue;
        const bool ok = (field.type == Type::string && v.isString())
            || (field.type == Type::number && v.isDouble() && std::isfinite(v.toDouble()))
            || (field.type == Type::boolean && v.isBool());
        if (!ok)
            return std::unexpected(QStringLiteral("%1 missing or of the wrong type").arg(QLatin1String(field.name)));
    }
    return clientId.toUpper();
}


QDate localDate(double ms, const QTimeZone &zone)
{
    // A pushed time is any finite number: casting 1e308 would be undefined.
    constexpr double limit = 9.2e15;
    return QDateTime::fromMSecsSinceEpoch(qint64(std::clamp(ms, -limit, limit)), zone).date();
}

QDate mondayOf(const QDate &date) { return date.addDays(1 - date.dayOfWeek()); }

} // namespace

SyncAccount::SyncAccount(const QJsonObject &stored)
{
    m_clock = qint64(stored.value(QLatin1String("clock")).toDouble());
    auto readTable = [&](const char *key, Table &table) {
        const QJsonObject rows = stored.value(QLatin1String(key)).toObject();
        for (auto it = rows.begin(); it != rows.end(); ++it) {
            const QJsonObject entry = it.value().toObject();
            table.insert(it.key(), Row{entry.value(QLatin1String("row")).toObject(),
                                       qint64(entry.value(QLatin1String("changedAt")).toDouble())});
        }
    };
    readTable("transcriptions", m_transcriptions);
    readTable("rules", m_rules);
    readTable("dictionaryEntries", m_dictionaryEntries);
    const QJsonObject settings = stored.value(QLatin1String("settings")).toObject();
    if (!settings.isEmpty())
        m_settings = Row{settings.value(QLatin1String("row")).toObject(),
                         qint64(settings.value(QLatin1String("changedAt")).toDouble())};
}

QJsonObject SyncAccount::toJson() const
{
    // Written as text and parsed once: QJsonObject::insert moves every later
    // member, so inserting row by row took minutes for 100,000 rows.
    auto writeTable = [](const Table &table) {
        QByteArray text = "{";
        for (auto it = table.begin(); it != table.end(); ++it) {
            if (text.size() > 1)
                text += ',';
            text += QJsonDocument(QJsonArray{it.key()}).toJson(QJsonDocument::Compact).chopped(1).mid(1);
            text += R"(:{"row":)" + QJsonDocument(it->value).toJson(QJsonDocument::Compact) + R"(,"changedAt":)"
                + QByteArray::number(it->changedAt) + '}';
        }
        text += '}';
        return QJsonDocument::fromJson(text).object();
    };
    QJsonObject o{{QStringLiteral("clock"), double(m_clock)},
                  {QStringLiteral("transcriptions"), writeTable(m_transcriptions)},
                  {QStringLiteral("rules"), writeTable(m_rules)},
                  {QStringLiteral("dictionaryEntries"), writeTable(m_dictionaryEntries)}};
    if (m_settings)
        o.insert(QStringLiteral("settings"), QJsonObject{{QStringLiteral("row"), m_settings->value},
                                                         {QStringLiteral("changedAt"), double(m_settings->changedAt)}});
    return o;
}

qint64 SyncAccount::tick(qint64 nowMs)
{
    m_clock = std::max(nowMs, m_clock + 1);
    return m_clock;
}

std::expected<bool, QString> SyncAccount::upsert(Table &table, const QJsonObject &row, qint64 nowMs)
{
    const QString clientId = row.value(QLatin1String("clientId")).toString().toUpper();
    QJsonObject value = row;
    value.insert(QStringLiteral("clientId"), clientId);
    const auto existing = table.constFind(clientId);
    if (existing != table.constEnd()) {
        const double storedAt = existing->value.value(QLatin1String("updatedAt")).toDouble();
        const double incomingAt = value.value(QLatin1String("updatedAt")).toDouble();
        // A deletion wins a tie: it is sent with the deleted row's own time,
        // so a copy of the same age is the row as it was before the deletion.
        const bool deletionTie = existing->value.value(QLatin1String("isDeleted")).toBool()
            && !value.value(QLatin1String("isDeleted")).toBool() && incomingAt == storedAt;
        if (storedAt > incomingAt || deletionTie)
            return false;
    }
    table.insert(clientId, Row{value, tick(nowMs)});
    return true;
}

std::expected<bool, QString> SyncAccount::pushRule(const QJsonObject &row, qint64 nowMs)
{
    auto valid = validate(row, {{"originalText", Type::string}, {"replacementText", Type::string},
                                {"isEnabled", Type::boolean}, {"useCount", Type::number},
                                {"createdAt", Type::number}, {"updatedAt", Type::number},
                                {"isDeleted", Type::boolean}});
    if (!valid)
        return std::unexpected(valid.error());
    return upsert(m_rules, row, nowMs);
}

std::expected<bool, QString> SyncAccount::pushDictionaryEntry(const QJsonObject &row, qint64 nowMs)
{
    auto valid = validate(row, {{"term", Type::string}, {"language", Type::string}, {"source", Type::string},
                                {"useCount", Type::number}, {"lastUsedAt", Type::number},
                                {"createdAt", Type::number}, {"updatedAt", Type::number},
                                {"isDeleted", Type::boolean}});
    if (!valid)
        return std::unexpected(valid.error());
    return upsert(m_dictionaryEntries, row, nowMs);
}

std::expected<bool, QString> SyncAccount::pushTranscription(const QJsonObject &row, qint64 nowMs)
{
    auto valid = validate(row, {{"text", Type::string}, {"createdAt", Type::number}, {"wordCount", Type::number},
                                {"durationSeconds", Type::number}, {"language", Type::string},
                                {"updatedAt", Type::number, false}, {"isDeleted", Type::boolean, false}});
    if (!valid)
        return std::unexpected(valid.error());
    QJsonObject value = row;
    if (!value.contains(QLatin1String("updatedAt")))
        value.insert(QStringLiteral("updatedAt"), value.value(QLatin1String("createdAt")));
    if (!value.contains(QLatin1String("isDeleted")))
        value.insert(QStringLiteral("isDeleted"), false);
    // Transcriptions never change after they are made: a deleted one stays
    // deleted, whatever time the copy carries.
    const auto existing = m_transcriptions.constFind(*valid);
    if (existing != m_transcriptions.constEnd() && existing->value.value(QLatin1String("isDeleted")).toBool())
        return false;
    return upsert(m_transcriptions, value, nowMs);
}

std::expected<bool, QString> SyncAccount::deleteTranscription(const QJsonObject &request, qint64 nowMs)
{
    auto valid = validate(request, {{"updatedAt", Type::number, false}});
    if (!valid)
        return std::unexpected(valid.error());
    const double deletedAt = request.contains(QLatin1String("updatedAt"))
        ? request.value(QLatin1String("updatedAt")).toDouble()
        : double(nowMs);
    QJsonObject tombstone = m_transcriptions.value(*valid).value;
    tombstone.insert(QStringLiteral("clientId"), *valid);
    tombstone.insert(QStringLiteral("isDeleted"), true);
    tombstone.insert(QStringLiteral("updatedAt"), deletedAt);
    const auto existing = m_transcriptions.constFind(*valid);
    if (existing != m_transcriptions.constEnd() && existing->value.value(QLatin1String("isDeleted")).toBool())
        return false;
    m_transcriptions.insert(*valid, Row{tombstone, tick(nowMs)});
    return true;
}

std::expected<bool, QString> SyncAccount::pushSettings(const QJsonObject &block, qint64 nowMs)
{
    static const QStringList strings{QStringLiteral("transcriptionLanguage"), QStringLiteral("transcriptionDomain"),
                                     QStringLiteral("accentColor"), QStringLiteral("translationTargetLanguage")};
    static const QStringList bools{QStringLiteral("dictionaryEnabled"), QStringLiteral("replacementRulesEnabled")};
    for (auto it = block.begin(); it != block.end(); ++it) {
        const bool ok = (strings.contains(it.key()) && it.value().isString())
            || (bools.contains(it.key()) && it.value().isBool())
            || (it.key() == QLatin1String("formattingOptions") && it.value().isObject())
            || (it.key() == QLatin1String("updatedAt") && it.value().isDouble());
        if (!ok)
            return std::unexpected(QStringLiteral("settings.%1 is unknown or of the wrong type").arg(it.key()));
    }
    if (!block.value(QLatin1String("updatedAt")).isDouble())
        return std::unexpected(QStringLiteral("settings.updatedAt missing"));
    if (m_settings
        && m_settings->value.value(QLatin1String("updatedAt")).toDouble() > block.value(QLatin1String("updatedAt")).toDouble())
        return false;
    // Members a client leaves out keep their stored values.
    QJsonObject merged = m_settings ? m_settings->value : QJsonObject{};
    for (auto it = block.begin(); it != block.end(); ++it)
        merged.insert(it.key(), it.value());
    m_settings = Row{merged, tick(nowMs)};
    return true;
}

std::expected<QJsonObject, QString> SyncAccount::pushAll(const QJsonObject &body, qint64 nowMs)
{
    // Validate everything first so a bad body changes nothing.
    SyncAccount trial = *this;
    int counts[3] = {0, 0, 0};
    const char *keys[3] = {"transcriptions", "rules", "dictionaryEntries"};
    for (int k = 0; k < 3; ++k) {
        const QJsonValue rows = body.value(QLatin1String(keys[k]));
        if (!rows.isUndefined() && !rows.isArray())
            return std::unexpected(QStringLiteral("%1 must be an array").arg(QLatin1String(keys[k])));
        for (const QJsonValue &row : rows.toArray()) {
            auto taken = k == 0 ? trial.pushTranscription(row.toObject(), nowMs)
                : k == 1        ? trial.pushRule(row.toObject(), nowMs)
                                : trial.pushDictionaryEntry(row.toObject(), nowMs);
            if (!taken)
                return std::unexpected(QStringLiteral("%1: %2").arg(QLatin1String(keys[k]), taken.error()));
            counts[k] += *taken ? 1 : 0;
        }
    }
    // A device's first push brings its settings only to an account that has none.
    if (!trial.m_settings && body.value(QLatin1String("settings")).isObject()) {
        if (auto taken = trial.pushSettings(body.value(QLatin1String("settings")).toObject(), nowMs); !taken)
            return std::unexpected(taken.error());
    }
    *this = trial;
    return QJsonObject{{QStringLiteral("transcriptions"), counts[0]},
                       {QStringLiteral("rules"), counts[1]},
                       {QStringLiteral("dictionaryEntries"), counts[2]}};
}

QJsonObject SyncAccount::pull(qint64 sinceCursor, const QTimeZone &zone, qint64 nowMs, Limits limits,
                              const QStringList &kinds) const
{
    auto changed = [&](const Table &table) {
        const char *kind = &table == &m_rules ? "rules" : &table == &m_transcriptions ? "transcriptions" : "dictionaryEntries";
        if (!kinds.isEmpty() && !kinds.contains(QLatin1String(kind)))
            return QJsonArray();
        QList<const Row *> rows;
        for (const Row &row : table) {
            if (row.changedAt > sinceCursor)
                rows.append(&row);
        }
        std::sort(rows.begin(), rows.end(), [](const Row *a, const Row *b) { return a->changedAt < b->changedAt; });
        QJsonArray array;
        for (const Row *row : rows)
            array.append(row->value);
        return array;
    };
    QJsonObject reply{{QStringLiteral("transcriptions"), changed(m_transcriptions)},
                      {QStringLiteral("rules"), changed(m_rules)},
                      {QStringLiteral("dictionaryEntries"), changed(m_dictionaryEntries)},
                      {QStringLiteral("statistics"), statistics(zone, nowMs, limits)},
                      {QStringLiteral("user"), totals()},
                      {QStringLiteral("cursor"), double(m_clock)}};
    reply.insert(QStringLiteral("settings"), m_settings && m_settings->changedAt > sinceCursor
                                                 ? QJsonValue(m_settings->value)
                                                 : QJsonValue(QJsonValue::Null));
    return reply;
}

QJsonObject SyncAccount::statistics(const QTimeZone &zone, qint64 nowMs, Limits limits) const
{
    const QDateTime now = QDateTime::fromMSecsSinceEpoch(nowMs, zone);
    const QDate today = now.date();
    const QDate weekStart = mondayOf(today);
    QMap<QDate, qint64> perDay;
    QMap<QDate, qint64> wordsPerWeek;
    qint64 weekDictations = 0, weekWords = 0, thisMonth = 0, last7 = 0, lastHour = 0;
    for (const Row &row : m_transcriptions) {
        if (row.value.value(QLatin1String("isDeleted")).toBool())
            continue;
        const double created = row.value.value(QLatin1String("createdAt")).toDouble();
        const qint64 words = qint64(row.value.value(QLatin1String("wordCount")).toDouble());
        const QDate day = localDate(created, zone);
        perDay[day] += 1;
        wordsPerWeek[mondayOf(day)] += words;
        if (day >= weekStart && day <= today) {
            ++weekDictations;
            weekWords += words;
        }
        if (day.year() == today.year() && day.month() == today.month())
            ++thisMonth;
        if (day > today.addDays(-7) && day <= today)
            ++last7;
        if (created > double(nowMs - 3600'000) && created <= double(nowMs))
            ++lastHour;
    }

    qint64 longest = 0, run = 0;
    QDate previous;
    for (auto it = perDay.cbegin(); it != perDay.cend(); ++it) {
        run = (previous.isValid() && previous.addDays(1) == it.key()) ? run + 1 : 1;
        longest = std::max(longest, run);
        previous = it.key();
    }
    qint64 current = 0;
    for (QDate day = perDay.contains(today) ? today : today.addDays(-1); perDay.contains(day); day = day.addDays(-1))
        ++current;

    QJsonValue bestDay = QJsonValue::Null;
    qint64 bestCount = 0;
    for (auto it = perDay.cbegin(); it != perDay.cend(); ++it) {
        if (it.value() >= bestCount) { // ties go to the most recent day
            bestCount = it.value();
            bestDay = QJsonObject{{QStringLiteral("date"), it.key().toString(Qt::ISODate)},
                                  {QStringLiteral("dictations"), it.value()}};
        }
    }

    QJsonArray chart;
    for (int w = 7; w >= 0; --w) {
        const QDate start = weekStart.addDays(-7 * w);
        qint64 dictations = 0;
        for (auto it = perDay.lowerBound(start); it != perDay.cend() && it.key() < start.addDays(7); ++it)
            dictations += it.value();
        chart.append(QJsonObject{{QStringLiteral("weekStart"), start.toString(Qt::ISODate)},
                                 {QStringLiteral("dictations"), dictations},
                                 {QStringLiteral("words"), wordsPerWeek.value(start)}});
    }

    return {{QStringLiteral("weekDictations"), weekDictations},
            {QStringLiteral("weekWords"), weekWords},
            {QStringLiteral("currentStreak"), current},
            {QStringLiteral("longestStreak"), longest},
            {QStringLiteral("thisMonthDictations"), thisMonth},
            {QStringLiteral("last7DaysDictations"), last7},
            {QStringLiteral("bestDay"), bestDay},
            {QStringLiteral("weeklyChart"), chart},
            {QStringLiteral("weeklyUsed"), weekDictations},
            {QStringLiteral("weeklyLimit"), limits.weeklyLimit},
            {QStringLiteral("hourlyUsed"), lastHour},
            {QStringLiteral("hourlyLimit"), limits.hourlyLimit}};
}

QJsonObject SyncAccount::totals() const
{
    qint64 dictations = 0, words = 0;
    double duration = 0;
    for (const Row &row : m_transcriptions) {
        if (row.value.value(QLatin1String("isDeleted")).toBool())
            continue;
        ++dictations;
        words += qint64(row.value.value(QLatin1String("wordCount")).toDouble());
        duration += row.value.value(QLatin1String("durationSeconds")).toDouble();
    }
    return {{QStringLiteral("totalDictations"), dictations},
            {QStringLiteral("totalWords"), words},
            {QStringLiteral("totalDurationSeconds"), duration}};
}

int SyncAccount::liveTranscriptionCount() const
{
    return int(std::count_if(m_transcriptions.cbegin(), m_transcriptions.cend(), [](const Row &row) {
        return !row.value.value(QLatin1String("isDeleted")).toBool();
    }));
}

std::optional<QJsonObject> SyncAccount::rule(const QString &clientId) const
{
    const auto it = m_rules.constFind(clientId.toUpper());
    return it == m_rules.constEnd() ? std::nullopt : std::optional(it->value);
}

std::optional<QJsonObject> SyncAccount::dictionaryEntry(const QString &clientId) const
{
    const auto it = m_dictionaryEntries.constFind(clientId.toUpper());
    return it == m_dictionaryEntries.constEnd() ? std::nullopt : std::optional(it->value);
}

std::optional<QJsonObject> SyncAccount::transcription(const QString &clientId) const
{
    const auto it = m_transcriptions.constFind(clientId.toUpper());
    return it == m_transcriptions.constEnd() ? std::nullopt : std::optional(it->value);
}

std::optional<QJsonObject> SyncAccount::settings() const
{
    return m_settings ? std::optional(m_settings->value) : std::nullopt;
}

} // namespace backendlocal

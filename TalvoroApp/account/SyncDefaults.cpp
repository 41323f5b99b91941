#include "account/SyncDefaults.h"

#include "texts/LocalizedTexts.h"

#include "platform/OrderedJson.h"
#include "platform/UserDefaultsProviding.h"

#include <QJsonDocument>
#include <QLocale>

namespace SyncDefaults {

namespace {

QString key(const char *k) { return QString::fromLatin1(k); }

const QStringList &tones()
{
    static const QStringList list{QStringLiteral("colloquial"), QStringLiteral("natural"), QStringLiteral("formal")};
    return list;
}

const QStringList &domains()
{
    static const QStringList list{QStringLiteral("general"), QStringLiteral("tech"), QStringLiteral("medical")};
    return list;
}

constexpr const char *kFlagKeys[] = {"addParagraphs", "removeFinalPeriod", "formatDates", "formatTimes", "formatLists"};

QJsonObject defaultFormattingOptions()
{
    QJsonObject o{{QStringLiteral("tone"), QStringLiteral("natural")}};
    for (const char *flag : kFlagKeys)
        o.insert(QLatin1String(flag), true);
    return o;
}

// A complete, valid formatting-options object, or nothing.
std::optional<QJsonObject> validFormattingOptions(const QJsonObject &o)
{
    if (!tones().contains(o.value(QLatin1String("tone")).toString()))
        return std::nullopt;
    QJsonObject clean{{QStringLiteral("tone"), o.value(QLatin1String("tone"))}};
    for (const char *flag : kFlagKeys) {
        const QJsonValue v = o.value(QLatin1String(flag));
        if (!v.isBool())
            return std::nullopt;
        clean.insert(QLatin1String(flag), v);
    }
    return clean;
}

QByteArray encodeFormattingOptions(const QJsonObject &o)
{
    QList<OrderedJson::Field> fields{{QStringLiteral("tone"), OrderedJson::value(o.value(QLatin1String("tone")))}};
    for (const char *flag : kFlagKeys)
        fields.append({QLatin1String(flag), OrderedJson::value(o.value(QLatin1String(flag)))});
    return OrderedJson::object(fields);
}

} // namespace

SyncSettingsPayload currentSettingsBlock(const UserDefaultsProviding &d, const QDateTime &now)
{
    SyncSettingsPayload block;
    block.transcriptionLanguage = d.stringValue(key(Keys::transcriptionLanguage), talvoro::defaultTranscriptionLanguage());
    const QString domain = d.stringValue(key(Keys::transcriptionDomain), QStringLiteral("general"));
    block.transcriptionDomain = domains().contains(domain) ? domain : QStringLiteral("general");
    // Unreadable stored options read as the defaults, as everywhere else.
    const QJsonDocument stored = QJsonDocument::fromJson(d.dataValue(key(Keys::formattingOptions)));
    block.formattingOptions = validFormattingOptions(stored.object()).value_or(defaultFormattingOptions());
    block.dictionaryEnabled = d.boolValue(key(Keys::dictionaryEnabled), true);
    block.replacementRulesEnabled = d.boolValue(key(Keys::replacementRulesEnabled), true);
    block.accentColor = d.stringValue(key(Keys::accentColor), QStringLiteral("default"));
    block.translationTargetLanguage = d.stringValue(key(Keys::translationTargetLanguage), QStringLiteral("en"));
    block.updatedAt = SyncTime::msFromDate(now);
    return block;
}

QStringList applySettings(const SyncSettingsPayload &s, UserDefaultsProviding &d)
{
    QStringList problems;
    auto nonEmpty = [&](const std::optional<QString> &value, const char *settingsKey, const char *name) {
        if (!value)
            return;
        if (value->trimmed().isEmpty())
            problems.append(QStringLiteral("settings.%1 is empty").arg(QLatin1String(name)));
        else
            d.setString(key(settingsKey), *value);
    };
    nonEmpty(s.transcriptionLanguage, Keys::transcriptionLanguage, "transcriptionLanguage");
    if (s.transcriptionDomain) {
        if (domains().contains(*s.transcriptionDomain))
            d.setString(key(Keys::transcriptionDomain), *s.transcriptionDomain);
        else
            problems.append(QStringLiteral("settings.transcriptionDomain is unknown: %1").arg(*s.transcriptionDomain));
    }
    if (s.formattingOptions) {
        if (auto valid = validFormattingOptions(*s.formattingOptions))
            d.setData(key(Keys::formattingOptions), encodeFormattingOptions(*valid));
        else
            problems.append(QStringLiteral("settings.formattingOptions is incomplete or invalid"));
    }
    if (s.dictionaryEnabled)
        d.setBool(key(Keys::dictionaryEnabled), *s.dictionaryEnabled);
    if (s.replacementRulesEnabled)
        d.setBool(key(Keys::replacementRulesEnabled), *s.replacementRulesEnabled);
    nonEmpty(s.accentColor, Keys::accentColor, "accentColor");
    nonEmpty(s.translationTargetLanguage, Keys::translationTargetLanguage, "translationTargetLanguage");
    return problems;
}

void applyStatistics(const SyncPullStatistics &s, UserDefaultsProviding &d)
{
    d.setInt64(key(Keys::weekDictations), s.weekDictations);
    d.setInt64(key(Keys::weekWords), s.weekWords);
    d.setInt64(key(Keys::currentStreak), s.currentStreak);
    d.setInt64(key(Keys::longestStreak), s.longestStreak);
    d.setInt64(key(Keys::thisMonthDictations), s.thisMonthDictations);
    d.setInt64(key(Keys::last7DaysDictations), s.last7DaysDictations);
    d.setInt64(key(Keys::weeklyUsed), s.weeklyUsed);
    d.setInt64(key(Keys::weeklyLimit), s.weeklyLimit);
    d.setInt64(key(Keys::hourlyUsed), s.hourlyUsed);
    d.setInt64(key(Keys::hourlyLimit), s.hourlyLimit);
    if (s.bestDay) {
        d.setString(key(Keys::bestDayDate), s.bestDay->date);
        d.setInt64(key(Keys::bestDayDictations), s.bestDay->dictations);
    }
    d.setData(key(Keys::weeklyChart), encodeWeeklyChart(s.weeklyChart));
}

void applyUserTotals(const SyncUserTotals &t, UserDefaultsProviding &d)
{
    d.setInt64(key(Keys::totalDictations), t.totalDictations);
    d.setInt64(key(Keys::totalWords), t.totalWords);
    d.setDouble(key(Keys::totalDurationSeconds), t.totalDurationSeconds);
}

QStringList applyPull(const SyncPullResponse &response, UserDefaultsProviding &d, ApplyOptions options)
{
    QStringList problems;
    if (response.settings && options.applySettings)
        problems += applySettings(*response.settings, d);
    if (response.statistics)
        applyStatistics(*response.statistics, d);
    if (response.user)
        applyUserTotals(*response.user, d);
    return problems;
}

} // namespace SyncDefaults

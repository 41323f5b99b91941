#include "account/SyncDefaults.h"

#include "platform/OrderedJson.h"
#include "platform/SettingsKeys.h"
#include "platform/UserDefaultsProviding.h"

#include <QJsonDocument>
#include <QLocale>

namespace SyncDefaults {

using namespace SettingsKeys;

namespace {

// What a push and a pull carry; the table's flags must say the same.
constexpr const SettingKeyBase *kSettingsBlock[] = {
    &transcriptionLanguage, &transcriptionDomain, &formattingOptions, &dictionaryEnabled,
    &replacementRulesEnabled, &keyboardAccentColor, &translationTargetLanguage,
};
constexpr const SettingKeyBase *kPulledFigures[] = {
    &syncWeekDictations, &syncWeekWords, &syncCurrentStreak, &syncLongestStreak, &syncThisMonthDictations,
    &syncLast7DaysDictations, &syncBestDayDate, &syncBestDayDictations, &syncWeeklyChart, &weeklyUsed,
    &weeklyLimit, &hourlyUsed, &hourlyLimit, &syncTotalDictations, &syncTotalWords, &syncTotalDurationSeconds,
};
static_assert(SettingsKeysCheck::carriesExactly(kSettingsBlock, SettingsKeys::all, Synced::yes),
              "the settings block and the keys flagged Synced::yes differ");
static_assert(SettingsKeysCheck::carriesExactly(kPulledFigures, SettingsKeys::all, Synced::pulled),
              "the pulled figures and the keys flagged Synced::pulled differ");

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
    block.transcriptionLanguage = d.value(transcriptionLanguage);
    const QString domain = d.value(transcriptionDomain);
    block.transcriptionDomain = domains().contains(domain) ? domain : transcriptionDomain.defaultValue();
    // Unreadable stored options read as the defaults, as everywhere else.
    const QJsonDocument stored = QJsonDocument::fromJson(d.value(formattingOptions));
    block.formattingOptions = validFormattingOptions(stored.object()).value_or(defaultFormattingOptions());
    block.dictionaryEnabled = d.value(dictionaryEnabled);
    block.replacementRulesEnabled = d.value(replacementRulesEnabled);
    block.accentColor = d.value(keyboardAccentColor);
    block.translationTargetLanguage = d.value(translationTargetLanguage);
    block.updatedAt = SyncTime::msFromDate(now);
    return block;
}

QStringList applySettings(const SyncSettingsPayload &s, UserDefaultsProviding &d)
{
    QStringList problems;
    auto nonEmpty = [&](const std::optional<QString> &value, const SettingKey<QString> &settingsKey,
                        const char *name) {
        if (!value)
            return;
        if (value->trimmed().isEmpty())
            problems.append(QStringLiteral("settings.%1 is empty").arg(QLatin1String(name)));
        else
            d.set(settingsKey, *value);
    };
    nonEmpty(s.transcriptionLanguage, transcriptionLanguage, "transcriptionLanguage");
    if (s.transcriptionDomain) {
        if (domains().contains(*s.transcriptionDomain))
            d.set(transcriptionDomain, *s.transcriptionDomain);
        else
            problems.append(QStringLiteral("settings.transcriptionDomain is unknown: %1").arg(*s.transcriptionDomain));
    }
    if (s.formattingOptions) {
        if (auto valid = validFormattingOptions(*s.formattingOptions))
            d.set(formattingOptions, encodeFormattingOptions(*valid));
        else
            problems.append(QStringLiteral("settings.formattingOptions is incomplete or invalid"));
    }
    if (s.dictionaryEnabled)
        d.set(dictionaryEnabled, *s.dictionaryEnabled);
    if (s.replacementRulesEnabled)
        d.set(replacementRulesEnabled, *s.replacementRulesEnabled);
    nonEmpty(s.accentColor, keyboardAccentColor, "accentColor");
    nonEmpty(s.translationTargetLanguage, translationTargetLanguage, "translationTargetLanguage");
    return problems;
}

void applyStatistics(const SyncPullStatistics &s, UserDefaultsProviding &d)
{
    d.set(syncWeekDictations, s.weekDictations);
    d.set(syncWeekWords, s.weekWords);
    d.set(syncCurrentStreak, s.currentStreak);
    d.set(syncLongestStreak, s.longestStreak);
    d.set(syncThisMonthDictations, s.thisMonthDictations);
    d.set(syncLast7DaysDictations, s.last7DaysDictations);
    d.set(weeklyUsed, s.weeklyUsed);
    d.set(weeklyLimit, s.weeklyLimit);
    d.set(hourlyUsed, s.hourlyUsed);
    d.set(hourlyLimit, s.hourlyLimit);
    if (s.bestDay) {
        d.set(syncBestDayDate, s.bestDay->date);
        d.set(syncBestDayDictations, s.bestDay->dictations);
    }
    d.set(syncWeeklyChart, encodeWeeklyChart(s.weeklyChart));
}

void applyUserTotals(const SyncUserTotals &t, UserDefaultsProviding &d)
{
    d.set(syncTotalDictations, t.totalDictations);
    d.set(syncTotalWords, t.totalWords);
    d.set(syncTotalDurationSeconds, t.totalDurationSeconds);
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

#include "screens/home-history-stats/StatsRules.h"

#include "account/SyncPayloads.h"
#include "platform/SettingsKeys.h"
#include "platform/UserDefaultsProviding.h"
#include "texts/DateTexts.h"
#include "texts/Localization.h"
#include "texts/LocalizedTexts.h"

#include <algorithm>
#include <array>

namespace talvoro::stats {

namespace {

constexpr int kAxisStrideDays = 14;

// A base-10 integer as a strict parser reads it: an optional "+" and ASCII
// digits only. QString::toLongLong would also take surrounding spaces.
std::optional<qint64> parseInteger(const QString &piece)
{
    const qsizetype start = piece.startsWith(QLatin1Char('+')) ? 1 : 0;
    if (piece.size() == start || piece.size() > start + 18)
        return std::nullopt;
    for (qsizetype i = start; i < piece.size(); ++i) {
        if (piece[i] < QLatin1Char('0') || piece[i] > QLatin1Char('9'))
            return std::nullopt;
    }
    return piece.mid(start).toLongLong();
}

std::optional<std::array<qint64, 3>> dateComponents(const QString &text)
{
    const QStringList pieces = text.split(QLatin1Char('-'), Qt::SkipEmptyParts);
    if (pieces.size() != 3)
        return std::nullopt;
    std::array<qint64, 3> components{};
    for (int i = 0; i < 3; ++i) {
        const auto value = parseInteger(pieces[i]);
        if (!value)
            return std::nullopt;
        components[i] = *value;
    }
    return components;
}

} // namespace

StatsFigures StatsFigures::read(const UserDefaultsProviding *settings)
{
    StatsFigures figures;
    if (!settings)
        return figures;
    using namespace SettingsKeys;
    figures.totalDictations = settings->value(syncTotalDictations);
    figures.totalWords = settings->value(syncTotalWords);
    figures.currentStreak = settings->value(syncCurrentStreak);
    figures.longestStreak = settings->value(syncLongestStreak);
    figures.thisMonthDictations = settings->value(syncThisMonthDictations);
    figures.last7DaysDictations = settings->value(syncLast7DaysDictations);
    figures.bestDayDate = settings->value(syncBestDayDate);
    figures.bestDayDictations = settings->value(syncBestDayDictations);
    figures.weeklyChartData = settings->value(syncWeeklyChart);
    return figures;
}

QList<QString> observedKeys()
{
    using namespace SettingsKeys;
    static constexpr const SettingKeyBase *observed[] = {
        &syncTotalDictations, &syncTotalWords, &syncCurrentStreak, &syncLongestStreak, &syncThisMonthDictations,
        &syncLast7DaysDictations, &syncBestDayDate, &syncBestDayDictations, &syncWeeklyChart,
    };
    QList<QString> keys;
    for (const SettingKeyBase *key : observed)
        keys.append(key->key());
    return keys;
}

std::optional<QDate> parseDateText(const QString &text)
{
    const auto components = dateComponents(text);
    if (!components)
        return std::nullopt;
    const auto [year, month, day] = *components;
    // QDate has no year 0: the proleptic calendar's year 0 is 1 BC, its -1.
    const qint64 qYear = year <= 0 ? year - 1 : year;
    if (qYear < -1'000'000 || qYear > 1'000'000 || month > 12'000'000)
        return std::nullopt;
    // QDate rejects month 13 or day 32; counting from 1 January rolls them over.
    const QDate date = QDate(int(qYear), 1, 1).addMonths(int(month - 1)).addDays(day - 1);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QList<WeeklyChartPoint> weeklyChartPoints(const QByteArray &weeklyChartData)
{
    QList<WeeklyChartPoint> points;
    if (weeklyChartData.isEmpty())
        return points;
    const auto weeks = decodeWeeklyChart(weeklyChartData);
    if (!weeks)
        return points;
    for (const SyncPullStatsWeekEntry &week : *weeks) {
        if (const auto start = parseDateText(week.weekStart))
            points.append({week.weekStart, *start, week.dictations});
    }
    return points;
}

QList<QDate> chartAxisMarks(const QList<WeeklyChartPoint> &points)
{
    if (points.isEmpty())
        return {};
    const auto [first, last] = std::minmax_element(
        points.begin(), points.end(), [](const auto &a, const auto &b) { return a.weekStart < b.weekStart; });
    QList<QDate> marks;
    for (QDate day = first->weekStart; day <= last->weekStart; day = day.addDays(kAxisStrideDays))
        marks.append(day);
    return marks;
}

QString chartAxisLabel(QDate day, bool portuguese)
{
    return localizedDate(day, "dMMM", textLocale(portuguese));
}

bool showsEmptyState(qint64 totalDictations)
{
    return totalDictations == 0;
}

double wordsPerDictation(qint64 totalDictations, qint64 totalWords)
{
    return totalDictations >= 1 ? double(totalWords) / double(totalDictations) : 0.0;
}

QString totalDictationsText(qint64 totalDictations)
{
    return QString::number(totalDictations);
}

QString totalWordsText(qint64 totalWords, bool portuguese)
{
    return localizedCompactNumber(totalWords, portuguese);
}

QString wordsPerDictationText(qint64 totalDictations, qint64 totalWords, bool portuguese)
{
    return localizedDecimalNumber(1, portuguese, wordsPerDictation(totalDictations, totalWords));
}

QString bestDayText(const QString &bestDayDate, bool portuguese)
{
    const auto day = parseDateText(bestDayDate);
    return day ? localizedDate(*day, "MMMMd", textLocale(portuguese)) : bestDayDate;
}

QList<DetailRow> detailRows(const StatsFigures &figures, bool portuguese)
{
    QList<DetailRow> rows{
        {localized("Este mês"), localizedDictationCount(figures.thisMonthDictations, portuguese)},
        {localized("Últimos 7 dias"), localizedDictationCount(figures.last7DaysDictations, portuguese)},
    };
    if (!figures.bestDayDate.isEmpty())
        rows.append({localized("Melhor dia"),
                     bestDayText(figures.bestDayDate, portuguese) + QStringLiteral(" (")
                         + localizedNumber(figures.bestDayDictations, portuguese) + QLatin1Char(')')});
    rows.append({localized("Sequência atual"), localizedDayCount(figures.currentStreak, portuguese)});
    rows.append({localized("Maior sequência"), localizedDayCount(figures.longestStreak, portuguese)});
    return rows;
}

} // namespace talvoro::stats

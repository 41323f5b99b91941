#include "screens/home-history-stats/HistoryGrouping.h"

#include "screens/settings/SettingsStyle.h"
#include "texts/DateTexts.h"
#include "texts/Localization.h"

#include <algorithm>
#include <map>

namespace talvoro::history {

QDate dayOf(const QDateTime &moment, const QTimeZone &zone)
{
    return moment.toTimeZone(zone).date();
}

QString dayTitle(QDate day, QDate today, bool portuguese)
{
    if (day == today)
        return localized("Hoje");
    if (day == today.addDays(-1))
        return localized("Ontem");
    return localizedDate(day, "yMMMMd", textLocale(portuguese));
}

QString daySectionHeaderText(const QString &title, bool portuguese)
{
    return settings::sectionHeaderText(title, portuguese);
}

int daySectionTopInset(bool firstSection)
{
    return firstSection ? 4 : 12;
}

std::vector<DayGroup> groupByDay(const std::vector<TranscriptionRecord> &records, const QTimeZone &zone,
                                 const QDateTime &now, bool portuguese)
{
    std::map<QDate, std::vector<TranscriptionRecord>, std::greater<>> byDay;
    for (const TranscriptionRecord &record : records)
        byDay[dayOf(record.createdAt, zone)].push_back(record);
    const QDate today = dayOf(now, zone);
    std::vector<DayGroup> groups;
    groups.reserve(byDay.size());
    for (auto &[day, items] : byDay)
        groups.push_back({QDateTime(day, QTime(0, 0), zone), dayTitle(day, today, portuguese), std::move(items)});
    return groups;
}

} // namespace talvoro::history

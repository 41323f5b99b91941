#include "transcription/UsageCounters.h"

#include "platform/UserDefaultsProviding.h"

UsageCounters UsageCounters::load(const UserDefaultsProviding &defaults)
{
    UsageCounters counters;
    counters.weeklyUsed = defaults.int64Value(QLatin1String(kWeeklyUsedKey), 0);
    counters.weeklyLimit = defaults.int64Value(QLatin1String(kWeeklyLimitKey), 0);
    counters.hourlyUsed = defaults.int64Value(QLatin1String(kHourlyUsedKey), 0);
    counters.hourlyLimit = defaults.int64Value(QLatin1String(kHourlyLimitKey), 0);
    return counters;
}

void UsageCounters::save(UserDefaultsProviding &defaults) const
{
    defaults.setInt64(QLatin1String(kWeeklyUsedKey), weeklyUsed);
    defaults.setInt64(QLatin1String(kWeeklyLimitKey), weeklyLimit);
    defaults.setInt64(QLatin1String(kHourlyUsedKey), hourlyUsed);
    defaults.setInt64(QLatin1String(kHourlyLimitKey), hourlyLimit);
}

std::optional<qint64> UsageCounters::effectiveWeeklyLimit() const
{
    return weeklyLimit > 0 ? std::optional<qint64>(weeklyLimit) : std::nullopt;
}

std::optional<qint64> UsageCounters::effectiveHourlyLimit() const
{
    return hourlyLimit > 0 ? std::optional<qint64>(hourlyLimit) : std::nullopt;
}

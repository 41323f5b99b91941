#include "transcription/UsageCounters.h"

#include "platform/SettingsKeys.h"
#include "platform/UserDefaultsProviding.h"

UsageCounters UsageCounters::load(const UserDefaultsProviding &defaults)
{
    UsageCounters counters;
    counters.weeklyUsed = defaults.value(SettingsKeys::weeklyUsed);
    counters.weeklyLimit = defaults.value(SettingsKeys::weeklyLimit);
    counters.hourlyUsed = defaults.value(SettingsKeys::hourlyUsed);
    counters.hourlyLimit = defaults.value(SettingsKeys::hourlyLimit);
    return counters;
}

void UsageCounters::save(UserDefaultsProviding &defaults) const
{
    defaults.set(SettingsKeys::weeklyUsed, weeklyUsed);
    defaults.set(SettingsKeys::weeklyLimit, weeklyLimit);
    defaults.set(SettingsKeys::hourlyUsed, hourlyUsed);
    defaults.set(SettingsKeys::hourlyLimit, hourlyLimit);
}

std::optional<qint64> UsageCounters::effectiveWeeklyLimit() const
{
    return weeklyLimit > 0 ? std::optional<qint64>(weeklyLimit) : std::nullopt;
}

std::optional<qint64> UsageCounters::effectiveHourlyLimit() const
{
    return hourlyLimit > 0 ? std::optional<qint64>(hourlyLimit) : std::nullopt;
}

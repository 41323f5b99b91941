#pragma once

#include <QtGlobal>

#include <optional>

class UserDefaultsProviding;

// The usage figures of the account: written from each cloud processing
// result and by every pull, read by the usage card. Absent keys read as 0.
struct UsageCounters
{
    qint64 weeklyUsed = 0;
    qint64 weeklyLimit = 0;
    qint64 hourlyUsed = 0;
    qint64 hourlyLimit = 0;

    static UsageCounters load(const UserDefaultsProviding &defaults);
    // Writes all four keys.
    void save(UserDefaultsProviding &defaults) const;

    // A limit of 0 or less means the account has none.
    std::optional<qint64> effectiveWeeklyLimit() const;
    std::optional<qint64> effectiveHourlyLimit() const;

    friend bool operator==(const UsageCounters &, const UsageCounters &) = default;
};

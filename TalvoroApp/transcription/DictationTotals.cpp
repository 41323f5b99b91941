#include "transcription/DictationTotals.h"

#include "platform/SettingsKeys.h"
#include "platform/UserDefaultsProviding.h"

#include <cmath>
#include <limits>

namespace {

qint64 saturatingAdd(qint64 total, qint64 amount)
{
    qint64 sum = 0;
    if (qAddOverflow(total, amount, &sum))
        return amount > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
    return sum;
}

} // namespace

DictationTotals DictationTotals::load(const UserDefaultsProviding &defaults)
{
    DictationTotals totals;
    totals.dictations = defaults.value(SettingsKeys::syncTotalDictations);
    totals.words = defaults.value(SettingsKeys::syncTotalWords);
    totals.durationSeconds = defaults.value(SettingsKeys::syncTotalDurationSeconds);
    return totals;
}

void DictationTotals::save(UserDefaultsProviding &defaults) const
{
    defaults.set(SettingsKeys::syncTotalDictations, dictations);
    defaults.set(SettingsKeys::syncTotalWords, words);
    defaults.set(SettingsKeys::syncTotalDurationSeconds, durationSeconds);
}

DictationTotals DictationTotals::recordDictation(UserDefaultsProviding &defaults, qint64 wordCount,
                                                 double durationSeconds)
{
    DictationTotals totals = load(defaults);
    totals.dictations = saturatingAdd(totals.dictations, 1);
    totals.words = saturatingAdd(totals.words, std::max<qint64>(0, wordCount));
    if (std::isfinite(durationSeconds) && durationSeconds > 0) {
        const double sum = totals.durationSeconds + durationSeconds;
        if (std::isfinite(sum))
            totals.durationSeconds = sum;
    }
    totals.save(defaults);
    return totals;
}

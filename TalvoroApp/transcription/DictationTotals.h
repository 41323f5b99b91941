#pragma once

#include <QtGlobal>

class UserDefaultsProviding;

// The account's dictation totals shown by the statistics screens: a pull
// overwrites them with the account's figures, and between pulls each
// successful dictation advances them.
struct DictationTotals
{
    qint64 dictations = 0;
    qint64 words = 0;
    double durationSeconds = 0.0;

    // Absent keys read as 0.
    static DictationTotals load(const UserDefaultsProviding &defaults);
    // Writes all three keys (a pull's totals).
    void save(UserDefaultsProviding &defaults) const;

    // One successful dictation, in one step: one more dictation, its words
    // and its duration. A negative word count, or a duration that is negative
    // or not finite, adds nothing (the dictation still counts); the totals
    // saturate instead of overflowing. Returns the new totals.
    static DictationTotals recordDictation(UserDefaultsProviding &defaults, qint64 wordCount,
                                           double durationSeconds);

    friend bool operator==(const DictationTotals &, const DictationTotals &) = default;
};

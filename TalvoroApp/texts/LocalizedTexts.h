#pragma once

#include "texts/Localization.h"

#include <QDateTime>
#include <QString>

#include <optional>

// Texts composed in code, each in Portuguese or English by the language
// choice the caller passes (normally isPortuguese()).
namespace talvoro {

QString localizedNumber(qint64 value, bool portuguese);
QString localizedCompactNumber(qint64 value, bool portuguese);
QString localizedDecimalNumber(int fractionLength, bool portuguese, double value);
QString localizedCountOfTotal(qint64 count, qint64 total, bool portuguese);

QString localizedWordCount(qint64 count, bool portuguese);
QString localizedDayCount(qint64 count, bool portuguese);
QString localizedDictationCount(qint64 count, bool portuguese);
QString localizedRuleCount(qint64 count, bool portuguese);
QString localizedTermCount(qint64 count, bool portuguese);
QString localizedPendingPermissionCount(qint64 count, bool portuguese);
QString weeklyTranscriptionCountText(qint64 count, bool portuguese);

// `Date.shortRelativeText`: the age of `date` measured at `reference`.
QString shortRelativeText(const QDateTime &date, const QDateTime &reference, bool portuguese);

std::optional<QString> specialKeyName(quint16 keyCode, bool portuguese);
QString unknownKeyName(quint16 keyCode, bool portuguese);

QString rateLimitMessage(qint64 seconds, bool portuguese = isPortuguese());
QString uploadDelayedMessage(qint64 seconds, bool portuguese = isPortuguese());
QString weeklyLimitReachedMessage(qint64 used, qint64 limit, bool portuguese = isPortuguese());
QString serverErrorMessage(int code, const QString &message, bool portuguese = isPortuguese());
QString networkErrorMessage(const QString &detail, bool portuguese = isPortuguese());
QString encryptionErrorMessage(const QString &detail, bool portuguese = isPortuguese());

} // namespace talvoro

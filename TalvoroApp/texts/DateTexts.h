#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTimeZone>

// Dates by ICU skeleton. QLocale's long date format carries the weekday
// ("sábado, 5 de dezembro de 2026"); a skeleton names only the fields wanted
// and lets the locale order and word them ("yMMMMd": "5 de dezembro de 2026",
// "December 5, 2026"; "yMMMd", "dMMM", "MMMMd").
namespace talvoro {

// `date` in `zone` (the system's by default), formatted for `locale` with the
// fields of `skeleton`. An invalid date gives the empty text.
QString localizedDate(const QDateTime &date, const char *skeleton, const QLocale &locale,
                      const QTimeZone &zone = QTimeZone::systemTimeZone());
// A calendar day on its own (no time zone involved).
QString localizedDate(QDate day, const char *skeleton, const QLocale &locale);

// How far `date` lies from `reference` in the largest whole unit that fits
// (seconds up to years), worded by ICU for `locale`: "há 5 minutos",
// "5 minutes ago", "in 2 days"; under a second, "agora"/"now".
QString relativeDateText(const QDateTime &date, const QDateTime &reference, const QLocale &locale);
// Milliseconds until relativeDateText of `date` can read differently:
// every second in the first minute, then at each whole minute of the age.
int relativeDateRefreshMs(const QDateTime &date, const QDateTime &reference);

} // namespace talvoro

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

} // namespace talvoro

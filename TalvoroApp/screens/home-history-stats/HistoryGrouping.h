#pragma once

#include "transcription/TranscriptionRecord.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include <vector>

// The history's day sections: records grouped by the calendar day of their
// creation in the system time zone, later days first, titled "Hoje", "Ontem"
// or the full date (day, month name and year, never the weekday).
namespace talvoro::history {

struct DayGroup
{
    QDateTime date; // start of the day in the zone
    QString title;
    std::vector<TranscriptionRecord> items; // in the order given (newest first)
};

// The calendar day of `moment` in `zone`.
QDate dayOf(const QDateTime &moment, const QTimeZone &zone);

// "Hoje" for `today`, "Ontem" for the day before, else the full date in the
// language choice's locale, also for the current year and for future days.
QString dayTitle(QDate day, QDate today, bool portuguese);

// The section caption: the title upper-cased in the language choice's locale.
QString daySectionHeaderText(const QString &title, bool portuguese);

// Top inset of a section header: the newest day's sits closer to the search bar.
int daySectionTopInset(bool firstSection);

std::vector<DayGroup> groupByDay(const std::vector<TranscriptionRecord> &records, const QTimeZone &zone,
                                 const QDateTime &now, bool portuguese);

} // namespace talvoro::history

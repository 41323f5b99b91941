#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include <optional>

class UserDefaultsProviding;

// The statistics screen's rules: the stored figures, decoded and worded.
// Nothing here is computed from the local history; every figure is a value
// the synchroniser (or, for the totals, the dictation controller) stored.
namespace talvoro::stats {

// The figures as stored, each read with its default (0, empty).
struct StatsFigures
{
    qint64 totalDictations = 0;
    qint64 totalWords = 0;
    qint64 currentStreak = 0;
    qint64 longestStreak = 0;
    qint64 thisMonthDictations = 0;
    qint64 last7DaysDictations = 0;
    QString bestDayDate;
    qint64 bestDayDictations = 0;
    QByteArray weeklyChartData;

    static StatsFigures read(const UserDefaultsProviding *settings);
};

// The keys of the figures (the accent colour has its own binding).
QList<QString> observedKeys();

// A stored date text ("2025-3-7", "2025-03-07"): the pieces between the
// dashes (empty ones dropped) must be exactly three base-10 integers.
// Month and day roll over as a lenient calendar does: 2025-13-01 is
// 2026-01-01, 2025-02-30 is 2025-03-02.
std::optional<QDate> parseDateText(const QString &text);

// One bar. The week start is a calendar day, not an instant: drawn as a
// day it stays on its day in every time zone.
struct WeeklyChartPoint
{
    QString id; // the stored weekStart text
    QDate weekStart;
    qint64 dictations = 0;
};

// One bar per stored week whose start is a valid date text, in stored order.
// Data that does not decode as a whole gives no bars.
QList<WeeklyChartPoint> weeklyChartPoints(const QByteArray &weeklyChartData);

// The days that carry an axis label: every second week from the earliest
// week start up to the latest.
QList<QDate> chartAxisMarks(const QList<WeeklyChartPoint> &points);
QString chartAxisLabel(QDate day, bool portuguese); // day + abbreviated month

bool showsEmptyState(qint64 totalDictations);
double wordsPerDictation(qint64 totalDictations, qint64 totalWords);

// The three summary tiles' values.
QString totalDictationsText(qint64 totalDictations);
QString totalWordsText(qint64 totalWords, bool portuguese);
QString wordsPerDictationText(qint64 totalDictations, qint64 totalWords, bool portuguese);

// Day and full month name of the best day, no year; the stored text as it
// is when it is no date.
QString bestDayText(const QString &bestDayDate, bool portuguese);

struct DetailRow
{
    QString caption;
    QString value;
};
// The details card's rows; the best day only when one is stored.
QList<DetailRow> detailRows(const StatsFigures &figures, bool portuguese);

} // namespace talvoro::stats

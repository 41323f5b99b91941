// The edges of the history's and the statistics' rules: a record exactly at
// midnight, on either side of the day the list keeps cached; exactly one
// record, one week, one dictation.
#include "screens/home-history-stats/HistoryGrouping.h"
#include "screens/home-history-stats/HistoryListIndex.h"
#include "screens/home-history-stats/StatsRules.h"
#include "support/TestSupport.h"

#include <QTest>

using namespace talvoro::history;
using namespace talvoro::stats;

namespace {

const QTimeZone kZone("America/Sao_Paulo");

QDateTime local(QDate day, QTime time)
{
    return QDateTime(day, time, kZone);
}

// The list as lines: "#" and the day for headers, else the record's text.
QStringList lines(HistoryListIndex &index, const std::vector<TranscriptionRecord> &records)
{
    index.assign(records);
    QStringList list;
    for (const HistoryListItem &item : index.items())
        list.append(item.isHeader() ? QStringLiteral("#") + item.day.toString(Qt::ISODate)
                                    : records[size_t(item.row)].text);
    return list;
}

} // namespace

class TestHistoryAndStatsEdges : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theListsCachedDayEndsExactlyAtMidnight()
    {
        const QDate day(2026, 12, 4);
        const QTime lastMoment(23, 59, 59, 999);
        HistoryListIndex index(kZone);
        // Newest first: each record is looked up right after a neighbour whose
        // day is still cached, so each midnight is met from both sides.
        QCOMPARE(lines(index, {dictation(QStringLiteral("next midnight"), local(day.addDays(1), QTime(0, 0))),
                               dictation(QStringLiteral("last moment"), local(day, lastMoment)),
                               dictation(QStringLiteral("noon"), local(day, QTime(12, 0))),
                               dictation(QStringLiteral("midnight"), local(day, QTime(0, 0))),
                               dictation(QStringLiteral("day before"), local(day.addDays(-1), lastMoment))}),
                 (QStringList{"#2026-12-05", "next midnight", "#2026-12-04", "last moment", "noon", "midnight",
                              "#2026-12-03", "day before"}));
        // Oldest first, as rows moved by an edit may come: the cached day's
        // end is the next day's first moment.
        QCOMPARE(lines(index, {dictation(QStringLiteral("midnight"), local(day, QTime(0, 0))),
                               dictation(QStringLiteral("last moment"), local(day, lastMoment)),
                               dictation(QStringLiteral("next midnight"), local(day.addDays(1), QTime(0, 0)))}),
                 (QStringList{"#2026-12-04", "midnight", "last moment", "#2026-12-05", "next midnight"}));
        // Exactly one record makes one header and one line.
        QCOMPARE(lines(index, {dictation(QStringLiteral("only"), local(day, QTime(0, 0)))}),
                 (QStringList{"#2026-12-04", "only"}));
    }

    void groupingAtExactlyMidnightAndForOneRecord()
    {
        const QDate today(2026, 12, 5);
        // The clock itself at midnight: the moment before is yesterday.
        const QDateTime now = local(today, QTime(0, 0));
        const auto groups = groupByDay({dictation(QStringLiteral("now"), now),
                                        dictation(QStringLiteral("before"), now.addMSecs(-1))},
                                       kZone, now, true);
        QCOMPARE(groups.size(), size_t(2));
        QCOMPARE(groups[0].title, QStringLiteral("Hoje"));
        QCOMPARE(groups[0].items.size(), size_t(1));
        QCOMPARE(groups[1].title, QStringLiteral("Ontem"));
        QCOMPARE(groups[1].date, local(today.addDays(-1), QTime(0, 0)));

        // Two days back at its first moment is a dated day, not "Ontem".
        const auto one = groupByDay({dictation(QStringLiteral("only"), local(today.addDays(-2), QTime(0, 0)))},
                                    kZone, now, false);
        QCOMPARE(one.size(), size_t(1));
        QCOMPARE(one[0].title, QStringLiteral("December 3, 2026"));
        QVERIFY(groupByDay({}, kZone, now, true).empty());
    }

    void statisticsOfExactlyOne()
    {
        // One dictation: its words are the average.
        QCOMPARE(wordsPerDictationText(1, 7, true), QStringLiteral("7,0"));
        QCOMPARE(wordsPerDictation(1, 7), 7.0);
        QVERIFY(!showsEmptyState(1));
        QVERIFY(showsEmptyState(0));

        // One stored week: one bar and one axis mark.
        const QList<WeeklyChartPoint> one = weeklyChartPoints(R"([{"weekStart":"2025-3-3","dictations":1,"words":2}])");
        QCOMPARE(one.size(), 1);
        QCOMPARE(chartAxisMarks(one), (QList<QDate>{QDate(2025, 3, 3)}));
        // The last week exactly one stride after the first carries a mark too.
        QCOMPARE(chartAxisMarks({{QString(), QDate(2025, 3, 17), 2}, {QString(), QDate(2025, 3, 3), 1}}),
                 (QList<QDate>{QDate(2025, 3, 3), QDate(2025, 3, 17)}));
    }
};

QTEST_GUILESS_MAIN(TestHistoryAndStatsEdges)
#include "tst_HistoryAndStatsEdges.moc"

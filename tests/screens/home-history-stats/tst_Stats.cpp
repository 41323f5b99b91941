// The statistics screen: its rules and its view. Runs west of UTC: a week
// start or best day read as 00:00 UTC and shown in local time would land on
// the previous day here.
#include "account/SyncPayloads.h"
#include "screens/home-history-stats/StatsRules.h"
#include "screens/home-history-stats/ui/StatsDetailView.h"
#include "screens/home-history-stats/ui/WeeklyChartView.h"
#include "screens/settings/ui/ToolbarStrip.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimeZone>

#include <algorithm>

#include <ctime>

using namespace talvoro;
using namespace talvoro::stats;

class TestStats : public QObject
{
    Q_OBJECT

    std::unique_ptr<TemporarySettings> m_settings;
    AppEnvironment m_environment;

    void set(const SettingKey<qint64> &key, qint64 value) { m_settings->store->set(key, value); }

    QStringList texts(const QWidget &view, const char *name) const
    {
        QStringList result;
        for (const QLabel *label : view.findChildren<QLabel *>(QString::fromLatin1(name)))
            if (label->isVisibleTo(&view))
                result.append(label->text());
        return result;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QTimeZone::systemTimeZone().offsetFromUtc(QDateTime::currentDateTimeUtc()) < 0);
    }

    void init()
    {
        useLanguage(QStringLiteral("pt-BR"));
        m_settings = std::make_unique<TemporarySettings>();
        m_environment.settings = m_settings->store.get();
    }

    void dateTexts()
    {
        QCOMPARE(parseDateText(QStringLiteral("2025-3-7")), QDate(2025, 3, 7));
        QCOMPARE(parseDateText(QStringLiteral("2025--03-07")), QDate(2025, 3, 7));
        QCOMPARE(parseDateText(QStringLiteral("-2025-03-07-")), QDate(2025, 3, 7));
        for (const char *invalid : {"2025/03/07", "20250307", " 2025-3-7", "2025- 3-7", "2025-3-7 ", "2025-3",
                                    "2025-3-7-1", "2025-x-7", "2025-0x3-7", ""})
            QVERIFY2(!parseDateText(QString::fromLatin1(invalid)), invalid);
        // Rolled over as a lenient calendar does.
        QCOMPARE(parseDateText(QStringLiteral("2025-13-01")), QDate(2026, 1, 1));
        QCOMPARE(parseDateText(QStringLiteral("2025-02-30")), QDate(2025, 3, 2));
        QCOMPARE(parseDateText(QStringLiteral("2025-0-10")), QDate(2024, 12, 10));
        QCOMPARE(parseDateText(QStringLiteral("2025-3-0")), QDate(2025, 2, 28));
    }

    void chartPointsFromStoredBytes()
    {
        QVERIFY(weeklyChartPoints({}).isEmpty());
        QVERIFY(weeklyChartPoints("not json").isEmpty());
        QVERIFY(weeklyChartPoints(R"({"weekStart":"2025-3-3","dictations":1,"words":2})").isEmpty());
        // One entry without `words` spoils the whole chart.
        QVERIFY(weeklyChartPoints(R"([{"weekStart":"2025-3-3","dictations":1,"words":2},)"
                                  R"({"weekStart":"2025-3-10","dictations":1}])")
                    .isEmpty());

        const QByteArray stored = encodeWeeklyChart({{QStringLiteral("2025-03-10"), 4, 40},
                                                     {QStringLiteral("2025/03/17"), 9, 90},
                                                     {QStringLiteral("2025-3-3"), 2, 20}});
        const QList<WeeklyChartPoint> points = weeklyChartPoints(stored);
        QCOMPARE(points.size(), 2); // the invalid week is left out, the order kept
        QCOMPARE(points[0].id, QStringLiteral("2025-03-10"));
        QCOMPARE(points[0].weekStart, QDate(2025, 3, 10));
        QCOMPARE(points[0].dictations, 4);
        QCOMPARE(points[1].weekStart, QDate(2025, 3, 3));
    }

    void axisMarksEverySecondWeek()
    {
        QList<WeeklyChartPoint> points;
        for (int week = 7; week >= 0; --week) // stored newest first
            points.append({QString(), QDate(2025, 1, 6).addDays(7 * week), week});
        QCOMPARE(
            chartAxisMarks(points),
            (QList<QDate>{QDate(2025, 1, 6), QDate(2025, 1, 20), QDate(2025, 2, 3), QDate(2025, 2, 17)}));
        QCOMPARE(chartAxisLabel(QDate(2025, 3, 10), false), QStringLiteral("Mar 10"));
        QVERIFY(chartAxisMarks({}).isEmpty());
    }

    void summaryFigures()
    {
        QCOMPARE(wordsPerDictationText(3, 10, true), QStringLiteral("3,3"));
        QCOMPARE(wordsPerDictationText(3, 10, false), QStringLiteral("3.3"));
        QCOMPARE(wordsPerDictationText(-4, 10, true), QStringLiteral("0,0"));
        QCOMPARE(totalDictationsText(1234), QStringLiteral("1234"));
    }

    void detailRowsAndBestDay()
    {
        StatsFigures figures;
        figures.currentStreak = 1;
        QCOMPARE(detailRows(figures, true).size(), 4);
        QCOMPARE(detailRows(figures, true)[2].value, QStringLiteral("1 dia"));

        figures.bestDayDate = QStringLiteral("2025-03-10");
        figures.bestDayDictations = 1500;
        const QList<DetailRow> rows = detailRows(figures, true);
        QCOMPARE(rows.size(), 5);
        QCOMPARE(rows[2].caption, QStringLiteral("Melhor dia"));
        QCOMPARE(rows[2].value, QStringLiteral("10 de março (1.500)"));
        QCOMPARE(detailRows(figures, false)[2].value, QStringLiteral("March 10 (1,500)"));

        figures.bestDayDate = QStringLiteral(" 2025-03-10");
        QCOMPARE(detailRows(figures, true)[2].value, QStringLiteral(" 2025-03-10 (1.500)"));
    }
    void emptyPageOnlyAtZeroAndRedrawsOnChange()
    {
        useLanguage(QStringLiteral("en"));
        set(SettingsKeys::syncCurrentStreak, 4);
        m_settings->store->set(SettingsKeys::syncBestDayDate, QStringLiteral("2025-3-10"));
        StatsDetailView view(m_environment);
        QCOMPARE(view.findChild<settings::ToolbarStrip *>()->title(), QStringLiteral("Statistics"));
        QVERIFY(view.showsEmptyState());

        set(SettingsKeys::syncTotalDictations, -2);
        QVERIFY(!view.showsEmptyState());
        QCOMPARE(texts(view, "tileValue"),
                 (QStringList{QStringLiteral("-2"), QStringLiteral("0"), QStringLiteral("0.0")}));

        set(SettingsKeys::syncTotalDictations, 0);
        QVERIFY(view.showsEmptyState());
    }

    void detailRowsFollowTheBestDay()
    {
        useLanguage(QStringLiteral("en"));
        set(SettingsKeys::syncTotalDictations, 3);
        StatsDetailView view(m_environment);
        view.resize(640, 900);
        QCOMPARE(texts(view, "detailCaption").size(), 4);
        QCOMPARE(view.findChildren<QWidget *>(QStringLiteral("detailDivider")).size(), 3);
        QVERIFY(view.findChild<QLabel *>(QStringLiteral("noChartMark"))->isVisibleTo(&view));

        m_settings->store->set(SettingsKeys::syncBestDayDate, QStringLiteral("2025-03-10"));
        set(SettingsKeys::syncBestDayDictations, 12);
        QCOMPARE(texts(view, "detailCaption").size(), 5);
        QCOMPARE(view.findChildren<QWidget *>(QStringLiteral("detailDivider")).size(), 4);
        QVERIFY(texts(view, "detailValue").contains(QStringLiteral("March 10 (12)")));
    }

    // A pull writes one key at a time: each the screen observes, changed
    // alone, redraws it.
    void eachObservedKeyAloneRedraws_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("value");
        using namespace SettingsKeys;
        for (const SettingKeyBase *key : {&syncTotalDictations, &syncTotalWords, &syncCurrentStreak,
                                          &syncLongestStreak, &syncThisMonthDictations, &syncLast7DaysDictations,
                                          &syncBestDayDictations})
            QTest::addRow("%s", qPrintable(key->key())) << key->key() << QVariant(qint64(41));
        QTest::addRow("syncBestDayDate") << syncBestDayDate.key() << QVariant(QStringLiteral("2025-04-02"));
        QTest::addRow("syncWeeklyChart")
            << syncWeeklyChart.key()
            << QVariant(encodeWeeklyChart({{QStringLiteral("2025-03-10"), 9, 0}, {QStringLiteral("2025-03-03"), 2, 0}}));
        QTest::addRow("keyboardAccentColor") << keyboardAccentColor.key() << QVariant(QStringLiteral("orange"));
    }
    void eachObservedKeyAloneRedraws()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        using namespace SettingsKeys;
        for (const SettingKey<qint64> *figure : {&syncTotalDictations, &syncTotalWords, &syncCurrentStreak,
                                                 &syncLongestStreak, &syncThisMonthDictations,
                                                 &syncLast7DaysDictations, &syncBestDayDictations})
            set(*figure, 3);
        m_settings->store->set(syncBestDayDate, QStringLiteral("2025-03-10"));
        m_settings->store->set(syncWeeklyChart, encodeWeeklyChart({{QStringLiteral("2025-03-10"), 4, 0}}));
        StatsDetailView view(m_environment);
        view.resize(640, 900);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QImage before = view.grab().toImage();
        QCOMPARE(view.grab().toImage(), before);
        writeSetting(*m_settings->store, key, value);
        QVERIFY(view.grab().toImage() != before);
    }

    // Every bar inside the plot, the top of the value axis at least the
    // largest week, for maxima that are no round step.
    void barsStayInsideTheirPlot_data()
    {
        QTest::addColumn<QList<qint64>>("weeks");
        QTest::addRow("all zero") << QList<qint64>{0, 0};
        QTest::addRow("one") << QList<qint64>{1};
        QTest::addRow("3") << QList<qint64>{1, 3, 2};
        QTest::addRow("7") << QList<qint64>{7, 0, 5};
        QTest::addRow("11") << QList<qint64>{4, 11};
        QTest::addRow("99") << QList<qint64>{99, 98, 1, 50};
        QTest::addRow("101") << QList<qint64>{101, 100};
        QTest::addRow("a negative week") << QList<qint64>{-7, 11};
    }
    void barsStayInsideTheirPlot()
    {
        QFETCH(QList<qint64>, weeks);
        QList<WeeklyChartPoint> points;
        for (qsizetype i = 0; i < weeks.size(); ++i) // stored newest first
            points.append({QString(), QDate(2025, 3, 31).addDays(-7 * i), weeks[i]});
        WeeklyChartView chart;
        chart.resize(300, WeeklyChartView::kChartHeight);
        chart.setPoints(points, true);
        const QList<qint64> marks = chart.valueAxisMarks();
        QVERIFY(marks.size() >= 2);
        QVERIFY(marks.last() >= *std::max_element(weeks.begin(), weeks.end()));
        QVERIFY(marks.first() <= std::min<qint64>(0, *std::min_element(weeks.begin(), weeks.end())));
        for (qsizetype i = 2; i < marks.size(); ++i)
            QCOMPARE(marks[i] - marks[i - 1], marks[1] - marks[0]);
        const QRectF plot = chart.plotRect();
        QVERIFY(QRectF(chart.rect()).contains(plot));
        for (qsizetype i = 0; i < points.size(); ++i) {
            // An empty bar too: QRectF::contains() takes no empty rectangle.
            const QRectF bar = chart.barRect(i);
            QVERIFY2(bar.left() > plot.left() - 0.01 && bar.right() < plot.right() + 0.01
                         && bar.top() > plot.top() - 0.01 && bar.bottom() < plot.bottom() + 0.01,
                     qPrintable(QString::number(i)));
            // Its height is its share of the axis' span.
            QVERIFY(qAbs(bar.height() - plot.height() * qAbs(weeks[i]) / (marks.last() - marks.first())) < 0.01);
        }
    }

    // Every bar and label stays on its stored day.
    void chartKeepsStoredDays()
    {
        useLanguage(QStringLiteral("en"));
        set(SettingsKeys::syncTotalDictations, 3);
        m_settings->store->set(SettingsKeys::syncWeeklyChart,
                               encodeWeeklyChart({{QStringLiteral("2025-03-17"), 5, 0},
                                                  {QStringLiteral("2025-03-03"), 2, 0},
                                                  {QStringLiteral("2025-03-10"), 8, 0}}));
        StatsDetailView view(m_environment);
        view.resize(640, 900);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto *chart = view.findChild<WeeklyChartView *>();
        QVERIFY(chart->isVisibleTo(&view));
        QCOMPARE(chart->points().size(), 3);
        QCOMPARE(chart->axisLabels(), (QStringList{QStringLiteral("Mar 3"), QStringLiteral("Mar 17")}));
        // Stored order is kept, yet each bar stands in its own week.
        QVERIFY(chart->barRect(1).right() < chart->barRect(2).left());
        QVERIFY(chart->barRect(2).right() < chart->barRect(0).left());
        QVERIFY(chart->barRect(2).height() > chart->barRect(0).height());
    }
};

int main(int argc, char **argv)
{
    qputenv("TZ", "America/Los_Angeles");
    tzset();
    QApplication app(argc, argv);
    TestStats test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Stats.moc"

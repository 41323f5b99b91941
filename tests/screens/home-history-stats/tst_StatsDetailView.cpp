#include "account/SyncPayloads.h"
#include "screens/home-history-stats/ui/StatsDetailView.h"
#include "screens/home-history-stats/ui/WeeklyChartView.h"
#include "screens/settings/ui/ToolbarStrip.h"
#include "support/TestSupport.h"
#include "texts/Localization.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <ctime>

using namespace talvoro;
using namespace talvoro::stats;

class TestStatsDetailView : public QObject
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

private slots:
    void init()
    {
        overridePreferredLanguages(QStringList{QStringLiteral("en")});
        installTranslations();
        m_settings = std::make_unique<TemporarySettings>();
        m_environment = {};
        m_environment.settings = m_settings->store.get();
    }

    void emptyPageOnlyAtZeroAndRedrawsOnChange()
    {
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

    // West of UTC (see main): every bar and label stays on its stored day.
    void chartKeepsStoredDays()
    {
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
    TestStatsDetailView test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_StatsDetailView.moc"

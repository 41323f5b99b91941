#include "account/AuthManager.h"
#include "screens/home-history-stats/HomeDashboard.h"
#include "support/AccountTestSupport.h"
#include "texts/Localization.h"

#include <QCoroTimer>
#include <QTest>

#include <chrono>

using namespace talvoro;
using namespace talvoro::home;
using namespace std::chrono_literals;

namespace {

QCoro::Task<> recordAfter(QStringList *log, QString before, QString after, std::chrono::milliseconds delay)
{
    log->append(before);
    co_await QCoro::sleepFor(delay);
    log->append(after);
}

// Hooks that log when each call starts and ends; the drain takes a while so
// that an early pull would show up in the log.
HomeSyncHooks recordingHooks(QStringList *log)
{
    return {[log] { return recordAfter(log, QStringLiteral("drain"), QStringLiteral("drained"), 50ms); },
            [log] { return recordAfter(log, QStringLiteral("pull"), QStringLiteral("pulled"), 0ms); }};
}

} // namespace

class TestHomeRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")});
        installTranslations();
    }

    void weekRangeRunsFromMondayToToday()
    {
        // Monday: the same date twice.
        QCOMPARE(weekRangeText(QDate(2026, 12, 7), true), QStringLiteral("7 de dez. – 7 de dez."));
        // Sunday closes the week that began six days earlier.
        QCOMPARE(weekRangeText(QDate(2026, 12, 13), true), QStringLiteral("7 de dez. – 13 de dez."));
        QCOMPARE(weekRangeText(QDate(2026, 12, 13), false), QStringLiteral("Dec 7 – Dec 13"));
        // A week that starts in the old year.
        QCOMPARE(weekRangeText(QDate(2027, 1, 1), true), QStringLiteral("28 de dez. – 1 de jan."));
        QCOMPARE(weekRangeText(QDate(2027, 1, 3), false), QStringLiteral("Dec 28 – Jan 3"));
    }

    void usageFiguresAndBarColours()
    {
        const auto weekly = [](qint64 used, qint64 limit, bool portuguese = true) {
            return weeklyUsageFigures(UsageCounters{used, limit, 0, 0}, portuguese);
        };
        // The thresholds are inclusive: 49 of 70 is yellow, 63 of 70 orange.
        QVERIFY(!usageBarColor(weekly(48, 70).fraction).isValid());
        QCOMPARE(usageBarColor(weekly(49, 70).fraction), usageBarColor(0.7));
        QCOMPARE(usageBarColor(weekly(62, 70).fraction), usageBarColor(0.7));
        QCOMPARE(usageBarColor(weekly(63, 70).fraction), usageBarColor(1.0));
        QVERIFY(usageBarColor(0.7) != usageBarColor(0.9));

        // No stored limit: 70 a week, 60 an hour; over the limit the bar is
        // full while the text keeps the real figures.
        QCOMPARE(weekly(0, 0).countText, QStringLiteral("0 de 70"));
        QCOMPARE(weekly(75, -3).countText, QStringLiteral("75 de 70"));
        QCOMPARE(weekly(75, -3).fraction, 1.0);
        QCOMPARE(weekly(1500, 2000, false).countText, QStringLiteral("1,500 of 2,000"));
        QCOMPARE(weekly(1500, 2000, true).countText, QStringLiteral("1.500 de 2.000"));
        QCOMPARE(hourlyUsageFigures(UsageCounters{0, 0, 6, 0}, false).countText, QStringLiteral("6 of 60"));
        // A negative counter is an empty bar, not a negative one.
        QCOMPARE(weekly(-5, 70).fraction, 0.0);
        QVERIFY(!usageBarColor(weekly(-5, 70).fraction).isValid());

        QCOMPARE(hourlyUsageTitle(true), QStringLiteral("Limite por hora"));
        QCOMPARE(hourlyUsageTitle(false), QStringLiteral("Hourly limit"));
    }

    void quickStatColumnsShowTheStreakFromOneDay()
    {
        const QList<QuickStatColumn> none = quickStatColumns(0, 0, 0, true);
        QCOMPARE(none, (QList<QuickStatColumn>{{QStringLiteral("0"), QStringLiteral("DITADOS"), false},
                                               {QStringLiteral("0"), QStringLiteral("PALAVRAS"), false}}));
        const QList<QuickStatColumn> one = quickStatColumns(3, 12345, 1, true);
        QCOMPARE(one.size(), 3);
        QCOMPARE(one[1].value, QStringLiteral("12345"));
        QCOMPARE(one[2], (QuickStatColumn{QStringLiteral("1"), QStringLiteral("DIA"), true}));
        QCOMPARE(quickStatColumns(3, 4, 2, true).last().caption, QStringLiteral("DIAS"));
        // The captions are looked up; the case follows the language choice.
        overridePreferredLanguages(QStringList{QStringLiteral("en")});
        installTranslations();
        QCOMPARE(quickStatColumns(3, 4, 2, false).last().caption, QStringLiteral("DAYS"));
        overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")});
        installTranslations();
    }

    void refreshDrainsThenPullsOnlyWhileSignedIn()
    {
        LocalBackend backend;
        AuthHarness harness(backend.baseURL());
        QStringList log;
        QObject owner;
        auto *refresh = new HomeRefresh(harness.auth.get(), recordingHooks(&log), &owner);

        // Signed out: nothing at all.
        refresh->start();
        QTest::qWait(20);
        QVERIFY(log.isEmpty());

        // Signing in runs it, the pull only once the drain is done.
        QVERIFY(harness.signIn());
        const QStringList once{QStringLiteral("drain"), QStringLiteral("drained"), QStringLiteral("pull"),
                               QStringLiteral("pulled")};
        QTRY_COMPARE(log, once);

        // Every showing runs it again.
        log.clear();
        refresh->start();
        QTRY_COMPARE(log, once);

        // A screen that goes away during the drain is not pulled for.
        log.clear();
        refresh->start();
        QCOMPARE(log, QStringList{QStringLiteral("drain")});
        delete refresh;
        QTest::qWait(100);
        QCOMPARE(log, (QStringList{QStringLiteral("drain"), QStringLiteral("drained")}));

        // Signing out stops a running refresh before its pull.
        log.clear();
        refresh = new HomeRefresh(harness.auth.get(), recordingHooks(&log), &owner);
        refresh->start();
        harness.auth->signOut();
        QTest::qWait(100);
        QCOMPARE(log, (QStringList{QStringLiteral("drain"), QStringLiteral("drained")}));
    }
};

QTEST_MAIN(TestHomeRules)
#include "tst_HomeRules.moc"

#include "support/TestSupport.h"
#include "transcription/DictationTotals.h"
#include "transcription/FormattingOptions.h"
#include "transcription/TranscriptionDomain.h"
#include "transcription/UsageCounters.h"

#include <QSignalSpy>
#include <QTest>

#include <limits>

// The options and counters kept in the settings store.
class TestFormattingOptions : public QObject
{
    Q_OBJECT

    static const FormattingOptions &defaults()
    {
        static const FormattingOptions options{Tone::natural, true, true, true, true, true};
        return options;
    }

private Q_SLOTS:
    void roundTripsThroughTheSettingsAcrossRestart()
    {
        TemporarySettings s;
        const FormattingOptions chosen{Tone::formal, false, true, false, true, false};
        chosen.saveToUserDefaults(*s.store);
        s.reopen();
        QCOMPARE(FormattingOptions::loadFromUserDefaults(*s.store), chosen);
        QCOMPARE(s.store->dataValue(QStringLiteral("formattingOptions")),
                 QByteArray(R"({"tone":"formal","addParagraphs":false,"removeFinalPeriod":true,)"
                            R"("formatDates":false,"formatTimes":true,"formatLists":false})"));
    }

    void decoding_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("decodes");
        const QByteArray full = R"({"tone":"colloquial","addParagraphs":false,"removeFinalPeriod":false,)"
                                R"("formatDates":false,"formatTimes":false,"formatLists":false})";
        QTest::newRow("complete") << full << true;
        QTest::newRow("extra keys ignored")
            << QByteArray(R"({"version":2,"emoji":true,)") + full.mid(1) << true;
        QTest::newRow("keys in any order")
            << QByteArray(R"({"formatLists":false,"formatTimes":false,"formatDates":false,)"
                          R"("removeFinalPeriod":false,"addParagraphs":false,"tone":"colloquial"})")
            << true;
        QTest::newRow("absent") << QByteArray() << false;
        QTest::newRow("partial") << QByteArray(R"({"tone":"colloquial","addParagraphs":false})") << false;
        QTest::newRow("flag as number") << QByteArray(full).replace("\"formatLists\":false", "\"formatLists\":0")
                                        << false;
        QTest::newRow("unknown tone") << QByteArray(full).replace("colloquial", "sarcastic") << false;
        QTest::newRow("tone in capitals") << QByteArray(full).replace("colloquial", "Colloquial") << false;
        QTest::newRow("not json") << QByteArray("\x00\xff garbage", 10) << false;
    }

    void decoding()
    {
        QFETCH(QByteArray, stored);
        QFETCH(bool, decodes);
        TemporarySettings s;
        if (!stored.isNull())
            s.store->setData(QStringLiteral("formattingOptions"), stored);
        const FormattingOptions expected =
            decodes ? FormattingOptions{Tone::colloquial, false, false, false, false, false} : defaults();
        QCOMPARE(FormattingOptions::loadFromUserDefaults(*s.store), expected);
    }

    void aValueOfAnotherTypeReadsAsAbsent()
    {
        TemporarySettings s;
        s.store->setInt64(QStringLiteral("formattingOptions"), 5);
        QCOMPARE(FormattingOptions::loadFromUserDefaults(*s.store), defaults());
    }

    void usageCountersReadZeroWhenAbsentAndTreatNonPositiveLimitsAsNone()
    {
        TemporarySettings s;
        UsageCounters counters = UsageCounters::load(*s.store);
        QCOMPARE(counters, UsageCounters{});
        QVERIFY(!counters.effectiveWeeklyLimit());
        UsageCounters{12, 100, 3, -1}.save(*s.store);
        s.reopen();
        counters = UsageCounters::load(*s.store);
        QCOMPARE(s.store->int64Value(QStringLiteral("weeklyUsed")), 12);
        QCOMPARE(s.store->int64Value(QStringLiteral("hourlyUsed")), 3);
        QCOMPARE(counters.effectiveWeeklyLimit(), 100);
        QVERIFY(!counters.effectiveHourlyLimit());
    }

    void aDictationAdvancesAllThreeTotals()
    {
        TemporarySettings s;
        QSignalSpy changed(s.store.get(), &UserDefaultsProviding::changed);
        DictationTotals::recordDictation(*s.store, 42, 95.4);
        const DictationTotals totals = DictationTotals::recordDictation(*s.store, 8, 4.6);
        QCOMPARE(totals, (DictationTotals{2, 50, 100.0}));
        QCOMPARE(DictationTotals::load(*s.store), totals);
        QCOMPARE(s.store->int64Value(QStringLiteral("syncTotalDictations")), 2);
        QCOMPARE(s.store->int64Value(QStringLiteral("syncTotalWords")), 50);
        QCOMPARE(s.store->doubleValue(QStringLiteral("syncTotalDurationSeconds")), 100.0);
        QCOMPARE(changed.count(), 6);

        // A pull overwrites; the next dictation builds on the account's figures.
        DictationTotals{1000, 20000, 3600.5}.save(*s.store);
        QCOMPARE(DictationTotals::recordDictation(*s.store, 1, 1.0), (DictationTotals{1001, 20001, 3601.5}));
    }

    void unusableDictationFiguresDoNotCorruptTheTotals()
    {
        TemporarySettings s;
        DictationTotals{5, 10, 20.0}.save(*s.store);
        DictationTotals::recordDictation(*s.store, -3, std::numeric_limits<double>::quiet_NaN());
        DictationTotals::recordDictation(*s.store, 0, std::numeric_limits<double>::infinity());
        DictationTotals::recordDictation(*s.store, 0, -7.0);
        QCOMPARE(DictationTotals::load(*s.store), (DictationTotals{8, 10, 20.0}));

        DictationTotals{std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::max() - 1,
                        std::numeric_limits<double>::max()}
            .save(*s.store);
        const DictationTotals saturated = DictationTotals::recordDictation(*s.store, 10, 1e308);
        QCOMPARE(saturated.dictations, std::numeric_limits<qint64>::max());
        QCOMPARE(saturated.words, std::numeric_limits<qint64>::max());
        QCOMPARE(saturated.durationSeconds, std::numeric_limits<double>::max());
    }
};

QTEST_GUILESS_MAIN(TestFormattingOptions)
#include "tst_FormattingOptions.moc"

#include "transcription/DictionaryEntry.h"
#include "transcription/ReplacementRule.h"
#include "transcription/TranscriptionRecord.h"

#include <QRegularExpression>
#include <QTest>

#include <cmath>
#include <limits>

class TestTranscriptionRecord : public QObject
{
    Q_OBJECT

    static TranscriptionRecord record(qint64 words, double seconds)
    {
        return TranscriptionRecord(QStringLiteral("texto"), words, seconds, QStringLiteral("pt"));
    }

private Q_SLOTS:
    void wordCountAndDurationText_data()
    {
        QTest::addColumn<qint64>("words");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("portuguese");
        QTest::addColumn<QString>("english");
        QTest::newRow("rounds down") << qint64(42) << 95.4 << "42 palavras · 1:35" << "42 words · 1:35";
        QTest::newRow("rounds half up") << qint64(2) << 59.5 << "2 palavras · 1:00" << "2 words · 1:00";
        QTest::newRow("zero") << qint64(0) << 0.0 << "0 palavras · 0:00" << "0 words · 0:00";
        QTest::newRow("singular") << qint64(1) << 5.0 << "1 palavra · 0:05" << "1 word · 0:05";
        QTest::newRow("grouped count, long") << qint64(1234) << 3725.0 << "1.234 palavras · 62:05"
                                             << "1,234 words · 62:05";
        QTest::newRow("negative floors at zero") << qint64(3) << -12.0 << "3 palavras · 0:00" << "3 words · 0:00";
    }

    void wordCountAndDurationText()
    {
        QFETCH(qint64, words);
        QFETCH(double, seconds);
        QFETCH(QString, portuguese);
        QFETCH(QString, english);
        QCOMPARE(record(words, seconds).wordCountAndDurationText(true), portuguese);
        QCOMPARE(record(words, seconds).wordCountAndDurationText(false), english);
    }

    void unusableDurationsNeitherCrashNorMisprint()
    {
        QCOMPARE(TranscriptionRecord::durationText(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("0:00"));
        QCOMPARE(TranscriptionRecord::durationText(-std::numeric_limits<double>::infinity()), QStringLiteral("0:00"));
        const QString largest = QStringLiteral("153722867280912930:07");
        QCOMPARE(TranscriptionRecord::durationText(std::numeric_limits<double>::infinity()), largest);
        QCOMPARE(TranscriptionRecord::durationText(1e300), largest);
        QCOMPARE(TranscriptionRecord::durationText(9.3e18), largest);
        // Every result is minutes, a colon and exactly two digits of seconds.
        static const QRegularExpression shape(QStringLiteral("^\\d+:[0-5]\\d$"));
        for (double seconds : {0.49, 0.5, 59.49, 1e9 + 0.5, 4.5e15, 9.2e18, std::nextafter(0.0, 1.0)})
            QVERIFY2(shape.match(TranscriptionRecord::durationText(seconds)).hasMatch(), qPrintable(QString::number(seconds)));
    }

    void relativeSummaryPutsTheAgeFirst()
    {
        const QDateTime created = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000, Qt::UTC);
        TranscriptionRecord r(QStringLiteral("x"), 7, 95.4, QStringLiteral("en"), created);
        QCOMPARE(r.relativeSummaryText(created.addSecs(5 * 60), true), QStringLiteral("5 min · 7 palavras · 1:35"));
        QCOMPARE(r.relativeSummaryText(created.addSecs(3 * 86400), false), QStringLiteral("3 days · 7 words · 1:35"));
        QCOMPARE(r.relativeSummaryText(created, false), QStringLiteral("now · 7 words · 1:35"));
    }

    void idsHaveOneCanonicalText()
    {
        const QUuid id = QUuid::fromString(QStringLiteral("{e621e1f8-c36c-495a-93fc-0c247a3e6e5f}"));
        ReplacementRule rule(QStringLiteral("a"), QStringLiteral("b"));
        rule.id = id;
        QCOMPARE(rule.idString(), QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"));
        QCOMPARE(talvoro::uuidFromString(QStringLiteral("e621e1f8-c36c-495a-93fc-0c247a3e6e5f")), id);
        QCOMPARE(talvoro::uuidFromString(rule.idString()), id);
        QVERIFY(!talvoro::uuidFromString(QStringLiteral("not-an-id")));
        QVERIFY(!talvoro::uuidFromString(QString()));
    }

    void idOrderIsTheOrderOfTheirTexts()
    {
        QList<QUuid> ids;
        for (int i = 0; i < 200; ++i)
            ids << QUuid::createUuid();
        for (const QUuid &a : ids) {
            const QUuid &b = ids.at(int(qHash(a) % ids.size()));
            const int byText = talvoro::uuidString(a).compare(talvoro::uuidString(b));
            QCOMPARE(talvoro::compareIds(a, b) < 0, byText < 0);
            QCOMPARE(talvoro::compareIds(a, b) == 0, byText == 0);
        }
    }

    void payloadMillisecondsRoundTrip()
    {
        // Compared as integers: QCOMPARE on doubles near 1.7e12 tolerates about 2 ms.
        for (qint64 ms : {qint64(0), qint64(1), qint64(1'700'000'000'123), qint64(-86'400'000),
                          qint64(4'102'444'800'000)}) {
            const QDateTime date = talvoro::dateFromMillisecondsSince1970(double(ms));
            QCOMPARE(date.toMSecsSinceEpoch(), ms);
            QCOMPARE(qint64(talvoro::millisecondsSince1970(date)), ms);
        }
        // A fraction is kept, not rounded: the whole millisecond is its floor,
        // and the payload's number comes back exactly.
        const talvoro::ModelDate fraction = talvoro::dateFromMillisecondsSince1970(1'700'000'000'123.6);
        QCOMPARE(fraction.toMSecsSinceEpoch(), qint64(1'700'000'000'123));
        QVERIFY(talvoro::millisecondsSince1970(fraction) == 1'700'000'000'123.6);
        QVERIFY(!talvoro::dateFromMillisecondsSince1970(std::nan("")).isValid());
        QVERIFY(!talvoro::dateFromMillisecondsSince1970(1e300).isValid());
        QCOMPARE(talvoro::millisecondsSince1970(QDateTime()), 0.0);
    }
};

QTEST_GUILESS_MAIN(TestTranscriptionRecord)
#include "tst_TranscriptionRecord.moc"

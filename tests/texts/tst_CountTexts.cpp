// Every count caption at zero, exactly one and two, in both languages: each
// has its own pair of words, so each can have them the wrong way round.
#include "texts/LocalizedTexts.h"

#include <QTest>

using namespace talvoro;

class TestCountTexts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void eachCountAtZeroOneAndTwo_data()
    {
        QTest::addColumn<QString (*)(qint64, bool)>("text");
        QTest::addColumn<QStringList>("portuguese"); // for 0, 1 and 2
        QTest::addColumn<QStringList>("english");
        QTest::newRow("words") << &localizedWordCount << QStringList{"0 palavras", "1 palavra", "2 palavras"}
                               << QStringList{"0 words", "1 word", "2 words"};
        QTest::newRow("days") << &localizedDayCount << QStringList{"0 dias", "1 dia", "2 dias"}
                              << QStringList{"0 days", "1 day", "2 days"};
        QTest::newRow("dictations") << &localizedDictationCount << QStringList{"0 ditados", "1 ditado", "2 ditados"}
                                    << QStringList{"0 dictations", "1 dictation", "2 dictations"};
        QTest::newRow("rules") << &localizedRuleCount << QStringList{"0 regras", "1 regra", "2 regras"}
                               << QStringList{"0 rules", "1 rule", "2 rules"};
        QTest::newRow("terms") << &localizedTermCount << QStringList{"0 termos", "1 termo", "2 termos"}
                               << QStringList{"0 terms", "1 term", "2 terms"};
        QTest::newRow("permissions")
            << &localizedPendingPermissionCount
            << QStringList{"0 permissões pendentes", "1 permissão pendente", "2 permissões pendentes"}
            << QStringList{"0 pending permissions", "1 pending permission", "2 pending permissions"};
        QTest::newRow("this week")
            << &weeklyTranscriptionCountText
            << QStringList{"0 transcrições esta semana", "1 transcrição esta semana", "2 transcrições esta semana"}
            << QStringList{"0 transcriptions this week", "1 transcription this week", "2 transcriptions this week"};
    }
    void eachCountAtZeroOneAndTwo()
    {
        using Text = QString (*)(qint64, bool);
        QFETCH(Text, text);
        QFETCH(QStringList, portuguese);
        QFETCH(QStringList, english);
        for (qint64 count = 0; count <= 2; ++count) {
            QCOMPARE(text(count, true), portuguese[count]);
            QCOMPARE(text(count, false), english[count]);
        }
    }
};

QTEST_GUILESS_MAIN(TestCountTexts)
#include "tst_CountTexts.moc"

#include "texts/LocalizedTexts.h"
#include "platform/SettingsKeys.h"

#include <QTest>

using namespace talvoro;

namespace {
constexpr QChar nbsp(0x00A0);
}

class TestLocalizedTexts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup()
    {
        overridePreferredLanguages(std::nullopt);
        QLocale::setDefault(QLocale::system());
    }

    void languageChoiceFromPreferredLanguages_data()
    {
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<bool>("portuguese");
        QTest::newRow("en-US") << QStringList{"en-US"} << false;
        QTest::newRow("upper-case EN") << QStringList{"EN-gb"} << false;
        QTest::newRow("unshipped first, English next") << QStringList{"fr-FR", "en-GB"} << false;
        QTest::newRow("pt-PT") << QStringList{"pt-PT"} << true;
        QTest::newRow("Portuguese before English") << QStringList{"pt-BR", "en-US"} << true;
        QTest::newRow("none") << QStringList{} << true;
        QTest::newRow("German only") << QStringList{"de"} << true;
        QTest::newRow("nothing shipped") << QStringList{"fr", "de-AT"} << true;
    }
    void languageChoiceFromPreferredLanguages()
    {
        QFETCH(QStringList, preferred);
        QFETCH(bool, portuguese);
        overridePreferredLanguages(preferred);
        QCOMPARE(isPortuguese(), portuguese);
        QCOMPARE(textLocale(isPortuguese()).language(), portuguese ? QLocale::Portuguese : QLocale::English);
    }

    void messageDefaultsFollowTheLanguageChoice()
    {
        overridePreferredLanguages(QStringList{"en-US"});
        QCOMPARE(networkErrorMessage(QStringLiteral("offline")), QStringLiteral("Network error: offline"));
        overridePreferredLanguages(QStringList{"de"});
        QCOMPARE(networkErrorMessage(QStringLiteral("offline")), QStringLiteral("Erro de rede: offline"));
    }

    void defaultTranscriptionLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("pt_BR") << "pt_BR" << "pt";
        QTest::newRow("en_GB") << "en_GB" << "en";
        QTest::newRow("fr_CA") << "fr_CA" << "fr";
        QTest::newRow("de_DE") << "de_DE" << "auto";
        QTest::newRow("C") << "C" << "auto";
    }
    void defaultTranscriptionLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(QString, expected);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(talvoro::defaultTranscriptionLanguage(), expected);
    }

    void integersGroupByLocale()
    {
        QCOMPARE(localizedNumber(1234567, true), QStringLiteral("1.234.567"));
        QCOMPARE(localizedNumber(1234567, false), QStringLiteral("1,234,567"));
        QCOMPARE(localizedNumber(-4500, true), QStringLiteral("-4.500"));
        QCOMPARE(localizedCountOfTotal(3, 1000, true), QStringLiteral("3 de 1.000"));
        QCOMPARE(localizedCountOfTotal(75, 70, false), QStringLiteral("75 of 70"));
    }

    void compactNumbers()
    {
        QCOMPARE(localizedCompactNumber(999, false), QStringLiteral("999"));
        QCOMPARE(localizedCompactNumber(1000, false), QStringLiteral("1K"));
        QCOMPARE(localizedCompactNumber(1200, false), QStringLiteral("1.2K"));
        QCOMPARE(localizedCompactNumber(1500000, false), QStringLiteral("1.5M"));
        QCOMPARE(localizedCompactNumber(1200, true), QStringLiteral("1,2") + nbsp + QStringLiteral("mil"));
        QCOMPARE(localizedCompactNumber(1500000, true), QStringLiteral("1,5") + nbsp + QStringLiteral("mi"));
    }

    void decimalNumbersHaveExactlyTheFractionDigits()
    {
        QCOMPARE(localizedDecimalNumber(1, true, 4.0), QStringLiteral("4,0"));
        QCOMPARE(localizedDecimalNumber(2, false, 4.0), QStringLiteral("4.00"));
        QCOMPARE(localizedDecimalNumber(2, true, 1234.5), QStringLiteral("1.234,50"));
        QCOMPARE(localizedDecimalNumber(0, false, 7.6), QStringLiteral("8"));
        // Ties round to even, as the platform formats them; 2.35 is just above the tie in binary.
        QCOMPARE(localizedDecimalNumber(1, true, 2.25), QStringLiteral("2,2"));
        QCOMPARE(localizedDecimalNumber(1, false, 2.35), QStringLiteral("2.4"));
        QCOMPARE(localizedDecimalNumber(-1, false, 2.5), QStringLiteral("2")); // no negative precision
    }

    void pluralsAndGrouping()
    {
        QCOMPARE(localizedWordCount(1, true), QStringLiteral("1 palavra"));
        QCOMPARE(localizedWordCount(0, false), QStringLiteral("0 words"));
        QCOMPARE(localizedWordCount(1000, true), QStringLiteral("1.000 palavras"));
        // Both words of the phrase follow the count.
        QCOMPARE(localizedPendingPermissionCount(1, true), QStringLiteral("1 permissão pendente"));
        QCOMPARE(localizedPendingPermissionCount(2, true), QStringLiteral("2 permissões pendentes"));
        QCOMPARE(weeklyTranscriptionCountText(1000, false), QStringLiteral("1,000 transcriptions this week"));
    }

    void relativeAgeBoundaries_data()
    {
        QTest::addColumn<qint64>("age");
        QTest::addColumn<QString>("portuguese");
        QTest::addColumn<QString>("english");
        constexpr qint64 min = 60, hour = 3600, day = 86400, week = 7 * day;
        QTest::newRow("in the future") << qint64(-5) << "agora" << "now";
        QTest::newRow("59 s") << qint64(59) << "agora" << "now";
        QTest::newRow("60 s") << min << "1 min" << "1 min";
        QTest::newRow("1 h") << hour << "1 h" << "1 hr";
        QTest::newRow("23 h 59 min") << day - min << "23 h" << "23 hr";
        QTest::newRow("1 day") << day << "1 dia" << "1 day";
        QTest::newRow("1 week") << week << "1 sem" << "1 wk";
        QTest::newRow("1000 weeks") << 1000 * week << "1.000 sem" << "1,000 wk";
    }
    void relativeAgeBoundaries()
    {
        QFETCH(qint64, age);
        QFETCH(QString, portuguese);
        QFETCH(QString, english);
        const QDateTime reference = QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC);
        QCOMPARE(shortRelativeText(reference.addSecs(-age), reference, true), portuguese);
        QCOMPARE(shortRelativeText(reference.addSecs(-age), reference, false), english);
    }

    void relativeAgeNeverFails()
    {
        const QDateTime reference = QDateTime::currentDateTimeUtc();
        QCOMPARE(shortRelativeText(QDateTime(), reference, true), QStringLiteral("agora"));
        QCOMPARE(shortRelativeText(reference, QDateTime(), false), QStringLiteral("now"));
        // Under a minute by a millisecond is still "now".
        QCOMPARE(shortRelativeText(reference.addMSecs(-59'999), reference, false), QStringLiteral("now"));
    }

    void messagesGroupTheirNumbers()
    {
        QCOMPARE(rateLimitMessage(1500, true),
                 QStringLiteral("Limite de uso atingido. Tente novamente em 1.500 segundos."));
        QCOMPARE(weeklyLimitReachedMessage(1200, 1000, false), QStringLiteral("Weekly limit reached (1200/1000)."));
        QCOMPARE(unknownKeyName(1234, false), QStringLiteral("Key1234")); // no grouping, no space
    }
};

QTEST_GUILESS_MAIN(TestLocalizedTexts)
#include "tst_LocalizedTexts.moc"

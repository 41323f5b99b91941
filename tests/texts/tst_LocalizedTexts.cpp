#include "texts/LocalizedTexts.h"

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
        QTest::newRow("pt_PT") << "pt_PT" << "pt";
        QTest::newRow("en_GB") << "en_GB" << "en";
        QTest::newRow("es_MX") << "es_MX" << "es";
        QTest::newRow("fr_CA") << "fr_CA" << "fr";
        QTest::newRow("de_DE") << "de_DE" << "auto";
        QTest::newRow("ja_JP") << "ja_JP" << "auto";
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
        QCOMPARE(localizedNumber(0, true), QStringLiteral("0"));
        QCOMPARE(localizedNumber(999, true), QStringLiteral("999"));
        QCOMPARE(localizedNumber(1000, true), QStringLiteral("1.000"));
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
        QCOMPARE(localizedCompactNumber(999, true), QStringLiteral("999"));
        QCOMPARE(localizedCompactNumber(1200, true), QStringLiteral("1,2") + nbsp + QStringLiteral("mil"));
        QCOMPARE(localizedCompactNumber(1500000, true), QStringLiteral("1,5") + nbsp + QStringLiteral("mi"));
    }

    void decimalNumbersHaveExactlyTheFractionDigits()
    {
        QCOMPARE(localizedDecimalNumber(1, true, 4.0), QStringLiteral("4,0"));
        QCOMPARE(localizedDecimalNumber(2, false, 4.0), QStringLiteral("4.00"));
        QCOMPARE(localizedDecimalNumber(2, true, 1234.5), QStringLiteral("1.234,50"));
        QCOMPARE(localizedDecimalNumber(2, false, 1234.5), QStringLiteral("1,234.50"));
        QCOMPARE(localizedDecimalNumber(0, false, 7.6), QStringLiteral("8"));
        // Ties round to even, as the platform formats them; 2.35 is just above the tie in binary.
        QCOMPARE(localizedDecimalNumber(1, true, 2.25), QStringLiteral("2,2"));
        QCOMPARE(localizedDecimalNumber(1, false, 2.35), QStringLiteral("2.4"));
        QCOMPARE(localizedDecimalNumber(-1, false, 2.5), QStringLiteral("2")); // no negative precision
    }

    void pluralWords_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("portuguese"); // counts 0, 1, 2, 1000
        QTest::addColumn<QStringList>("english");
        QTest::newRow("words") << 0 << QStringList{"0 palavras", "1 palavra", "2 palavras", "1.000 palavras"}
                               << QStringList{"0 words", "1 word", "2 words", "1,000 words"};
        QTest::newRow("days") << 1 << QStringList{"0 dias", "1 dia", "2 dias", "1.000 dias"}
                              << QStringList{"0 days", "1 day", "2 days", "1,000 days"};
        QTest::newRow("dictations") << 2 << QStringList{"0 ditados", "1 ditado", "2 ditados", "1.000 ditados"}
                                    << QStringList{"0 dictations", "1 dictation", "2 dictations", "1,000 dictations"};
        QTest::newRow("rules") << 3 << QStringList{"0 regras", "1 regra", "2 regras", "1.000 regras"}
                               << QStringList{"0 rules", "1 rule", "2 rules", "1,000 rules"};
        QTest::newRow("terms") << 4 << QStringList{"0 termos", "1 termo", "2 termos", "1.000 termos"}
                               << QStringList{"0 terms", "1 term", "2 terms", "1,000 terms"};
        QTest::newRow("pending permissions")
            << 5 << QStringList{"0 permissões pendentes", "1 permissão pendente", "2 permissões pendentes", "1.000 permissões pendentes"}
            << QStringList{"0 pending permissions", "1 pending permission", "2 pending permissions", "1,000 pending permissions"};
        QTest::newRow("weekly transcriptions")
            << 6 << QStringList{"0 transcrições esta semana", "1 transcrição esta semana", "2 transcrições esta semana", "1.000 transcrições esta semana"}
            << QStringList{"0 transcriptions this week", "1 transcription this week", "2 transcriptions this week", "1,000 transcriptions this week"};
    }
    void pluralWords()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, portuguese);
        QFETCH(QStringList, english);
        using Helper = QString (*)(qint64, bool);
        const Helper helpers[] = {localizedWordCount, localizedDayCount, localizedDictationCount, localizedRuleCount,
                                  localizedTermCount, localizedPendingPermissionCount, weeklyTranscriptionCountText};
        const qint64 counts[] = {0, 1, 2, 1000};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(helpers[kind](counts[i], true), portuguese[i]);
            QCOMPARE(helpers[kind](counts[i], false), english[i]);
        }
    }

    void relativeAgeBoundaries_data()
    {
        QTest::addColumn<qint64>("age");
        QTest::addColumn<QString>("portuguese");
        QTest::addColumn<QString>("english");
        constexpr qint64 min = 60, hour = 3600, day = 86400, week = 7 * day;
        QTest::newRow("in the future") << qint64(-5) << "agora" << "now";
        QTest::newRow("far future") << -3 * week << "agora" << "now";
        QTest::newRow("0 s") << qint64(0) << "agora" << "now";
        QTest::newRow("59 s") << qint64(59) << "agora" << "now";
        QTest::newRow("60 s") << min << "1 min" << "1 min";
        QTest::newRow("59 min 59 s") << hour - 1 << "59 min" << "59 min";
        QTest::newRow("1 h") << hour << "1 h" << "1 hr";
        QTest::newRow("23 h 59 min") << day - min << "23 h" << "23 hr";
        QTest::newRow("1 day") << day << "1 dia" << "1 day";
        QTest::newRow("6 days 23 h") << week - hour << "6 dias" << "6 days";
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

    void keyNames()
    {
        const std::pair<quint16, std::pair<const char *, const char *>> named[] = {
            {36, {"Enter", "Return"}}, {48, {"Tab", "Tab"}}, {49, {"Espaço", "Space"}},
            {51, {"Apagar", "Delete"}}, {53, {"Esc", "Esc"}}};
        for (const auto &[code, names] : named) {
            QCOMPARE(specialKeyName(code, true), std::optional(QString::fromUtf8(names.first)));
            QCOMPARE(specialKeyName(code, false), std::optional(QString::fromUtf8(names.second)));
        }
        for (quint16 code : {0, 2, 35, 50, 52, 76, 117})
            QVERIFY(!specialKeyName(code, true).has_value());
        QCOMPARE(unknownKeyName(2, true), QStringLiteral("Tecla2"));
        QCOMPARE(unknownKeyName(1234, false), QStringLiteral("Key1234")); // no grouping, no space
    }

    void messages()
    {
        QCOMPARE(rateLimitMessage(1500, true),
                 QStringLiteral("Limite de uso atingido. Tente novamente em 1.500 segundos."));
        QCOMPARE(rateLimitMessage(30, false), QStringLiteral("Usage limit reached. Try again in 30 seconds."));
        QCOMPARE(uploadDelayedMessage(45, true),
                 QStringLiteral("O envio foi temporariamente adiado. Vamos tentar novamente em 45 segundos."));
        QCOMPARE(uploadDelayedMessage(45, false),
                 QStringLiteral("Upload was temporarily delayed. We'll try again in 45 seconds."));
        QCOMPARE(weeklyLimitReachedMessage(70, 70, true), QStringLiteral("Limite semanal atingido (70/70)."));
        QCOMPARE(weeklyLimitReachedMessage(1200, 1000, false), QStringLiteral("Weekly limit reached (1200/1000)."));
        QCOMPARE(serverErrorMessage(503, QStringLiteral("indisponível"), true),
                 QStringLiteral("Erro do servidor (503): indisponível"));
        QCOMPARE(serverErrorMessage(500, QString(), false), QStringLiteral("Server error (500): "));
        QCOMPARE(encryptionErrorMessage(QStringLiteral("bad key"), true), QStringLiteral("Erro de criptografia: bad key"));
        QCOMPARE(encryptionErrorMessage(QStringLiteral("bad key"), false), QStringLiteral("Encryption error: bad key"));
    }
};

QTEST_GUILESS_MAIN(TestLocalizedTexts)
#include "tst_LocalizedTexts.moc"

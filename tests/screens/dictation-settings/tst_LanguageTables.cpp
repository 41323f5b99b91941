#include "texts/Localization.h"
#include "screens/dictation-settings/LanguageTables.h"
#include "screens/dictation-settings/SupportedLanguage.h"
#include "screens/dictation-settings/TranslationTarget.h"
#include "support/FakeSpellChecker.h"

#include <QTest>

using namespace talvoro;

namespace {

const QString kPt = QStringLiteral("pt");
const QString kEs = QStringLiteral("es");
const QString kAuto = QStringLiteral("auto");

} // namespace

class TestLanguageTables : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")});
        installTranslations();
    }

    void cleanupTestCase()
    {
        overridePreferredLanguages(std::nullopt);
        installTranslations();
    }

    void codesAreComparedExactly()
    {
        QCOMPARE(languageDisplayName(kPt), QStringLiteral("Português"));
        QCOMPARE(languageShortLabel(kEs), QStringLiteral("ES"));
        // Outside the table, an upper-cased known code among them: upper-cased.
        QCOMPARE(languageDisplayName(QStringLiteral("PT")), QStringLiteral("PT"));
        QCOMPARE(languageDisplayName(kAuto), QStringLiteral("AUTO"));
        for (SupportedLanguage language : kAllSupportedLanguages)
            QCOMPARE(supportedLanguageFromRawValue(rawValue(language)), language);
        for (TranslationTarget target : kAllTranslationTargets)
            QCOMPARE(translationTargetFromRawValue(rawValue(target)), target);
        QCOMPARE(supportedLanguageFromRawValue(QStringLiteral("PT")), std::nullopt);
        QCOMPARE(translationTargetFromRawValue(kAuto), std::nullopt);
        QCOMPARE(translationTargetFromRawValue(QStringLiteral("pt-BR")), std::nullopt);
    }

    void candidateOrderDecidesTheDictionary_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("expected"); // empty: none

        QTest::newRow("pt prefers pt_BR") << kPt << QStringList{"pt", "pt_BR"} << "pt_BR";
        QTest::newRow("pt falls back to pt") << kPt << QStringList{"pt", "en_US"} << "pt";
        QTest::newRow("pt only under another region") << kPt << QStringList{"pt_PT"} << "";
        QTest::newRow("en prefers en_US") << "en" << QStringList{"en_GB", "en", "en_US"} << "en_US";
        QTest::newRow("es prefers the bare code") << kEs << QStringList{"es_ES", "es"} << "es";
        QTest::newRow("es without the bare code") << kEs << QStringList{"es_MX", "es_ES"} << "es_ES";
        QTest::newRow("code outside the table") << "de" << QStringList{"de", "de_DE"} << "";
        QTest::newRow("auto has no candidates") << kAuto << QStringList{"pt_BR"} << "";
        QTest::newRow("codes are case-sensitive") << "PT" << QStringList{"pt_BR"} << "";
    }

    void candidateOrderDecidesTheDictionary()
    {
        QFETCH(QString, code);
        QFETCH(QStringList, installed);
        QFETCH(QString, expected);
        const FakeSpellChecker checker(installed);
        const std::optional<QString> language = availableSpellCheckerLanguage(code, checker);
        QCOMPARE(language.value_or(QString()), expected);
    }

    void checkRunsInTheResolvedDictionary()
    {
        const FakeSpellChecker checker({"es_MX", "es_ES"},
                                       {{"es_ES", {"hola"}}, {"es_MX", {"órale"}}});
        QVERIFY(isCorrectlySpelled(QStringLiteral("hola"), kEs, checker));
        QVERIFY(!isCorrectlySpelled(QStringLiteral("órale"), kEs, checker));
        QCOMPARE(checker.checkedLanguages(), QStringList({"es_ES", "es_ES"}));
    }

    void noDictionaryMeansNotCorrect()
    {
        // Outside the table: false without asking the checker anything.
        const FakeSpellChecker everything({"de", "de_DE"}, {{"de", {"Haus"}}, {"de_DE", {"Haus"}}});
        QVERIFY(!isCorrectlySpelled(QStringLiteral("Haus"), QStringLiteral("de"), everything));
        QVERIFY(!isCorrectlySpelled(QStringLiteral("Haus"), QStringLiteral("DE"), everything));
        QCOMPARE(everything.languageListReads(), 0);
        QVERIFY(everything.checkedLanguages().isEmpty());

        // Portuguese installed only under a region the table does not name.
        const FakeSpellChecker portugal({"pt_PT"}, {{"pt_PT", {"casa"}}});
        QVERIFY(!isCorrectlySpelled(QStringLiteral("casa"), kPt, portugal));
        QVERIFY(portugal.checkedLanguages().isEmpty());
    }

    void autoAcceptsAWordOfAnyLanguage()
    {
        const FakeSpellChecker checker({"pt_BR", "en_US", "es", "fr", "de"},
                                       {{"pt_BR", {"casa"}},
                                        {"en_US", {"house"}},
                                        {"fr", {"maison"}},
                                        {"de", {"haus"}}});
        QVERIFY(isCorrectlySpelled(QStringLiteral("maison"), kAuto, checker));
        QVERIFY(isCorrectlySpelled(QStringLiteral("casa"), kAuto, checker));
        // German is not one of the dictionary's languages.
        QVERIFY(!isCorrectlySpelled(QStringLiteral("haus"), kAuto, checker));

        // A word nobody accepts is tried once in each of the four languages.
        const FakeSpellChecker fresh(checker.installed, checker.acceptedWords);
        QVERIFY(!isCorrectlySpelled(QStringLiteral("xqzv"), kAuto, fresh));
        QStringList tried = fresh.checkedLanguages();
        tried.sort();
        QCOMPARE(tried, QStringList({"en_US", "es", "fr", "pt_BR"}));
    }

    void autoTriesOnlyThePreferredVariant()
    {
        // en_US is preferred, so a word known only to en_GB is not accepted;
        // a language with nothing installed is skipped.
        const FakeSpellChecker checker({"en_GB", "en_US"}, {{"en_GB", {"colour"}}});
        QVERIFY(!isCorrectlySpelled(QStringLiteral("colour"), kAuto, checker));
        QCOMPARE(checker.checkedLanguages(), QStringList{"en_US"});

        const FakeSpellChecker none;
        QVERIFY(!isCorrectlySpelled(QStringLiteral("casa"), kAuto, none));
        QVERIFY(!isCorrectlySpelled(QString(), kAuto, none));
    }

    void emptyTextHasNoMisspelling()
    {
        const FakeSpellChecker checker({"pt_BR"});
        QVERIFY(isCorrectlySpelled(QString(), kPt, checker));
        QVERIFY(isCorrectlySpelled(QString(), kAuto, checker));
        QVERIFY(!isCorrectlySpelled(QString(), kEs, checker));
        QVERIFY(!isCorrectlySpelled(QString(), QStringLiteral("xx"), checker));
    }
};

QTEST_GUILESS_MAIN(TestLanguageTables)
#include "tst_LanguageTables.moc"

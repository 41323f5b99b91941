#include "platform/EnchantSpellChecker.h"
#include "screens/dictation-settings/LanguageTables.h"

#include <QTest>

#include <atomic>
#include <thread>
#include <vector>

using namespace talvoro;

namespace {
// One checker for the whole test, as the application has.
EnchantSpellChecker &enchant()
{
    static EnchantSpellChecker instance;
    return instance;
}

const SpellChecking &checker()
{
    return enchant();
}
} // namespace

// Runs against the hunspell dictionaries that scripts/setup installs
// (pt_BR, en_US, the Spanish regions and French).
class TestEnchantSpellChecker : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        const QStringList installed = enchant().installedDictionaries();
        for (const char *needed : {"pt_BR", "en_US", "es_ES", "fr"}) {
            if (!installed.contains(QLatin1String(needed)))
                QSKIP(qPrintable(QStringLiteral("Dictionary %1 not installed").arg(needed)));
        }
    }

    void installedDictionariesResolveEveryLanguage()
    {
        QCOMPARE(availableSpellCheckerLanguage(QStringLiteral("pt"), checker()), QStringLiteral("pt_BR"));
        QCOMPARE(availableSpellCheckerLanguage(QStringLiteral("en"), checker()), QStringLiteral("en_US"));
        QCOMPARE(availableSpellCheckerLanguage(QStringLiteral("fr"), checker()), QStringLiteral("fr"));
        // Debian has no bare "es" dictionary, only regional ones.
        const QString spanish = availableSpellCheckerLanguage(QStringLiteral("es"), checker()).value_or(QString());
        QVERIFY2(spanish == QLatin1String("es") || spanish == QLatin1String("es_ES"),
                 qPrintable(spanish));
    }

    void realWordsInTheirLanguages()
    {
        QVERIFY(isCorrectlySpelled(QStringLiteral("coração"), QStringLiteral("pt"), checker()));
        QVERIFY(isCorrectlySpelled(QStringLiteral("house"), QStringLiteral("en"), checker()));
        QVERIFY(isCorrectlySpelled(QStringLiteral("mañana"), QStringLiteral("es"), checker()));
        QVERIFY(isCorrectlySpelled(QStringLiteral("château"), QStringLiteral("fr"), checker()));
        QVERIFY(!isCorrectlySpelled(QStringLiteral("château"), QStringLiteral("en"), checker()));
        QVERIFY(!isCorrectlySpelled(QStringLiteral("kubernetz"), QStringLiteral("pt"), checker()));
        QVERIFY(!isCorrectlySpelled(QStringLiteral("casa"), QStringLiteral("de"), checker()));
        QVERIFY(isCorrectlySpelled(QStringLiteral("château"), QStringLiteral("auto"), checker()));
        QVERIFY(!isCorrectlySpelled(QStringLiteral("xqzvwk"), QStringLiteral("auto"), checker()));
    }

    void textsAreCutIntoWords()
    {
        const EnchantSpellChecker &checker = enchant();
        const QString pt = QStringLiteral("pt_BR");
        QCOMPARE(checker.firstMisspelledWordOffset(QStringLiteral("uma casa xqzvwk"), pt), 9);
        // Punctuation, spaces and numbers are not words.
        QCOMPARE(checker.firstMisspelledWordOffset(QStringLiteral("  casa, 123!  "), pt), -1);
        QCOMPARE(checker.firstMisspelledWordOffset(QString(), pt), -1);
        QCOMPARE(checker.firstMisspelledWordOffset(QStringLiteral("l'été"), QStringLiteral("fr")), -1);
        // A language without a dictionary cannot vouch for any word.
        QCOMPARE(checker.firstMisspelledWordOffset(QStringLiteral(" casa"), QStringLiteral("xx_YY")), 1);
        QCOMPARE(checker.firstMisspelledWordOffset(QStringLiteral("..."), QStringLiteral("xx_YY")), -1);
    }

    void manyThreadsShareOneChecker()
    {
        // Enchant dictionaries are not thread-safe; the checker serialises
        // them, so concurrent callers get the same answers as a single one.
        const QStringList words{"coração", "xqzvwk", "mañana", "house", "château", "blorfic"};
        const QStringList codes{"pt", "auto", "es", "en", "fr", "en"};
        std::vector<bool> expected;
        for (qsizetype i = 0; i < words.size(); ++i)
            expected.push_back(isCorrectlySpelled(words[i], codes[i], checker()));

        std::atomic<int> mismatches = 0;
        std::vector<std::thread> threads;
        for (int t = 0; t < 6; ++t) {
            threads.emplace_back([&, t] {
                for (int round = 0; round < 150; ++round) {
                    const qsizetype i = (t + round) % words.size();
                    if (isCorrectlySpelled(words[i], codes[i], checker()) != expected[std::size_t(i)])
                        ++mismatches;
                }
            });
        }
        for (auto &thread : threads)
            thread.join();
        QCOMPARE(mismatches.load(), 0);
    }
};

QTEST_GUILESS_MAIN(TestEnchantSpellChecker)
#include "tst_EnchantSpellChecker.moc"

#include "app/LocalizedTexts.h"

#include <QTest>

using namespace talvoro;

class TestLocalizedTexts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void numbersFollowTheLanguage()
    {
        QCOMPARE(localizedNumber(1234567, true), QStringLiteral("1.234.567"));
        QCOMPARE(localizedNumber(1234567, false), QStringLiteral("1,234,567"));
        QCOMPARE(localizedCompactNumber(1200, false), QStringLiteral("1.2K"));
        QCOMPARE(localizedCompactNumber(1200, true), QStringLiteral("1,2\u00A0mil"));
        QCOMPARE(localizedDecimalNumber(1, true, 2.25), QStringLiteral("2,3"));
        QCOMPARE(localizedCountOfTotal(3, 1000, true), QStringLiteral("3 de 1.000"));
    }

    void relativeAgeBoundaries()
    {
        const QDateTime ref = QDateTime::fromSecsSinceEpoch(1'800'000'000);
        auto age = [&](qint64 s, bool pt) { return shortRelativeText(ref.addSecs(-s), ref, pt); };
        QCOMPARE(age(-5, true), QStringLiteral("agora"));
        QCOMPARE(age(59, false), QStringLiteral("now"));
        QCOMPARE(age(60, true), QStringLiteral("1 min"));
        QCOMPARE(age(3599, true), QStringLiteral("59 min"));
        QCOMPARE(age(3600, false), QStringLiteral("1 hr"));
        QCOMPARE(age(86400, true), QStringLiteral("1 dia"));
        QCOMPARE(age(6 * 86400, false), QStringLiteral("6 days"));
        QCOMPARE(age(7 * 86400, true), QStringLiteral("1 sem"));
        QCOMPARE(age(7 * 86400, false), QStringLiteral("1 wk"));
    }
};

QTEST_GUILESS_MAIN(TestLocalizedTexts)
#include "tst_LocalizedTexts.moc"

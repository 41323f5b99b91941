#include "look/AccentColorOption.h"

#include "support/TestSupport.h"

#include <QTest>

using namespace talvoro;

class TestAccentColorOption : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rawValuesRoundTripInOrder()
    {
        const QStringList expected{"default", "orange", "yellow", "green", "pink", "purple"};
        QStringList raws;
        for (auto option : AccentColorOption::allCases) {
            raws << AccentColorOption(option).rawValue();
            QCOMPARE(AccentColorOption::fromRawValue(raws.last()), std::optional(AccentColorOption(option)));
        }
        QCOMPARE(raws, expected);
    }

    void unknownTextsNameNoOption_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::newRow("empty") << QString();
        QTest::newRow("capitalised") << QStringLiteral("Orange");
        QTest::newRow("padded") << QStringLiteral(" green");
        QTest::newRow("other colour") << QStringLiteral("red");
        QTest::newRow("enum index") << QStringLiteral("1");
    }
    void unknownTextsNameNoOption()
    {
        QFETCH(QString, raw);
        QVERIFY(!AccentColorOption::fromRawValue(raw).has_value());
        QCOMPARE(AccentColorOption::resolved(raw).value(), AccentColorOption::Default);
    }

    void currentFollowsTheStoreAndFallsBackToBlue()
    {
        TemporarySettings settings;
        auto &store = *settings.store;
        const QColor blue = AccentColorOption(AccentColorOption::Default).color();
        QCOMPARE(currentAccentColor(store), blue);
        store.setString(kAccentColorKey, QStringLiteral("purple"));
        QCOMPARE(AccentColorOption::current(store).value(), AccentColorOption::Purple);
        store.setString(kAccentColorKey, QStringLiteral("chartreuse"));
        QCOMPARE(currentAccentColor(store), blue);
        store.setInt64(kAccentColorKey, 3); // wrong type reads as absent or as text "3": neither names an option
        QCOMPARE(currentAccentColor(store), blue);
    }

    void coloursAreDistinctAndDarkVariantsDiffer()
    {
        QSet<QRgb> light, dark;
        for (auto option : AccentColorOption::allCases) {
            const AccentColorOption o(option);
            QVERIFY(o.color(false) != o.color(true));
            light.insert(o.color(false).rgb());
            dark.insert(o.color(true).rgb());
        }
        QCOMPARE(light.size(), 6);
        QCOMPARE(dark.size(), 6);
        QCOMPARE(AccentColorOption(AccentColorOption::Default).color(false), QColor(0, 122, 255));
    }
};

QTEST_GUILESS_MAIN(TestAccentColorOption)
#include "tst_AccentColorOption.moc"

#include "look/AccentColorOption.h"

#include "support/TestSupport.h"

#include <QTest>

using namespace talvoro;

class TestAccentColorOption : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rawValuesRoundTripAndNothingElseNamesAnOption()
    {
        QSet<QRgb> light, dark;
        for (auto option : AccentColorOption::allCases) {
            const AccentColorOption o(option);
            QCOMPARE(AccentColorOption::fromRawValue(o.rawValue()), std::optional(o));
            QVERIFY(o.color(false) != o.color(true));
            light.insert(o.color(false).rgb());
            dark.insert(o.color(true).rgb());
        }
        QCOMPARE(light.size(), int(std::size(AccentColorOption::allCases)));
        QCOMPARE(dark.size(), light.size());
        for (const QString raw : {QString(), QStringLiteral("Orange"), QStringLiteral(" green"), QStringLiteral("1")}) {
            QVERIFY(!AccentColorOption::fromRawValue(raw).has_value());
            QCOMPARE(AccentColorOption::resolved(raw).value(), AccentColorOption::Default);
        }
    }

    void currentFollowsTheStoreAndFallsBackToTheDefault()
    {
        TemporarySettings settings;
        auto &store = *settings.store;
        const QColor fallback = AccentColorOption(AccentColorOption::Default).color();
        QCOMPARE(currentAccentColor(store), fallback);
        store.setString(SettingsKeys::keyboardAccentColor.key(), QStringLiteral("purple"));
        QCOMPARE(AccentColorOption::current(store).value(), AccentColorOption::Purple);
        store.setString(SettingsKeys::keyboardAccentColor.key(), QStringLiteral("chartreuse"));
        QCOMPARE(currentAccentColor(store), fallback);
        store.setInt64(SettingsKeys::keyboardAccentColor.key(), 3); // wrong type reads as absent or as text "3": neither names an option
        QCOMPARE(currentAccentColor(store), fallback);
    }
};

QTEST_GUILESS_MAIN(TestAccentColorOption)
#include "tst_AccentColorOption.moc"

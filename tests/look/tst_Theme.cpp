#include "look/AccentColorOption.h"
#include "look/Theme.h"
#include "support/TestSupport.h"

#include <QTest>

using namespace talvoro;

class TestTheme : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void continuousCornersStayInsideTheRect()
    {
        const QRectF rect(10, 20, 300, 120);
        const QPainterPath path = continuousRoundedRect(rect, 24);
        QVERIFY(rect.adjusted(-0.01, -0.01, 0.01, 0.01).contains(path.boundingRect()));
        QCOMPARE(path.boundingRect().width(), rect.width());
        QVERIFY(path.contains(rect.center()));
        QVERIFY(path.contains(QPointF(rect.center().x(), rect.top() + 0.5))); // straight edge reaches the side
        for (const QPointF corner : {rect.topLeft(), rect.topRight(), rect.bottomLeft(), rect.bottomRight()}) {
            const QPointF inward = corner + (rect.center() - corner) / std::hypot(rect.center().x() - corner.x(), rect.center().y() - corner.y()) * 3;
            QVERIFY(!path.contains(inward)); // the corner is cut away
        }
        // A radius too large for the rect is limited instead of folding over.
        const QRectF small(0, 0, 20, 20);
        QVERIFY(small.adjusted(-0.01, -0.01, 0.01, 0.01).contains(continuousRoundedRect(small, 50).boundingRect()));
        QVERIFY(continuousRoundedRect(small, 50).contains(QPointF(10, 10)));
        QCOMPARE(continuousRoundedRect(small, 0).boundingRect(), small);
        QVERIFY(continuousRoundedRect(QRectF(), 10).isEmpty());
    }

    void springSettlesFromRestWithLittleOvershoot()
    {
        for (const auto &spring : {navigationAnimation(), screenTransitionAnimation()}) {
            QCOMPARE(springProgress(spring, 0), 0.0);
            const int settle = springSettlingMs(spring);
            // Response 0.34-0.42 s with near-critical damping settles in about half a second.
            QVERIFY2(settle > 300 && settle < 700, qPrintable(QString::number(settle)));
            QVERIFY(std::abs(1 - springProgress(spring, settle / 1000.0)) <= 0.001);
            double peak = 0;
            for (int ms = 0; ms < 2000; ms += 5)
                peak = std::max(peak, springProgress(spring, ms / 1000.0));
            QVERIFY(peak < 1.01);
        }
        QVERIFY(springSettlingMs(navigationAnimation()) < springSettlingMs(screenTransitionAnimation()));
    }

    void easingCurveFollowsTheSpring()
    {
        // Both springs at once: each curve must keep following its own spring.
        const auto navigation = approximateSpring(navigationAnimation());
        const auto transition = approximateSpring(screenTransitionAnimation());
        for (const auto &[spring, timed] : {std::pair{navigationAnimation(), navigation},
                                            std::pair{screenTransitionAnimation(), transition}}) {
            QCOMPARE(timed.durationMs, springSettlingMs(spring));
            QCOMPARE(timed.curve.valueForProgress(0), 0.0);
            QCOMPARE(timed.curve.valueForProgress(1), 1.0);
            for (double p : {0.1, 0.25, 0.5, 0.75}) {
                const double expected = springProgress(spring, p * timed.durationMs / 1000.0);
                QVERIFY(std::abs(timed.curve.valueForProgress(p) - expected) < 0.01);
            }
        }
        QVERIFY(navigation.curve.valueForProgress(0.2) != transition.curve.valueForProgress(0.2));
    }

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
            QCOMPARE(AccentColorOption::resolved(raw).value(), AccentColorOption::defaultColor);
        }
    }

    void currentFollowsTheStoreAndFallsBackToTheDefault()
    {
        TemporarySettings settings;
        auto &store = *settings.store;
        const QColor fallback = AccentColorOption(AccentColorOption::defaultColor).color();
        QCOMPARE(currentAccentColor(store), fallback);
        store.setString(SettingsKeys::keyboardAccentColor.key(), QStringLiteral("purple"));
        QCOMPARE(AccentColorOption::current(store).value(), AccentColorOption::purple);
        store.setString(SettingsKeys::keyboardAccentColor.key(), QStringLiteral("chartreuse"));
        QCOMPARE(currentAccentColor(store), fallback);
        store.setInt64(SettingsKeys::keyboardAccentColor.key(), 3); // wrong type reads as absent or as text "3": neither names an option
        QCOMPARE(currentAccentColor(store), fallback);
    }

    // Text keeps 4.5:1 on what it is drawn on, for every accent in both
    // appearances: label colours on the backgrounds, and the label of a
    // filled accent surface (still the accent, deepened by at most 15 %).
    void textContrastOnEveryAccentAndAppearance()
    {
        using namespace talvoro;
        for (const bool dark : {false, true}) {
            for (const QColor &background : {windowBackgroundColor(dark), textBackgroundColor(dark), settingsSurfaceColor(dark)})
                for (const QColor &text : {primaryColor(dark), secondaryColor(dark)})
                    QVERIFY2(contrastRatio(text, background) >= 4.5, qPrintable(text.name(QColor::HexArgb) + background.name()));
            for (const auto option : AccentColorOption::allCases) {
                const QColor accent = AccentColorOption(option).color(dark);
                const QColor surface = accentSurfaceColor(accent);
                QVERIFY2(contrastRatio(foregroundOnSurface(surface), surface) >= 4.5, qPrintable(accent.name()));
                QVERIFY(surface.redF() >= accent.redF() * 0.849 && surface.greenF() >= accent.greenF() * 0.849
                        && surface.blueF() >= accent.blueF() * 0.849);
            }
            // Blue and red keep white labels; yellow stays itself with a dark one.
            for (const QColor &white : {AccentColorOption().color(dark), systemRedColor(dark)})
                QCOMPARE(foregroundOnSurface(accentSurfaceColor(white)), QColor(Qt::white));
            const QColor yellow = AccentColorOption(AccentColorOption::yellow).color(dark);
            QCOMPARE(accentSurfaceColor(yellow), yellow);
            QVERIFY(foregroundOnSurface(yellow).lightness() < 64);
        }
    }
};

QTEST_MAIN(TestTheme)
#include "tst_Theme.moc"

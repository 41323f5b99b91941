#include "app/Theme.h"

#include <QTest>

using namespace talvoro;

class TestTheme : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void surfaceColourPerAppearance()
    {
        const QColor dark = settingsSurfaceColor(true);
        QCOMPARE(qRound(dark.redF() * 1000), 110);
        QCOMPARE(qRound(dark.greenF() * 1000), 110);
        QCOMPARE(qRound(dark.blueF() * 1000), 118);
        QCOMPARE(dark.alphaF(), 1.0);
        const QColor light = settingsSurfaceColor(false);
        QCOMPARE(qRound(light.redF() * 1000), 955);
        QCOMPARE(light.red(), light.green());
        QCOMPARE(light.green(), light.blue());
        QCOMPARE(light.alphaF(), 1.0);
    }

    void fontsUsePixelSizes()
    {
        QCOMPARE(appRowFont().pixelSize(), 15);
        QCOMPARE(appHelperFont().pixelSize(), 14);
        QCOMPARE(appRowFont().weight(), QFont::Normal);
        QCOMPARE(transcriptFont().styleHint(), QFont::Serif);
        QVERIFY(appRowFont().families().contains(QStringLiteral("Inter")));
        QVERIFY(appRowFont().families().contains(QStringLiteral("DejaVu Sans")));
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
};

QTEST_GUILESS_MAIN(TestTheme)
#include "tst_Theme.moc"

#include "look/AccentColorOption.h"
#include "look/Theme.h"
#include "look/ui/Appearance.h"
#include "look/ui/Spinner.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/SymbolLabel.h"
#include "look/ui/ToggleSwitch.h"
#include "screens/settings/SettingsStyle.h"
#include "screens/settings/ui/BrandedHeaderView.h"
#include "screens/settings/ui/CardContainer.h"
#include "screens/settings/ui/DetailCardModifier.h"
#include "screens/settings/ui/SettingsCardView.h"
#include "screens/settings/ui/SettingsDetailRowView.h"
#include "screens/settings/ui/SettingsRowView.h"
#include "screens/settings/ui/SettingsSeparator.h"
#include "screens/settings/ui/UsageBlockView.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace talvoro;
using namespace talvoro::settings;

namespace {

QColor accent(AccentColorOption::Value value, bool dark = false)
{
    return AccentColorOption(value).color(dark);
}

} // namespace

class TestSettingsKit : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { ui::applyAppearance(false); }
    void cleanup() { ui::applyAppearance(false); }

    void accentViewsRecolourWhenTheSettingChanges()
    {
        TemporarySettings settings;
        auto &store = *settings.store;
        QWidget window;
        auto *row = new SettingsRowView(QStringLiteral("globe"), QStringLiteral("Idioma"), nullptr, store, &window);
        auto *detail = new SettingsDetailRowView(QStringLiteral("mic"), QStringLiteral("Microfone"),
                                                 QStringLiteral("Entrada"), nullptr, store, &window);
        auto *header = new BrandedHeaderView(QStringLiteral("ajustes"), store, &window);
        auto *block = weeklyUsageCard(QStringLiteral("chart.bar.fill"), QStringLiteral("Uso Semanal"), 0.2, QColor(),
                                      QStringLiteral("14 de 70"), store, &window);

        QCOMPARE(row->iconView()->color(), accent(AccentColorOption::defaultColor));
        QCOMPARE(header->fullStopColor(), accent(AccentColorOption::defaultColor));

        store.setString(SettingsKeys::keyboardAccentColor.key(), QStringLiteral("pink"));
        QCOMPARE(row->iconView()->color(), accent(AccentColorOption::pink));
        QCOMPARE(detail->iconView()->color(), accent(AccentColorOption::pink));
        QCOMPARE(header->fullStopColor(), accent(AccentColorOption::pink));
        QCOMPARE(block->symbolView()->color(), accent(AccentColorOption::pink));
        QCOMPARE(block->effectiveBarColor(), accent(AccentColorOption::pink));

        // A value naming no option, and a removed key, both mean blue.
        store.setString(SettingsKeys::keyboardAccentColor.key(), QStringLiteral("magenta"));
        QCOMPARE(header->fullStopColor(), accent(AccentColorOption::defaultColor));
        store.setString(SettingsKeys::keyboardAccentColor.key(), QStringLiteral("green"));
        store.remove(SettingsKeys::keyboardAccentColor.key());
        QCOMPARE(row->iconView()->color(), accent(AccentColorOption::defaultColor));

        // An explicit warning colour on the bar is kept whatever the accent.
        block->setBarColor(QColor(255, 149, 0));
        store.setString(SettingsKeys::keyboardAccentColor.key(), QStringLiteral("purple"));
        QCOMPARE(block->effectiveBarColor(), QColor(255, 149, 0));
    }

    void clickAnywhereInAClickableRow()
    {
        TemporarySettings settings;
        auto *toggle = new ui::ToggleSwitch;
        toggle->setAnimated(false);
        SettingsRowView row(QStringLiteral("gear"), QStringLiteral("Sistema"), toggle, *settings.store);
        row.setClickable(true);
        row.resize(400, 50);
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        QSignalSpy clicks(&row, &SettingsRowBase::clicked);

        QTest::mouseClick(&row, Qt::LeftButton, {}, QPoint(200, 25)); // the spacer
        QCOMPARE(clicks.size(), 1);
        QTest::mouseClick(row.titleLabel(), Qt::LeftButton, {}, QPoint(2, 5));
        QCOMPARE(clicks.size(), 2);
        // The trailing control keeps its own click.
        QTest::mouseClick(toggle, Qt::LeftButton);
        QCOMPARE(clicks.size(), 2);
        QVERIFY(toggle->isChecked());

        row.setFocus();
        QTest::keyClick(&row, Qt::Key_Space);
        QCOMPARE(clicks.size(), 3);
    }

    void toggleSwitchByKeyboardAndFromCode()
    {
        TemporarySettings settings;
        ui::ToggleSwitch toggle(*settings.store);
        toggle.show();
        QVERIFY(QTest::qWaitForWindowExposed(&toggle));
        QSignalSpy toggled(&toggle, &QAbstractButton::toggled);

        toggle.setFocus();
        QTest::keyClick(&toggle, Qt::Key_Space);
        QVERIFY(toggle.isChecked());
        QTRY_COMPARE(toggle.knobPosition(), 1.0); // slides over
        QTest::keyClick(&toggle, Qt::Key_Return);
        QVERIFY(!toggle.isChecked());
        QCOMPARE(toggled.size(), 2);

        // Showing a stored value jumps without sliding.
        toggle.setChecked(true);
        QCOMPARE(toggle.knobPosition(), 1.0);

        settings.store->setString(SettingsKeys::keyboardAccentColor.key(), QStringLiteral("green"));
        QCOMPARE(toggle.onColor(), accent(AccentColorOption::green));
    }

    void spinnerTurnsOnlyWhileShown()
    {
        ui::Spinner spinner;
        const QTimer *turn = spinner.findChild<QTimer *>();
        QVERIFY(!turn->isActive());
        spinner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&spinner));
        QTRY_VERIFY(spinner.step() != 0);
        spinner.setRunning(false);
        QVERIFY(!turn->isActive());
        spinner.setRunning(true);
        spinner.hide();
        QVERIFY(!turn->isActive());
    }

    void sectionHeadersKeepAccents()
    {
        for (bool portuguese : {true, false}) {
            QCOMPARE(sectionHeaderText(QStringLiteral("Configurações"), portuguese), QStringLiteral("CONFIGURAÇÕES"));
            // Never the dotted capital of Turkish casing.
            QCOMPARE(sectionHeaderText(QStringLiteral("idioma"), portuguese), QStringLiteral("IDIOMA"));
            QCOMPARE(sectionHeaderText(QString(), portuguese), QString());
        }
    }

    void usageBarFillStaysWithinTheBar()
    {
        QCOMPARE(usageBarFillWidth(0.5, 200), 100.0);
        QCOMPARE(usageBarFillWidth(-0.3, 200), 0.0);
        QCOMPARE(usageBarFillWidth(75.0 / 70.0, 200), 200.0); // over the limit fills, never overflows
        QCOMPARE(usageBarFillWidth(std::numeric_limits<double>::quiet_NaN(), 200), 0.0);
        QCOMPARE(usageBarFillWidth(0.5, -10), 0.0);
    }

    // A large card is its small picture in nine slices: the stretched middle
    // must match the blurred edge it was cut from, with no seam or gap.
    void largeCardKeepsItsShadowAndFillAcrossTheStretchedMiddle()
    {
        auto *content = new QWidget;
        DetailCardModifier card(content);
        card.resize(900, 700);
        card.show();
        QCoreApplication::processEvents();
        const QImage image = card.grab().toImage();
        const QRect box = card.cardGeometry();
        QVERIFY(box.width() > 600 && box.height() > 600);
        const QColor fill = textBackgroundColor(false);
        const QColor background = windowBackgroundColor(false);
        QCOMPARE(image.pixelColor(box.center()), fill);
        QCOMPARE(image.pixelColor(box.left() + 40, box.center().y()), fill);

        const int belowCard = box.bottom() + 4;
        const QColor shadow = image.pixelColor(box.left() + 48, belowCard);
        QVERIFY2(shadow.lightness() < background.lightness(), "no shadow under the card");
        for (int x = box.left() + 48; x < box.right() - 48; x += 7)
            QCOMPARE(image.pixelColor(x, belowCard), shadow);
        const QColor side = image.pixelColor(box.right() + 4, box.top() + 60);
        QVERIFY2(side.lightness() < background.lightness(), "no shadow beside the card");
        for (int y = box.top() + 60; y < box.bottom() - 48; y += 7)
            QCOMPARE(image.pixelColor(box.right() + 4, y), side);
    }
};

QTEST_MAIN(TestSettingsKit)
#include "tst_SettingsKit.moc"

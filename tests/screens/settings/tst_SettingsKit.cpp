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
#include <QVBoxLayout>

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

        QCOMPARE(row->iconView()->color(), accent(AccentColorOption::Default));
        QCOMPARE(header->fullStopColor(), accent(AccentColorOption::Default));

        store.setString(kAccentColorKey, QStringLiteral("pink"));
        QCOMPARE(row->iconView()->color(), accent(AccentColorOption::Pink));
        QCOMPARE(detail->iconView()->color(), accent(AccentColorOption::Pink));
        QCOMPARE(header->fullStopColor(), accent(AccentColorOption::Pink));
        QCOMPARE(block->symbolView()->color(), accent(AccentColorOption::Pink));
        QCOMPARE(block->effectiveBarColor(), accent(AccentColorOption::Pink));

        // A value naming no option, and a removed key, both mean blue.
        store.setString(kAccentColorKey, QStringLiteral("magenta"));
        QCOMPARE(header->fullStopColor(), accent(AccentColorOption::Default));
        store.setString(kAccentColorKey, QStringLiteral("green"));
        store.remove(kAccentColorKey);
        QCOMPARE(row->iconView()->color(), accent(AccentColorOption::Default));

        // An explicit warning colour on the bar is kept whatever the accent.
        block->setBarColor(QColor(255, 149, 0));
        store.setString(kAccentColorKey, QStringLiteral("purple"));
        QCOMPARE(block->effectiveBarColor(), QColor(255, 149, 0));
    }

    void accentAndSurfaceFollowTheAppearance()
    {
        TemporarySettings settings;
        settings.store->setString(kAccentColorKey, QStringLiteral("orange"));
        SettingsCardView card;
        auto *row = new SettingsRowView(QStringLiteral("globe"), QStringLiteral("Idioma"), nullptr, *settings.store);
        card.addRow(row);
        card.resize(300, 80);

        auto centrePixel = [&] { return card.grab().toImage().pixelColor(150, 70); };
        QCOMPARE(row->iconView()->color(), accent(AccentColorOption::Orange, false));
        QCOMPARE(centrePixel().rgb(), settingsSurfaceColor(false).rgb());

        ui::applyAppearance(true);
        QVERIFY(ui::isDark(&card));
        QCOMPARE(row->iconView()->color(), accent(AccentColorOption::Orange, true));
        QCOMPARE(centrePixel().rgb(), settingsSurfaceColor(true).rgb());
        QCOMPARE(row->titleLabel()->palette().color(QPalette::WindowText), primaryColor(true));
    }

    void separatorsOnlyBetweenRows()
    {
        auto separators = [](SettingsCardView &card) {
            return card.findChildren<SettingsSeparator *>().size();
        };
        TemporarySettings settings;
        auto &store = *settings.store;
        SettingsCardView single;
        single.addRow(new SettingsRowView(QStringLiteral("gear"), QStringLiteral("Um"), nullptr, store));
        QCOMPARE(separators(single), 0);

        SettingsCardView withHeader;
        withHeader.addHeader(QStringLiteral("Geral"));
        for (int i = 0; i < 3; ++i)
            withHeader.addRow(new SettingsRowView(QStringLiteral("gear"), QString::number(i), nullptr, store));
        QCOMPARE(separators(withHeader), 2);
        // Order: header, row, line, row, line, row.
        auto *layout = withHeader.contentLayout();
        QCOMPARE(layout->itemAt(0)->widget()->objectName(), QStringLiteral("sectionHeader"));
        QVERIFY(qobject_cast<SettingsRowView *>(layout->itemAt(1)->widget()));
        QVERIFY(qobject_cast<SettingsSeparator *>(layout->itemAt(2)->widget()));
        QVERIFY(qobject_cast<SettingsRowView *>(layout->itemAt(layout->count() - 1)->widget()));
    }

    void rowWithoutTrailingKeepsFullWidth()
    {
        TemporarySettings settings;
        auto &store = *settings.store;
        SettingsCardView card;
        auto *bare = new SettingsRowView(QStringLiteral("hand.raised"), QStringLiteral("Privacidade"), nullptr, store);
        auto *toggle = new ui::ToggleSwitch;
        auto *withToggle = new SettingsRowView(QStringLiteral("mic"), QStringLiteral("Som"), toggle, store);
        card.addRow(bare);
        card.addRow(withToggle);
        card.resize(420, card.sizeHint().height());
        card.show();
        QVERIFY(QTest::qWaitForWindowExposed(&card));

        QCOMPARE(bare->width(), card.width());
        QCOMPARE(withToggle->width(), card.width());
        // Icons line up in one 24 px column 20 px from the edge; titles follow 8 px later.
        QCOMPARE(bare->iconView()->geometry().left(), 20);
        QCOMPARE(bare->iconView()->width(), 24);
        QCOMPARE(bare->titleLabel()->geometry().left(), 52);
        QCOMPARE(withToggle->titleLabel()->geometry().left(), 52);
        // The trailing control sits at the trailing edge, 20 px in.
        QCOMPARE(toggle->geometry().right(), withToggle->width() - 20 - 1);
        // Height is 14 + content + 14.
        QCOMPARE(bare->height(), 14 + std::max(bare->titleLabel()->height(), bare->iconView()->height()) + 14);
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

    void detailRowWrapsItsDescription()
    {
        const QString longText = QStringLiteral("Se você mistura idiomas ao falar, recomendamos utilizar "
                                                "\"Auto-detectar\". Frases longas quebram em várias linhas.");
        TemporarySettings settings;
        SettingsDetailRowView row(QStringLiteral("globe"), QStringLiteral("Idioma"), longText, new QLabel("PT"),
                                  *settings.store);
        QVERIFY(row.hasHeightForWidth());
        QVERIFY(row.heightForWidth(260) > row.heightForWidth(1400));
        row.resize(300, row.heightForWidth(300));
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        QVERIFY(row.descriptionLabel()->height() > QFontMetrics(row.descriptionLabel()->font()).height() * 2);
        // Icon level with the title's first line (2 px lower), trailing top-aligned with the title.
        QCOMPARE(row.iconView()->geometry().top(), row.titleLabel()->geometry().top() + 2);
        QCOMPARE(row.trailing()->geometry().top(), row.titleLabel()->geometry().top());
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

        settings.store->setString(kAccentColorKey, QStringLiteral("green"));
        QCOMPARE(toggle.onColor(), accent(AccentColorOption::Green));
    }

    void spinnerTurnsOnlyWhileShown()
    {
        ui::Spinner spinner;
        QTest::qWait(200);
        QCOMPARE(spinner.step(), 0);
        spinner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&spinner));
        QTRY_VERIFY(spinner.step() != 0);
        spinner.setRunning(false);
        const int stopped = spinner.step();
        QTest::qWait(200);
        QCOMPARE(spinner.step(), stopped);
    }

    void detailCardFloatsOnTheWindowBackground()
    {
        auto *scroll = new QScrollArea;
        scroll->setWidget(new QLabel(QStringLiteral("conteúdo")));
        DetailCardModifier modifier(scroll);
        modifier.resize(500, 400);
        modifier.show();
        QVERIFY(QTest::qWaitForWindowExposed(&modifier));
        QCOMPARE(modifier.cardGeometry(), QRect(20, 0, 460, 380));
        QCOMPARE(scroll->geometry(), modifier.cardGeometry());
        QVERIFY(!scroll->viewport()->autoFillBackground());

        const QImage image = modifier.grab().toImage();
        QCOMPARE(image.pixelColor(5, 200).rgb(), windowBackgroundColor(false).rgb());   // margin
        QCOMPARE(image.pixelColor(250, 300).rgb(), textBackgroundColor(false).rgb());   // inside the card
        QVERIFY(image.pixelColor(21, 1).rgb() != textBackgroundColor(false).rgb());    // rounded corner
    }

    void statsSummaryCardPadsItsRow()
    {
        auto *a = new QLabel(QStringLiteral("12"));
        auto *b = new QLabel(QStringLiteral("3"));
        auto *card = statsDetailViewCard({a, b});
        card->resize(400, 100);
        card->show();
        QVERIFY(QTest::qWaitForWindowExposed(card));
        QCOMPARE(card->findChildren<SettingsSeparator *>().size(), 0);
        QCOMPARE(card->sizeHint().height(), 16 + std::max(a->sizeHint().height(), b->sizeHint().height()) + 16);
        QCOMPARE(a->width(), b->width()); // the items share the row
        delete card;
    }

    void usageBlockPadsOutsideItsMinimumHeight()
    {
        // The column is at least 72 high; the 12 above and below come on top.
        TemporarySettings settings;
        auto *block = weeklyUsageCard(QStringLiteral("clock.fill"), QStringLiteral("Limite por hora"), 0.5,
                                      QColor(), QStringLiteral("1 de 2"), *settings.store);
        block->resize(300, block->sizeHint().height());
        block->show();
        QVERIFY(QTest::qWaitForWindowExposed(block));
        QVERIFY(block->height() >= 12 + 72 + 12);
        QWidget *bar = block->findChild<QWidget *>(QStringLiteral("usageBar"));
        QVERIFY(bar);
        QCOMPARE(bar->mapTo(block, QPoint(0, 0)).x(), 20);
        QCOMPARE(bar->width(), 300 - 40);
        QCOMPARE(bar->height(), 8);
        delete block;
    }
};

QTEST_MAIN(TestSettingsKit)
#include "tst_SettingsKit.moc"

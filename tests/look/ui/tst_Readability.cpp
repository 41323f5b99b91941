// What users read on coloured surfaces stays readable on every accent and in
// both appearances, measured on the rendered pixels where a picture tells.
#include "app/ui/SidebarView.h"
#include "look/AccentColorOption.h"
#include "look/Theme.h"
#include "look/ui/Appearance.h"
#include "look/ui/MenuPicker.h"
#include "look/ui/StyledLabel.h"
#include "navigation/MainWindowModel.h"
#include "platform/SettingsKeys.h"
#include "screens/settings/ui/Alerts.h"
#include "screens/settings/ui/SegmentedPicker.h"
#include "screens/settings/ui/SectionHeader.h"
#include "support/ShellTestSupport.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QMap>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

QColor mostCommonColour(const QImage &image)
{
    QMap<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb best = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most)
            best = it.key(), most = it.value();
    return QColor::fromRgb(best);
}

// The fill is the commonest colour; the text or symbol drawn on it reaches
// its full colour somewhere, so the best contrast of any pixel is its contrast.
double contentContrast(const QImage &image, QColor *fill = nullptr)
{
    const QColor background = mostCommonColour(image);
    if (fill)
        *fill = background;
    double best = 1.0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            best = std::max(best, talvoro::contrastRatio(image.pixelColor(x, y), background));
    return best;
}

QString where(bool dark, talvoro::AccentColorOption option)
{
    return option.rawValue() + (dark ? QStringLiteral(" dark") : QStringLiteral(" light"));
}

} // namespace

class ReadabilityTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { useLanguage(QStringLiteral("pt-BR")); }
    void cleanup() { talvoro::ui::applyAppearance(false); }

    // The selected sidebar item, the volume slider and the chosen segment
    // follow the accent, with a label that reads on it.
    void accentSurfacesOnEveryAccentAndAppearance()
    {
        TemporarySettings settings;
        FakeAuthState auth;
        MainWindowModel model(*settings.store, &auth);
        QWidget window;
        auto *sidebar = new SidebarView(model, settings.store.get(), &window);
        sidebar->setGeometry(0, 0, 220, 400);
        auto *picker = new talvoro::settings::SegmentedPicker(&window);
        picker->setOptions({{QStringLiteral("pt"), QStringLiteral("Português")},
                            {QStringLiteral("en"), QStringLiteral("English")}});
        picker->setCurrentTag(QStringLiteral("pt"));
        picker->setGeometry(240, 0, 300, 32);
        window.resize(600, 400);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *selected = sidebar->findChild<QPushButton *>(QStringLiteral("sidebar.home"));
        QVERIFY(selected->isChecked());
        auto *chosen = picker->findChild<QToolButton *>(QStringLiteral("segment.pt"));
        auto *other = picker->findChild<QToolButton *>(QStringLiteral("segment.en"));

        for (const bool dark : {false, true}) {
            talvoro::ui::applyAppearance(dark);
            for (const auto option : talvoro::AccentColorOption::allCases) {
                settings.store->set(SettingsKeys::keyboardAccentColor, talvoro::AccentColorOption(option).rawValue());
                const QColor accent = talvoro::AccentColorOption(option).color(dark);
                picker->setAccent(accent);
                QColor fill;
                const double sidebarContrast = contentContrast(selected->grab().toImage(), &fill);
                QVERIFY2(sidebarContrast >= 4.5, qPrintable(where(dark, option) + QString::number(sidebarContrast)));
                QCOMPARE(fill.rgb(), talvoro::accentSurfaceColor(accent).rgb());

                QColor chosenFill;
                QColor otherFill;
                const double segmentContrast = contentContrast(chosen->grab().toImage(), &chosenFill);
                contentContrast(other->grab().toImage(), &otherFill);
                QVERIFY2(segmentContrast >= 4.5, qPrintable(where(dark, option) + QString::number(segmentContrast)));
                QCOMPARE(chosenFill.rgb(), talvoro::accentSurfaceColor(accent).rgb());
                const int distance = std::abs(chosenFill.red() - otherFill.red())
                    + std::abs(chosenFill.green() - otherFill.green()) + std::abs(chosenFill.blue() - otherFill.blue());
                QVERIFY2(distance > 120, qPrintable(where(dark, option)));
            }
        }
    }

    // Section headers (small capitals) keep 4.5:1 on the window and on a card.
    void sectionHeadersReadInBothAppearances()
    {
        for (const bool dark : {false, true}) {
            talvoro::ui::applyAppearance(dark);
            QWidget page;
            QLabel *header = talvoro::settings::sectionHeader(QStringLiteral("Geral"), &page);
            const QColor text = header->palette().color(header->foregroundRole());
            for (const QColor &background : {talvoro::windowBackgroundColor(dark), talvoro::settingsSurfaceColor(dark)})
                QVERIFY2(talvoro::contrastRatio(text, background) >= 4.5,
                         qPrintable(QString::number(talvoro::contrastRatio(text, background))));
        }
    }

    // A name longer than the picker ends in an ellipsis: it draws exactly
    // what a picker showing the elided name draws.
    void longPickerChoicesEndInAnEllipsis()
    {
        const QString name = QStringLiteral("Microfone USB de estúdio com cancelamento de ruído (Analógico estéreo)");
        MenuPicker picker;
        picker.addItem(name);
        picker.setFixedWidth(180);
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));
        QStyleOptionComboBox option;
        option.initFrom(&picker);
        option.editable = false;
        const QRect field = picker.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &picker);
        const QString elided = picker.fontMetrics().elidedText(name, Qt::ElideRight, field.width());
        QVERIFY(elided.endsWith(QChar(0x2026)));
        MenuPicker shortened;
        shortened.addItem(elided);
        shortened.setFixedWidth(180);
        shortened.show();
        QVERIFY(QTest::qWaitForWindowExposed(&shortened));
        QCOMPARE(picker.grab().toImage(), shortened.grab().toImage());
    }

    // An alert's title stays on one line, however short the message.
    void alertTitlesDoNotWrap()
    {
        QWidget parent;
        parent.resize(600, 400);
        parent.show();
        for (const QString &title : {QStringLiteral("Erro ao entrar"), QStringLiteral("Não foi possível excluir a conta")}) {
            QPointer<QMessageBox> box = talvoro::settings::openAlert(
                &parent, title, QStringLiteral("Não foi possível concluir a entrada: o servidor não respondeu a tempo. Verifique a sua conexão com a internet e tente de novo daqui a alguns instantes."),
                {talvoro::settings::AlertButton{QStringLiteral("OK"), QMessageBox::AcceptRole, {}, {}}});
            QVERIFY(QTest::qWaitForWindowExposed(box));
            auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
            QVERIFY(label);
            QVERIFY2(label->width() >= label->fontMetrics().horizontalAdvance(title),
                     qPrintable(QStringLiteral("%1 < %2").arg(label->width()).arg(label->fontMetrics().horizontalAdvance(title))));
            QVERIFY(label->height() < 2 * label->fontMetrics().lineSpacing());
            box->close();
            QTRY_VERIFY(!box);
        }
    }
};

QTEST_MAIN(ReadabilityTest)
#include "tst_Readability.moc"

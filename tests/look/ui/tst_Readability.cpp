// Coloured surfaces and keyboard focus stay readable on every accent and in
// both appearances, measured on the rendered pixels.
#include "app/ui/SidebarView.h"
#include "dictation/PermissionManager.h"
#include "look/AccentColorOption.h"
#include "look/Theme.h"
#include "look/ui/ActionButton.h"
#include "look/ui/Appearance.h"
#include "look/ui/MenuPicker.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/ToggleSwitch.h"
#include "navigation/MainWindowModel.h"
#include "platform/ModelContext.h"
#include "platform/SettingsKeys.h"
#include "screens/onboarding-account/ui/FeedbackView.h"
#include "screens/dictation-settings/ui/ReplacementRulesView.h"
#include "screens/settings/ui/AccountToolbarItem.h"
#include "screens/settings/ui/Alerts.h"
#include "screens/settings/ui/AvatarView.h"
#include "screens/settings/ui/PermissionsView.h"
#include "screens/settings/ui/SectionHeader.h"
#include "screens/settings/ui/SegmentedPicker.h"
#include "screens/settings/ui/SettingsRowView.h"
#include "screens/settings/ui/SystemSettingsSheetView.h"
#include "screens/settings/ui/ToolbarStrip.h"
#include "transcription/ReplacementRule.h"
#include "support/DictationFakes.h"
#include "support/ShellTestSupport.h"
#include "support/SyncTestSupport.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHash>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using talvoro::ui::ActionButton;

namespace {

// The fill is the commonest colour; the label drawn on it reaches its full
// colour somewhere, so the best contrast of any pixel is the label's.
double labelContrast(const QImage &image, QColor &fill)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    fill = QColor::fromRgb(std::max_element(counts.cbegin(), counts.cend()).key());
    double best = 1.0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            best = std::max(best, talvoro::contrastRatio(image.pixelColor(x, y), fill));
    return best;
}

} // namespace

class ReadabilityTest : public QObject
{
    Q_OBJECT

    TemporarySettings m_settings;
    FakeAuthState m_auth;
    MainWindowModel m_model{*m_settings.store, &m_auth};
    QWidget m_window;
    SidebarView *m_sidebar = new SidebarView(m_model, m_settings.store.get(), &m_window);
    talvoro::settings::SegmentedPicker *m_picker = new talvoro::settings::SegmentedPicker(&m_window);
    QLineEdit *m_field = new QLineEdit(&m_window);
    ActionButton *m_prominent = new ActionButton(QStringLiteral("Entrar"), ActionButton::Style::prominent, &m_window);
    ActionButton *m_bordered = new ActionButton(QStringLiteral("Pular"), ActionButton::Style::bordered, &m_window);
    talvoro::ui::ToggleSwitch *m_toggle = new talvoro::ui::ToggleSwitch(*m_settings.store, &m_window);

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(m_window.windowHandle(), key, modifiers);
    }

private Q_SLOTS:
    void initTestCase()
    {
        useLanguage(QStringLiteral("pt-BR"));
        m_sidebar->setGeometry(0, 0, 220, 400);
        m_picker->setOptions({{QStringLiteral("pt"), QStringLiteral("Português")}, {QStringLiteral("en"), QStringLiteral("English")}});
        m_picker->setCurrentTag(QStringLiteral("pt"));
        m_picker->setGeometry(240, 0, 300, 32);
        m_field->setGeometry(240, 50, 200, 30);
        m_prominent->setGeometry(240, 100, 120, 30);
        m_bordered->setGeometry(240, 150, 120, 30);
        m_toggle->move(240, 200);
        m_toggle->setChecked(true);
        m_prominent->bindAccent(*m_settings.store);
        m_window.resize(600, 400);
        m_window.show();
        m_window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&m_window));
    }
    void cleanupTestCase() { talvoro::ui::applyAppearance(false); }

    void returnEnterAndSpacePressTheFocusedButton()
    {
        QSignalSpy clicked(m_prominent, &QAbstractButton::clicked);
        m_field->setFocus();
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), m_prominent);
        press(Qt::Key_Return);
        press(Qt::Key_Enter, Qt::KeypadModifier);
        press(Qt::Key_Space);
        press(Qt::Key_Return, Qt::ControlModifier); // not a press
        QCOMPARE(clicked.size(), 3);
    }

    // A sidebar item or a switch reached by the keyboard shows a ring in its
    // label's colour, selected (on) or not; Return selects a sidebar item.
    void sidebarItemsAndSwitchesShowTheirFocus()
    {
        auto *home = m_sidebar->findChild<QPushButton *>(QStringLiteral("sidebar.home"));
        auto *history = m_sidebar->findChild<QPushButton *>(QStringLiteral("sidebar.history"));
        QVERIFY(home->isChecked());
        for (const bool dark : {false, true}) {
            talvoro::ui::applyAppearance(dark);
            for (const QString accent : {QStringLiteral("default"), QStringLiteral("yellow")}) {
                const QString where = accent + (dark ? " dark" : " light");
                m_settings.store->set(SettingsKeys::keyboardAccentColor, accent);
                for (QAbstractButton *item : std::initializer_list<QAbstractButton *>{m_toggle, home, history}) {
                    // The control and 3 px of what lies around it: the ring
                    // stands out from the colours on both sides of it.
                    const QRect around = item->geometry().adjusted(-3, -3, 3, 3);
                    m_field->setFocus();
                    const QImage plain = item->parentWidget()->grab(around).toImage();
                    item->setFocus(Qt::TabFocusReason);
                    const QImage focused = item->parentWidget()->grab(around).toImage();
                    const int y = focused.height() / 2;
                    int ringX = 2;
                    for (int x = 2; x < 10; ++x)
                        if (talvoro::contrastRatio(focused.pixelColor(x, y), plain.pixelColor(x, y))
                            > talvoro::contrastRatio(focused.pixelColor(ringX, y), plain.pixelColor(ringX, y)))
                            ringX = x;
                    const QColor ring = focused.pixelColor(ringX, y);
                    QVERIFY2(talvoro::contrastRatio(ring, plain.pixelColor(ringX, y)) >= 3.0,
                             qPrintable(where + item->objectName()));
                    QVERIFY2(talvoro::contrastRatio(ring, focused.pixelColor(ringX - 2, y)) >= 3.0,
                             qPrintable(where + item->objectName() + " outside"));
                }
            }
        }
        press(Qt::Key_Return);
        QCOMPARE(m_model.selectedSidebarItem(), SidebarItem::history);
        m_model.selectSidebarItem(SidebarItem::home);
    }

    // The selected sidebar item and the chosen segment are filled in the
    // accent with a label that reads on it; the chosen segment stands apart;
    // a button's focus ring, just inside its edge, changes the pixels there
    // and stands out from the fill by 3:1.
    void everyAccentInBothAppearances()
    {
        auto *selected = m_sidebar->findChild<QPushButton *>(QStringLiteral("sidebar.home"));
        for (const bool dark : {false, true}) {
            talvoro::ui::applyAppearance(dark);
            for (const auto option : talvoro::AccentColorOption::allCases) {
                const QString name = talvoro::AccentColorOption(option).rawValue();
                const QString where = name + (dark ? " dark" : " light");
                m_settings.store->set(SettingsKeys::keyboardAccentColor, name);
                const QColor surface = talvoro::accentSurfaceColor(talvoro::AccentColorOption(option).color(dark));
                m_picker->setAccent(talvoro::AccentColorOption(option).color(dark));
                QColor fill;
                QColor other;
                QVERIFY2(labelContrast(selected->grab().toImage(), fill) >= 4.5, qPrintable(where));
                QCOMPARE(fill.rgb(), surface.rgb());
                QVERIFY2(labelContrast(m_picker->findChild<QToolButton *>("segment.pt")->grab().toImage(), fill) >= 4.5,
                         qPrintable(where));
                QCOMPARE(fill.rgb(), surface.rgb());
                labelContrast(m_picker->findChild<QToolButton *>("segment.en")->grab().toImage(), other);
                QVERIFY2(std::abs(fill.red() - other.red()) + std::abs(fill.green() - other.green())
                                 + std::abs(fill.blue() - other.blue()) > 120,
                         qPrintable(where));

                int tabs = 1;
                for (ActionButton *button : {m_prominent, m_bordered}) {
                    m_field->setFocus();
                    const QImage plain = button->grab().toImage();
                    for (int i = 0; i < tabs; ++i)
                        press(Qt::Key_Tab);
                    ++tabs;
                    QCOMPARE(QApplication::focusWidget(), button);
                    const QColor ring = button->grab().toImage().pixelColor(3, button->height() / 2);
                    QVERIFY2(ring != plain.pixelColor(3, button->height() / 2), qPrintable(where));
                    QVERIFY2(talvoro::contrastRatio(ring, plain.pixelColor(8, button->height() / 2)) >= 3.0,
                             qPrintable(where + button->text()));
                }
            }
        }
    }

    // What is drawn on the accent or in a status colour reads on every
    // accent in both appearances: text 4.5:1 against the fill it lies on,
    // the chosen swatch's tick 3:1; a disabled row's title fades.
    void surfacesReadOnEveryAccentAndAppearance_data()
    {
        QTest::addColumn<QString>("widget");
        QTest::addColumn<double>("ratio");
        QTest::addRow("selected topic chip") << "topicChip.bug" << 4.5;
        QTest::addRow("enabled send button") << "sendFeedbackButton" << 4.5;
        QTest::addRow("chosen swatch's tick") << "swatch" << 3.0;
        QTest::addRow("permissions badge") << "permissionsBadge" << 4.5;
        QTest::addRow("all permissions granted") << "permissionsBanner" << 4.5;
        QTest::addRow("redo onboarding") << "redoOnboarding" << 4.5;
        // Between the live and the disabled title, not a text on a fill.
        QTest::addRow("disabled row") << "settingsRowTitle" << 2.0;
        // The rules' own switches are on in the accent, as their master switch.
        QTest::addRow("rules switch") << "rulesList" << 0.0;
        // The toolbar's avatar is round at its bottom, not cut flat: its
        // lowest row of picture is under half its width.
        QTest::addRow("toolbar avatar") << "accountLink" << 0.5;
    }
    void surfacesReadOnEveryAccentAndAppearance()
    {
        QFETCH(QString, widget);
        QFETCH(double, ratio);
        AccountServices services;
        auto permissionState = std::make_shared<FakePermissionChecks::State>();
        permissionState->microphone = MicrophoneAuthorization::authorized;
        permissionState->accessibility = true;
        permissionState->speech = SpeechRecognitionAuthorization::authorized;
        PermissionManager permissions(std::make_unique<FakePermissionChecks>(permissionState), services.harness.opener);
        permissions.refresh();
        services.environment.permissions = &permissions;
        UserDefaultsProviding &settings = *services.environment.settings;

        QWidget screen;
        auto *layout = new QHBoxLayout(&screen);
        auto *feedback = new talvoro::feedback::FeedbackView(services.sync->backendClient(), settings, {});
        layout->addWidget(feedback);
        layout->addWidget(new talvoro::settings::SystemSettingsSheetView(services.environment, {}, {}));
        layout->addWidget(new talvoro::settings::PermissionsView(services.environment));
        auto *row = new talvoro::settings::SettingsRowView(QStringLiteral("arrow.down.circle"),
                                                           QStringLiteral("Buscar atualizações..."), nullptr, settings);
        layout->addWidget(row);
        if (widget == QLatin1String("rulesList")) {
            services.models.mainContext().insert(ReplacementRule(QStringLiteral("vc"), QStringLiteral("você")));
            QVERIFY(services.models.mainContext().save());
            layout->addWidget(new ReplacementRulesView(services.environment));
        }
        if (widget == QLatin1String("accountLink")) {
            QVERIFY(services.harness.signIn());
            auto *toolbar = new talvoro::settings::ToolbarStrip(QString(), talvoro::settings::ToolbarStrip::Placement::root);
            toolbar->setTrailingItem(new talvoro::settings::AccountToolbarItem(services.harness.auth.get(), settings, nullptr));
            layout->addWidget(toolbar);
        }
        screen.resize(1800, 800);
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        QTest::mouseClick(feedback->findChild<QWidget *>(QStringLiteral("topicChip.bug")), Qt::LeftButton);
        feedback->findChild<QLineEdit *>(QStringLiteral("feedbackSubject"))->setText(QStringLiteral("Atalho"));
        feedback->findChild<QPlainTextEdit *>(QStringLiteral("feedbackDescription"))->setPlainText(QStringLiteral("Não abre."));

        for (const bool dark : {false, true}) {
            talvoro::ui::applyAppearance(dark);
            for (const auto option : talvoro::AccentColorOption::allCases) {
                const QString name = talvoro::AccentColorOption(option).rawValue();
                const QString where = name + (dark ? " dark" : " light");
                settings.set(SettingsKeys::keyboardAccentColor, name);
                QColor fill;
                if (widget == QLatin1String("settingsRowTitle")) {
                    auto *title = row->findChild<QLabel *>(widget);
                    row->setEnabled(true);
                    const QImage live = title->grab().toImage();
                    row->setEnabled(false);
                    const QImage disabled = title->grab().toImage();
                    labelContrast(live, fill);
                    QColor ignored;
                    const double liveContrast = labelContrast(live, ignored);
                    const double disabledContrast = labelContrast(disabled, ignored);
                    QVERIFY2(liveContrast / disabledContrast >= ratio, qPrintable(where));
                    continue;
                }
                if (widget == QLatin1String("rulesList")) {
                    auto *list = screen.findChild<QAbstractScrollArea *>(widget);
                    const QImage rows = list->viewport()->grab().toImage();
                    const QRgb accent = talvoro::AccentColorOption(option).color(dark).rgb();
                    int tracks = 0;
                    for (int y = 0; y < rows.height(); ++y)
                        for (int x = 0; x < rows.width(); ++x)
                            tracks += rows.pixel(x, y) == accent;
                    QVERIFY2(tracks > 100, qPrintable(where));
                    continue;
                }
                if (widget == QLatin1String("accountLink")) {
                    auto *link = screen.findChild<QWidget *>(widget);
                    auto *avatar = link->findChild<AvatarView *>();
                    const QImage picture = link->grab().toImage();
                    const QRect disc = avatar->geometry().intersected(link->rect());
                    int lowestWidth = 0;
                    for (int y = disc.top(); y <= disc.bottom(); ++y) {
                        int width = 0;
                        for (int x = disc.left(); x <= disc.right(); ++x)
                            width += talvoro::contrastRatio(picture.pixelColor(x, y), picture.pixelColor(0, 0)) > 1.5;
                        if (width > 0)
                            lowestWidth = width;
                    }
                    QVERIFY2(lowestWidth > 0 && lowestWidth < ratio * avatar->width(),
                             qPrintable(where + " " + QString::number(lowestWidth)));
                    continue;
                }
                QWidget *target = screen.findChild<QWidget *>(widget == QLatin1String("swatch") ? "swatch." + name : widget);
                QVERIFY2(target && target->isEnabled(), qPrintable(widget));
                QImage image = target->grab().toImage();
                if (widget == QLatin1String("swatch")) {
                    // The middle of the disc: its fill and the tick.
                    const int side = talvoro::settings::AccentSwatch::kDiameter / 2;
                    image = image.copy(QRect(QPoint(), QSize(side, side)).translated(image.rect().center() - QPoint(side / 2, side / 2)));
                }
                QVERIFY2(labelContrast(image, fill) >= ratio, qPrintable(where));
            }
        }
    }

    // Section headers and the quietest labels (captions, empty states, the
    // version line) read on the window, the cards and the white page.
    void sectionHeadersAndQuietLabelsReadInBothAppearances()
    {
        for (const bool dark : {false, true}) {
            talvoro::ui::applyAppearance(dark);
            std::unique_ptr<QLabel> header(talvoro::settings::sectionHeader(QStringLiteral("Geral")));
            talvoro::ui::StyledLabel quiet(QStringLiteral("Sua primeira transcrição aparecerá aqui"),
                                           talvoro::ui::StyledLabel::Style::tertiary);
            talvoro::ui::StyledLabel destructive(QStringLiteral("Refazer onboarding"),
                                                 talvoro::ui::StyledLabel::Style::destructive);
            for (const QLabel *label : {static_cast<const QLabel *>(header.get()), static_cast<const QLabel *>(&quiet),
                                        static_cast<const QLabel *>(&destructive)}) {
                const QColor text = label->palette().color(label->foregroundRole());
                for (const QColor &background : {talvoro::windowBackgroundColor(dark), talvoro::settingsSurfaceColor(dark),
                                                 talvoro::textBackgroundColor(dark)})
                    QVERIFY2(talvoro::contrastRatio(text, background) >= 4.5, qPrintable(label->text()));
            }
        }
    }

    // Qt sizes a message box to a narrow column (under 180 px for a
    // two-line message): an alert is at least 360 px wide, title on one line.
    void alertsAreWideEnough()
    {
        QWidget parent;
        parent.show();
        const QString title = QStringLiteral("Erro ao entrar");
        QPointer<QMessageBox> box = talvoro::settings::openAlert(
            &parent, title, QStringLiteral("A conexão falhou. Verifique a internet e tente novamente em instantes."),
            {talvoro::settings::AlertButton{QStringLiteral("OK"), QMessageBox::AcceptRole, {}, {}}});
        QVERIFY(QTest::qWaitForWindowExposed(box));
        QVERIFY2(box->width() >= 360, qPrintable(QString::number(box->width())));
        auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label->height() < 2 * label->fontMetrics().lineSpacing());
        box->close();
        QTRY_VERIFY(!box);
    }

    // A name longer than the picker draws exactly as the elided name does.
    void longPickerChoicesEndInAnEllipsis()
    {
        const QString name = QStringLiteral("Microfone USB de estúdio com cancelamento de ruído (Analógico estéreo)");
        MenuPicker picker;
        MenuPicker shortened;
        for (MenuPicker *each : {&picker, &shortened}) {
            each->setFixedWidth(180);
            each->show();
        }
        picker.addItem(name);
        QStyleOptionComboBox option;
        option.initFrom(&picker);
        const QRect field = picker.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &picker);
        const QString elided = picker.fontMetrics().elidedText(name, Qt::ElideRight, field.width());
        QVERIFY(elided.endsWith(QChar(0x2026)));
        shortened.addItem(elided);
        QCOMPARE(picker.grab().toImage(), shortened.grab().toImage());
    }
};

QTEST_MAIN(ReadabilityTest)
#include "tst_Readability.moc"

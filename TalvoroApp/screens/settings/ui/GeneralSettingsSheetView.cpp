#include "screens/settings/ui/GeneralSettingsSheetView.h"

#include "dictation/HotkeyManager.h"
#include "dictation/SystemMicrophoneProvider.h"
#include "look/ui/MenuPicker.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/ToggleSwitch.h"
#include "navigation/AppEnvironment.h"
#include "platform/LaunchAtLoginManager.h"
#include "platform/SettingsKeys.h"
#include "platform/UserDefaultsProviding.h"
#include "screens/settings/MicrophonePicker.h"
#include "screens/settings/SettingsStyle.h"
#include "screens/settings/ui/HotkeySettingView.h"
#include "screens/settings/ui/OverlaySettingsView.h"
#include "screens/settings/ui/SettingsCardView.h"
#include "texts/Localization.h"

#include <QHBoxLayout>
#include <QShowEvent>
#include <QSignalBlocker>

namespace talvoro::settings {

namespace {

constexpr int kMicrophoneSpacing = 16;
constexpr int kMicrophonePickerMaximumWidth = 280;

ui::StyledLabel *rowTitle(const QString &text, QWidget *parent)
{
    auto *label = new ui::StyledLabel(text, ui::StyledLabel::Style::primary, parent);
    label->setFont(settingsRowFont());
    return label;
}

} // namespace

GeneralSettingsSheetView::GeneralSettingsSheetView(const AppEnvironment &environment, SoundPlayerFactory soundPlayers,
                                                   QWidget *parent)
    : SettingsSheetView(localized("Geral"), parent)
    , m_settings(*environment.settings)
    , m_microphoneProvider(environment.microphones)
{
    addPaddedRow(buildLaunchAtLoginRow());
    if (environment.hotkeys) {
        for (auto kind : {HotkeyManager::HotkeyKind::dictation, HotkeyManager::HotkeyKind::translation,
                          HotkeyManager::HotkeyKind::pasteLast}) {
            addPaddedRow(new HotkeySettingView(HotkeySettingViewStyle::compactRow, kind, *environment.hotkeys,
                                               m_settings));
        }
    }
    addPaddedRow(buildMicrophoneRow());
    card()->addRow(new OverlaySettingsView(OverlaySettingsViewStyle::embedded, m_settings, std::move(soundPlayers)));

    connect(&m_settings, &UserDefaultsProviding::changed, this, [this](const QString &key) {
        if (key == SettingsKeys::preferredMicrophoneID)
            refreshMicrophonePicker();
    });
    refreshMicrophonePicker();
}

QWidget *GeneralSettingsSheetView::buildLaunchAtLoginRow()
{
    auto *row = new QWidget;
    row->setObjectName(QStringLiteral("launchAtLogin"));
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *title = rowTitle(localized("Abrir ao iniciar sessão"), row);
    layout->addWidget(title, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    m_launchSwitch = new ui::ToggleSwitch(m_settings, row);
    m_launchSwitch->setObjectName(QStringLiteral("launchAtLoginSwitch"));
    m_launchSwitch->setAccessibleName(title->text());
    // Read once: the sheet shows the stored choice, not the login item's state.
    m_launchSwitch->setChecked(m_settings.value(SettingsKeys::launchAtLogin));
    layout->addWidget(m_launchSwitch, 0, Qt::AlignVCenter);
    connect(m_launchSwitch, &ui::ToggleSwitch::toggled, this, [this](bool on) {
        // The key keeps the user's choice whatever the registration does.
        m_settings.set(SettingsKeys::launchAtLogin, on);
        LaunchAtLoginManager::setEnabled(on);
    });
    return row;
}

QWidget *GeneralSettingsSheetView::buildMicrophoneRow()
{
    auto *row = new QWidget;
    row->setObjectName(QStringLiteral("microphone"));
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *title = rowTitle(localized("Microfone de entrada"), row);
    layout->addWidget(title, 0, Qt::AlignVCenter);
    layout->addSpacing(kMicrophoneSpacing);
    layout->addStretch(1);
    m_microphonePicker = new MenuPicker(row);
    m_microphonePicker->setObjectName(QStringLiteral("microphonePicker"));
    m_microphonePicker->setAccessibleName(title->text());
    m_microphonePicker->setMaximumWidth(kMicrophonePickerMaximumWidth);
    m_microphonePicker->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    layout->addWidget(m_microphonePicker, 0, Qt::AlignVCenter);
    connect(m_microphonePicker, &QComboBox::activated, this, [this](int index) {
        m_settings.set(SettingsKeys::preferredMicrophoneID, m_microphonePicker->itemData(index).toString());
    });
    return row;
}

void GeneralSettingsSheetView::refreshMicrophonePicker()
{
    const QString stored = m_settings.value(SettingsKeys::preferredMicrophoneID);
    const auto rows = MicrophonePicker::rows(m_microphones, stored);
    const QSignalBlocker blocker(m_microphonePicker);
    m_microphonePicker->clear();
    for (const auto &row : rows)
        m_microphonePicker->addItem(row.title, row.tag);
    m_microphonePicker->setCurrentIndex(int(MicrophonePicker::selectedIndex(rows, stored)));
}

void GeneralSettingsSheetView::showEvent(QShowEvent *event)
{
    SettingsSheetView::showEvent(event);
    if (event->spontaneous())
        return;
    // Fetched each time the sheet comes on screen, not while it stays.
    m_microphones = m_microphoneProvider ? m_microphoneProvider->availableMicrophones() : QList<MicrophoneDevice>{};
    refreshMicrophonePicker();
}

} // namespace talvoro::settings

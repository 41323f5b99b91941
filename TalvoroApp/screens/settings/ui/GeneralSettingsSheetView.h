#pragma once

#include "dictation/MicrophoneDevice.h"
#include "dictation/SoundPlaying.h"
#include "screens/settings/ui/SettingsSheetView.h"

#include <QList>

class MicrophoneProviding;
class QComboBox;
class UserDefaultsProviding;
struct AppEnvironment;

namespace talvoro::ui {
class ToggleSwitch;
}

namespace talvoro::settings {

// The sheet "Geral": launch at login, the three hotkey recorders, the input
// microphone, and the overlay and sound settings, in one card.
class GeneralSettingsSheetView : public SettingsSheetView
{
    Q_OBJECT
public:
    // Needs the environment's settings; without hotkeys the recorder rows
    // are left out, without microphones only the system default is offered.
    GeneralSettingsSheetView(const AppEnvironment &environment, SoundPlayerFactory soundPlayers,
                             QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildLaunchAtLoginRow();
    QWidget *buildMicrophoneRow();
    void refreshMicrophonePicker();

    UserDefaultsProviding &m_settings;
    MicrophoneProviding *m_microphoneProvider;
    QList<MicrophoneDevice> m_microphones;
    ui::ToggleSwitch *m_launchSwitch = nullptr;
    QComboBox *m_microphonePicker = nullptr;
};

} // namespace talvoro::settings

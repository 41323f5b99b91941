#pragma once

#include "dictation/SoundPlaying.h"
#include "screens/settings/OverlaySettings.h"

#include <QWidget>

class AudioFeedbackManager;
class QComboBox;
class QLabel;
class QSlider;
class UserDefaultsProviding;

namespace talvoro::ui {
class ToggleSwitch;
}

namespace talvoro::settings {

// Edits where the recording overlay sits and the dictation's sound cues:
// two pickers for the overlay's row and column, the sounds switch, and
// while sounds are on the volume slider with its percentage and "Testar".
// Every control writes through to the settings at once and follows them.
// `card` draws the sections on a card of their own; `embedded` leaves them
// bare for a host card.
class OverlaySettingsView : public QWidget
{
    Q_OBJECT
public:
    // Registers the two sound defaults in `settings`; `soundPlayers` makes
    // the preview's player.
    OverlaySettingsView(OverlaySettingsViewStyle style, UserDefaultsProviding &settings,
                        SoundPlayerFactory soundPlayers, QWidget *parent = nullptr);
    ~OverlaySettingsView() override;

private:
    QWidget *buildPositionSection();
    QWidget *buildSoundSection();
    QWidget *buildVolumeSection();
    QString storedPosition() const;
    void refreshPosition();
    void refreshSound();
    void refreshVolume();

    UserDefaultsProviding &m_settings;
    AudioFeedbackManager *m_audioFeedback;
    QComboBox *m_rowPicker = nullptr;
    QComboBox *m_columnPicker = nullptr;
    ui::ToggleSwitch *m_soundSwitch = nullptr;
    QWidget *m_volumeSeparator = nullptr;
    QWidget *m_volumeSection = nullptr;
    QSlider *m_volumeSlider = nullptr;
    QLabel *m_volumePercent = nullptr;
};

} // namespace talvoro::settings

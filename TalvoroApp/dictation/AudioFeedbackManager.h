#pragma once

#include "dictation/SoundPlaying.h"

#include <QHash>
#include <QObject>

#include <memory>

class UserDefaultsProviding;

// The dictation's sound cues and the settings' preview, at the volume the
// user chose.
class AudioFeedbackManager : public QObject
{
    Q_OBJECT
public:
    // Registers the declared defaults of soundFeedbackEnabled and
    // soundFeedbackVolume in `settings`.
    explicit AudioFeedbackManager(UserDefaultsProviding &settings, SoundPlayerFactory playerFactory = {},
                                  QObject *parent = nullptr);
    ~AudioFeedbackManager() override;

    bool isEnabled() const;
    // The stored volume, kept within 0 to 1.
    double volume() const;

    // Plays "Tink" at the stored volume, whether or not the cues are on,
    // restarting it when it is already playing.
    void previewSound();
    // Plays a dictation cue unless the cues are switched off.
    void playCue(const QString &soundName);

private:
    SoundPlaying *player(const QString &name);
    void playAtVolume(SoundPlaying *sound);

    UserDefaultsProviding &m_settings;
    SoundPlayerFactory m_factory;
    QHash<QString, std::shared_ptr<SoundPlaying>> m_players;
};

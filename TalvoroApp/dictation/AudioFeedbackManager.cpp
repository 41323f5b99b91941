#include "dictation/AudioFeedbackManager.h"

#include "dictation/DictationLogging.h"
#include "dictation/SoundEffectPlayer.h"
#include "platform/SettingsKeys.h"
#include "platform/UserDefaultsProviding.h"

#include <algorithm>
#include <cmath>

AudioFeedbackManager::AudioFeedbackManager(UserDefaultsProviding &settings, SoundPlayerFactory playerFactory,
                                           QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_factory(playerFactory ? std::move(playerFactory) : SoundEffectPlayer::factory())
{
    m_settings.registerDefaults(SettingsKeys::soundFeedbackEnabled, SettingsKeys::soundFeedbackVolume);
}

AudioFeedbackManager::~AudioFeedbackManager() = default;

bool AudioFeedbackManager::isEnabled() const
{
    return m_settings.value(SettingsKeys::soundFeedbackEnabled);
}

double AudioFeedbackManager::volume() const
{
    const double stored = m_settings.value(SettingsKeys::soundFeedbackVolume);
    if (!std::isfinite(stored))
        return SettingsKeys::soundFeedbackVolume.defaultValue();
    return std::clamp(stored, 0.0, 1.0);
}

void AudioFeedbackManager::previewSound()
{
    playAtVolume(player(QStringLiteral("Tink")));
}

void AudioFeedbackManager::playCue(const QString &soundName)
{
    if (!isEnabled())
        return;
    playAtVolume(player(soundName));
}

SoundPlaying *AudioFeedbackManager::player(const QString &name)
{
    auto it = m_players.find(name);
    if (it == m_players.end())
        it = m_players.insert(name, std::shared_ptr<SoundPlaying>(m_factory(name)));
    return it->get();
}

void AudioFeedbackManager::playAtVolume(SoundPlaying *sound)
{
    if (!sound || !sound->isAvailable()) {
        qCDebug(lcAudioFeedback) << "Sound not available";
        return;
    }
    if (sound->isPlaying())
        sound->stop();
    sound->setVolume(volume());
    sound->play();
}

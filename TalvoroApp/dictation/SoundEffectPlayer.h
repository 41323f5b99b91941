#pragma once

#include "dictation/SoundPlaying.h"

#include <QSoundEffect>

// A sound shipped in the resources, played through QtMultimedia.
class SoundEffectPlayer final : public SoundPlaying
{
public:
    explicit SoundEffectPlayer(const QString &name);

    static QString resourcePath(const QString &name);
    static SoundPlayerFactory factory();

    bool isAvailable() const override;
    bool isPlaying() const override;
    void stop() override;
    void setVolume(double volume) override;
    void play() override;

private:
    bool m_exists = false;
    QSoundEffect m_effect;
};

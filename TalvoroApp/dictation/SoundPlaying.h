#pragma once

#include <QString>

#include <functional>
#include <memory>

// One short sound, loaded once and played many times.
class SoundPlaying
{
public:
    virtual ~SoundPlaying() = default;
    // False when the sound could not be found or decoded.
    virtual bool isAvailable() const = 0;
    virtual bool isPlaying() const = 0;
    virtual void stop() = 0;
    // 0.0 to 1.0.
    virtual void setVolume(double volume) = 0;
    virtual void play() = 0;
};

// Makes the player of a named sound (":/sounds/<name>.wav"); tests pass their own.
using SoundPlayerFactory = std::function<std::unique_ptr<SoundPlaying>(const QString &name)>;

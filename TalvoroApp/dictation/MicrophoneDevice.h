#pragma once

#include <QList>
#include <QString>

// One audio capture device as the settings show it and store it.
struct MicrophoneDevice
{
    QString id;   // the device's unique identifier (PulseAudio/PipeWire source name)
    QString name; // its human-readable description
    bool isSystemDefault = false;

    bool operator==(const MicrophoneDevice &) const = default;
};

// Where the capture devices come from; tests give a fixed list.
class MicrophoneProviding
{
public:
    virtual ~MicrophoneProviding() = default;
    virtual QList<MicrophoneDevice> availableMicrophones() const = 0;
};

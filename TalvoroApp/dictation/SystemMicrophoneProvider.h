#pragma once

#include "dictation/MicrophoneDevice.h"

#include <QLocale>

#include <chrono>

#include <optional>

// What the stored `preferredMicrophoneID` resolves to among the listed devices.
struct PreferredMicrophoneResolution
{
    std::optional<QString> requestedID; // the trimmed stored id; none when empty
    std::optional<QString> matchedID;   // the same id when a listed device has it
    bool isAvailable = false;           // no preference, or the preferred device is present

    bool operator==(const PreferredMicrophoneResolution &) const = default;
};

// The capture devices QtMultimedia finds (through PulseAudio or PipeWire).
// Qt's audio engine connects to the sound server once, when first used, and
// never notices a server started after that; when it lists nothing, the
// sound server is asked directly, on a connection of each call's own.
class SystemMicrophoneProvider final : public MicrophoneProviding
{
public:
    QList<MicrophoneDevice> availableMicrophones() const override;

    // A capture device as the sound server reports it, before filtering.
    struct CaptureDevice
    {
        QString id;
        QString description;
    };
    struct ServerSources
    {
        QList<CaptureDevice> devices;
        QString defaultID;
    };
    // What the PulseAudio (or pipewire-pulse) server of this session lists
    // now; nullopt when none answers within `timeout`.
    static std::optional<ServerSources> askSoundServer(std::chrono::milliseconds timeout);

    // Drops the monitors of outputs (not microphones), marks the default,
    // and orders: the default first, then by name, case-insensitively in the
    // order of `locale`.
    static QList<MicrophoneDevice> orderedMicrophones(const QList<CaptureDevice> &devices,
                                                      const QString &defaultID,
                                                      const QLocale &locale = QLocale());
    static bool isMonitorSource(const CaptureDevice &device);

    static PreferredMicrophoneResolution resolvePreferredMicrophone(const QString &storedID,
                                                                    const QList<MicrophoneDevice> &devices);
};

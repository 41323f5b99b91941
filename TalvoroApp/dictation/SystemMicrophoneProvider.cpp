#include "dictation/SystemMicrophoneProvider.h"

#include "dictation/DictationLogging.h"

#include <QAudioDevice>
#include <QCollator>
#include <QMediaDevices>

#include <algorithm>

SystemMicrophoneProvider &SystemMicrophoneProvider::shared()
{
    static SystemMicrophoneProvider provider;
    return provider;
}

QList<MicrophoneDevice> SystemMicrophoneProvider::availableMicrophones() const
{
    QList<CaptureDevice> devices;
    const auto inputs = QMediaDevices::audioInputs();
    devices.reserve(inputs.size());
    for (const QAudioDevice &input : inputs)
        devices.append({QString::fromUtf8(input.id()), input.description()});
    const QString defaultID = QString::fromUtf8(QMediaDevices::defaultAudioInput().id());
    return orderedMicrophones(devices, defaultID);
}

bool SystemMicrophoneProvider::isMonitorSource(const CaptureDevice &device)
{
    return device.id.endsWith(QLatin1String(".monitor"))
           || device.description.startsWith(QLatin1String("Monitor of "));
}

QList<MicrophoneDevice> SystemMicrophoneProvider::orderedMicrophones(const QList<CaptureDevice> &devices,
                                                                     const QString &defaultID,
                                                                     const QLocale &locale)
{
    QList<MicrophoneDevice> microphones;
    for (const auto &device : devices) {
        if (isMonitorSource(device) || device.id.isEmpty())
            continue;
        const bool duplicate = std::ranges::any_of(
            microphones, [&](const MicrophoneDevice &m) { return m.id == device.id; });
        if (duplicate)
            continue;
        microphones.append({device.id, device.description, !defaultID.isEmpty() && device.id == defaultID});
    }
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::ranges::stable_sort(microphones, [&](const MicrophoneDevice &a, const MicrophoneDevice &b) {
        if (a.isSystemDefault != b.isSystemDefault)
            return a.isSystemDefault;
        return collator.compare(a.name, b.name) < 0;
    });
    return microphones;
}

PreferredMicrophoneResolution SystemMicrophoneProvider::resolvePreferredMicrophone(
    const QString &storedID, const QList<MicrophoneDevice> &devices)
{
    const QString trimmed = storedID.trimmed();
    if (trimmed.isEmpty())
        return {std::nullopt, std::nullopt, true};
    const bool listed = std::ranges::any_of(devices, [&](const MicrophoneDevice &m) { return m.id == trimmed; });
    if (listed)
        return {trimmed, trimmed, true};
    return {trimmed, std::nullopt, false};
}

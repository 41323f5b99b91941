#include "dictation/SystemMicrophoneProvider.h"

#include "dictation/DictationLogging.h"

#include <QAudioDevice>
#include <QCollator>
#include <QDeadlineTimer>
#include <QMediaDevices>
#include <QScopeGuard>

#include <pulse/pulseaudio.h>

#include <algorithm>

namespace {

// A server that accepts the connection but does not answer in this time
// counts as none; the permission poll asks once a second.
constexpr std::chrono::milliseconds kServerTimeout{500};

} // namespace

QList<MicrophoneDevice> SystemMicrophoneProvider::availableMicrophones() const
{
    QList<CaptureDevice> devices;
    const auto inputs = QMediaDevices::audioInputs();
    devices.reserve(inputs.size());
    for (const QAudioDevice &input : inputs)
        devices.append({QString::fromUtf8(input.id()), input.description()});
    QString defaultID = QString::fromUtf8(QMediaDevices::defaultAudioInput().id());
    if (devices.isEmpty()) {
        // Perhaps a server started after Qt's engine looked (and gave up).
        if (auto server = askSoundServer(kServerTimeout)) {
            devices = std::move(server->devices);
            defaultID = std::move(server->defaultID);
        }
    }
    return orderedMicrophones(devices, defaultID);
}

std::optional<SystemMicrophoneProvider::ServerSources>
SystemMicrophoneProvider::askSoundServer(std::chrono::milliseconds timeout)
{
    struct Query
    {
        ServerSources sources;
        int pending = 2; // the server's info and the source list
        bool failed = false;
    } query;

    pa_mainloop *loop = pa_mainloop_new();
    pa_context *context = pa_context_new(pa_mainloop_get_api(loop), "Talvoro");
    const auto release = qScopeGuard([&] {
        pa_context_disconnect(context);
        pa_context_unref(context);
        pa_mainloop_free(loop);
    });
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return std::nullopt;

    const QDeadlineTimer deadline(timeout);
    // Runs the loop until `done` or the deadline; false on a lost connection or time-out.
    const auto runUntil = [&](const auto &done) {
        while (!done()) {
            if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context)) || query.failed || deadline.hasExpired())
                return false;
            if (pa_mainloop_prepare(loop, int(deadline.remainingTime() * 1000)) < 0 || pa_mainloop_poll(loop) < 0
                || pa_mainloop_dispatch(loop) < 0)
                return false;
        }
        return true;
    };
    if (!runUntil([&] { return pa_context_get_state(context) == PA_CONTEXT_READY; }))
        return std::nullopt;

    const auto onServer = [](pa_context *, const pa_server_info *info, void *data) {
        auto *q = static_cast<Query *>(data);
        if (info && info->default_source_name)
            q->sources.defaultID = QString::fromUtf8(info->default_source_name);
        --q->pending;
    };
    const auto onSource = [](pa_context *, const pa_source_info *info, int end, void *data) {
        auto *q = static_cast<Query *>(data);
        if (end) {
            q->failed = end < 0;
            --q->pending;
            return;
        }
        q->sources.devices.append({QString::fromUtf8(info->name), QString::fromUtf8(info->description)});
    };
    for (pa_operation *operation : {pa_context_get_server_info(context, onServer, &query),
                                    pa_context_get_source_info_list(context, onSource, &query)}) {
        if (!operation)
            return std::nullopt;
        pa_operation_unref(operation);
    }
    if (!runUntil([&] { return query.pending == 0; }))
        return std::nullopt;
    return std::move(query.sources);
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

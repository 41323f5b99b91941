#include "screens/settings/MicrophonePicker.h"

#include "dictation/SystemMicrophoneProvider.h"
#include "texts/Localization.h"

using talvoro::localized;

namespace MicrophonePicker {

QString systemDefaultTitle(const QList<MicrophoneDevice> &devices)
{
    QString name = localized("Padrão do sistema");
    for (const MicrophoneDevice &device : devices) {
        if (device.isSystemDefault) {
            name = device.name;
            break;
        }
    }
    return localized("Padrão do sistema (%1)").arg(name);
}

QList<Row> rows(const QList<MicrophoneDevice> &devices, const QString &storedID)
{
    QList<Row> result{{systemDefaultTitle(devices), QString()}};
    if (!storedID.isEmpty() && !SystemMicrophoneProvider::resolvePreferredMicrophone(storedID, devices).isAvailable)
        result.append({localized("Microfone indisponível"), storedID});
    for (const MicrophoneDevice &device : devices)
        result.append({device.name, device.id});
    return result;
}

qsizetype selectedIndex(const QList<Row> &rows, const QString &storedID)
{
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows.at(i).tag == storedID)
            return i;
    }
    return -1;
}

} // namespace MicrophonePicker

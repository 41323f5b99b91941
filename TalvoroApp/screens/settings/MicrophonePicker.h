#pragma once

#include "dictation/MicrophoneDevice.h"

#include <QList>
#include <QString>

// The rows of the general sheet's input microphone picker.
namespace MicrophonePicker {

struct Row
{
    QString title;
    QString tag; // what choosing the row stores under `preferredMicrophoneID`
    bool operator==(const Row &) const = default;
};

// The system default row (tagged ""), then "Microfone indisponível" tagged
// with the stored id exactly as stored when that preference cannot be met,
// then one row per device in the given order.
QList<Row> rows(const QList<MicrophoneDevice> &devices, const QString &storedID);

// The row whose tag is exactly the stored id; -1 when none is (a stored id
// of only spaces selects nothing).
qsizetype selectedIndex(const QList<Row> &rows, const QString &storedID);

// "Padrão do sistema (<name of the default device>)"; with no default
// device the parentheses repeat "Padrão do sistema".
QString systemDefaultTitle(const QList<MicrophoneDevice> &devices);

} // namespace MicrophonePicker

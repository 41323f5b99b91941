#pragma once

#include "dictation/OverlayPosition.h"

#include <QString>
#include <QStringList>

// The two presentations of the overlay and sound settings.
enum class OverlaySettingsViewStyle { card, embedded };

// The rules of the overlay and sound settings without widgets.
namespace OverlaySettings {

// Row (0 top … 2 bottom) and column (0 left … 2 right) of a stored
// `overlayPosition`; a value that names no case reads as `bottom`.
int rowIndex(const QString &storedRawValue);
int columnIndex(const QString &storedRawValue);

// The raw value a picker writes: the chosen row or column, the other axis
// as stored.
QString rawValueChoosingRow(const QString &storedRawValue, int row);
QString rawValueChoosingColumn(const QString &storedRawValue, int column);

// "Superior", "Centro", "Inferior" and "Esquerda", "Centro", "Direita".
QStringList rowOptionTexts();
QStringList columnOptionTexts();

// The slider moves in tenths from 0.1 to 1.0; it works in whole steps so a
// stored value is always an exact tenth (adding 0.1 to 0.7 twice in doubles
// gives 0.8999999999999999).
inline constexpr int kMinimumVolumeStep = 1;
inline constexpr int kMaximumVolumeStep = 10;
double volumeForStep(int step);
// The slider step closest to a stored volume, within the slider's range.
int stepForVolume(double volume);

// The whole percent of the volume, truncated ("70%" for 0.7). A value a
// hair under a whole percent from decimal arithmetic reads as that percent.
QString volumePercentText(double volume);

} // namespace OverlaySettings

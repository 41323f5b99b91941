#include "screens/settings/OverlaySettings.h"

#include "platform/SettingsKeys.h"
#include "texts/Localization.h"

#include <algorithm>
#include <cmath>

using talvoro::localized;

namespace OverlaySettings {

namespace {

OverlayPosition parsed(const QString &storedRawValue)
{
    return overlayPositionFromRawValue(storedRawValue).value_or(defaultOverlayPosition());
}

// Far below a tenth of a percent, far above the error of a few decimal
// additions in doubles.
constexpr double kPercentTolerance = 1e-9;

} // namespace

int rowIndex(const QString &storedRawValue)
{
    return int(parsed(storedRawValue)) / 3;
}

int columnIndex(const QString &storedRawValue)
{
    return int(parsed(storedRawValue)) % 3;
}

QString rawValueChoosingRow(const QString &storedRawValue, int row)
{
    const int column = columnIndex(storedRawValue);
    return overlayPositionRawValue(overlayPositionGrid().at(std::clamp(row, 0, 2)).at(column));
}

QString rawValueChoosingColumn(const QString &storedRawValue, int column)
{
    const int row = rowIndex(storedRawValue);
    return overlayPositionRawValue(overlayPositionGrid().at(row).at(std::clamp(column, 0, 2)));
}

QStringList rowOptionTexts()
{
    return {localized("Superior"), localized("Centro"), localized("Inferior")};
}

QStringList columnOptionTexts()
{
    return {localized("Esquerda"), localized("Centro"), localized("Direita")};
}

double volumeForStep(int step)
{
    return std::clamp(step, kMinimumVolumeStep, kMaximumVolumeStep) / 10.0;
}

int stepForVolume(double volume)
{
    if (!std::isfinite(volume))
        volume = SettingsKeys::soundFeedbackVolume.defaultValue();
    return std::clamp(int(std::lround(volume * 10.0)), kMinimumVolumeStep, kMaximumVolumeStep);
}

QString volumePercentText(double volume)
{
    const double percent = std::isfinite(volume) ? std::trunc(volume * 100.0 + kPercentTolerance) : 0.0;
    return QString::number(qint64(percent)) + QLatin1Char('%');
}

} // namespace OverlaySettings

#include "dictation/OverlayPosition.h"

#include "platform/SettingsKeys.h"
#include "platform/UserDefaultsProviding.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr std::array<const char *, 9> kRawValues{
    "topLeft", "top", "topRight", "left", "center", "right", "bottomLeft", "bottom", "bottomRight",
};

// The case the settings table names; a name of no case fails the build.
constexpr OverlayPosition kDefaultPosition = [] {
    for (std::size_t i = 0; i < kRawValues.size(); ++i) {
        if (std::string_view(kRawValues[i]) == SettingsKeys::overlayPosition.fallback.text)
            return OverlayPosition(i);
    }
    throw "the default of overlayPosition names no position";
}();

// -1 for the leading edge, 0 centred, 1 for the trailing edge.
int columnSide(OverlayPosition position)
{
    return int(position) % 3 - 1;
}

int rowSide(OverlayPosition position)
{
    return int(position) / 3 - 1;
}

int place(int side, int start, int length, int size, int margin)
{
    int coordinate = start + (length - size) / 2;
    if (side < 0)
        coordinate = start + margin;
    else if (side > 0)
        coordinate = start + length - margin - size;
    // Keep the panel on the screen when the area is too small for it.
    return std::max(start, std::min(coordinate, start + length - size));
}

} // namespace

QString overlayPositionRawValue(OverlayPosition position)
{
    return QString::fromLatin1(kRawValues[std::size_t(position)]);
}

std::optional<OverlayPosition> overlayPositionFromRawValue(const QString &rawValue)
{
    for (std::size_t i = 0; i < kRawValues.size(); ++i) {
        if (rawValue == QLatin1String(kRawValues[i]))
            return OverlayPosition(i);
    }
    return std::nullopt;
}

const OverlayPositionGrid &overlayPositionGrid()
{
    static const OverlayPositionGrid grid{{
        {OverlayPosition::topLeft, OverlayPosition::top, OverlayPosition::topRight},
        {OverlayPosition::left, OverlayPosition::center, OverlayPosition::right},
        {OverlayPosition::bottomLeft, OverlayPosition::bottom, OverlayPosition::bottomRight},
    }};
    return grid;
}

OverlayPosition defaultOverlayPosition()
{
    return kDefaultPosition;
}

OverlayPosition storedOverlayPosition(const UserDefaultsProviding &settings)
{
    return overlayPositionFromRawValue(settings.value(SettingsKeys::overlayPosition))
        .value_or(defaultOverlayPosition());
}

QPoint overlayPanelOrigin(OverlayPosition position, const QRect &available, const QSize &panelSize,
                          int margin)
{
    return {place(columnSide(position), available.x(), available.width(), panelSize.width(), margin),
            place(rowSide(position), available.y(), available.height(), panelSize.height(), margin)};
}

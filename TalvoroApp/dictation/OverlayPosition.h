#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <optional>

class UserDefaultsProviding;

// Where on the screen the recording overlay sits; stored under
// `overlayPosition` as the case name.
enum class OverlayPosition { topLeft, top, topRight, left, center, right, bottomLeft, bottom, bottomRight };

QString overlayPositionRawValue(OverlayPosition position);
std::optional<OverlayPosition> overlayPositionFromRawValue(const QString &rawValue);

// The three-by-three arrangement: rows top, middle, bottom; columns left,
// centre, right.
using OverlayPositionGrid = std::array<std::array<OverlayPosition, 3>, 3>;
const OverlayPositionGrid &overlayPositionGrid();

// The declared default of `overlayPosition`.
OverlayPosition defaultOverlayPosition();
// The stored position; the default when nothing valid is stored.
OverlayPosition storedOverlayPosition(const UserDefaultsProviding &settings);

// Distance between the overlay panel and the edges of the usable screen area.
inline constexpr int kOverlayScreenMargin = 24;

// Top-left corner of a panel of `panelSize` placed at `position` inside
// `available` (the screen minus panels and docks), `margin` away from the
// edges it sits against; a panel larger than the area stays inside its
// top-left corner.
QPoint overlayPanelOrigin(OverlayPosition position, const QRect &available, const QSize &panelSize,
                          int margin = kOverlayScreenMargin);

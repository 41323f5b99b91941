#pragma once

#include <QPalette>

class QWidget;

// Light and dark appearance for the widgets: Fusion with palettes built from
// the theme's colours, applied to the whole application. Views find out
// which appearance they are drawn in from their palette, so rendering a
// screen in the other appearance only takes another palette.
namespace talvoro::ui {

QPalette appearancePalette(bool dark);

// Fusion style, the palette of the appearance and the system font at the
// body size for every widget; also loads the symbol font.
void applyAppearance(bool dark);

// True when the palette's window colour is dark.
bool isDark(const QPalette &palette);
bool isDark(const QWidget *widget);

} // namespace talvoro::ui

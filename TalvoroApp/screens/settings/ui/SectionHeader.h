#pragma once

#include <QString>

class QWidget;

namespace talvoro::ui {
class StyledLabel;
}

namespace talvoro::settings {

// The upper-case caption at the top of a settings card (tertiary style,
// caption font, semibold, 1 px tracking; 16 above, 4 below, 20 at the
// sides). The language choice picks the casing locale.
ui::StyledLabel *sectionHeader(const QString &title, QWidget *parent = nullptr);

} // namespace talvoro::settings

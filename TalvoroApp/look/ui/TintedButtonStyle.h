#pragma once

#include "platform/SettingsStore.h"

class QPushButton;

namespace talvoro::ui {

// A push button in one of the platform's tinted styles at the small control
// size:
//  - prominent: filled with the tint, white text (a form's confirming button);
//  - bordered: a faint wash of the tint, the tint as text.
// The tint is the user's accent colour when `defaults` is given, else the
// default accent; it follows the appearance (and the setting).
enum class TintedButtonStyle { prominent, bordered };
void applyTintedButtonStyle(QPushButton *button, TintedButtonStyle style, UserDefaultsProviding *defaults = nullptr);

} // namespace talvoro::ui

#pragma once

#include <QIcon>

namespace talvoro {

// The application's icon (window and menu bar), drawn rather than shipped:
// a microphone on a blue rounded square.
QIcon appIcon();

} // namespace talvoro

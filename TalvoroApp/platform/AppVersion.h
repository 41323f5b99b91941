#pragma once

#include <QString>

namespace talvoro {

// The application's short version ("0.1.0"), as the build set it; "1.0"
// when none is set.
QString shortAppVersion();

} // namespace talvoro

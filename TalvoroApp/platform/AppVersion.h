#pragma once

#include <QString>

#include <optional>

// The application's version as the screens show it.
namespace talvoro {

// The release version from the build ("0.1.0"); nothing when the build
// carries none.
std::optional<QString> appShortVersion();
// The build number: the packager's, else the git commit count at build
// time; nothing for a build outside a git checkout.
std::optional<QString> appBuildNumber();

// "short (build)", each missing part an em dash: "0.1.0 (—)", "— (—)".
QString appVersionString(const std::optional<QString> &shortVersion, const std::optional<QString> &buildNumber);
QString appVersionString();

// The short version the feedback record sends: "1.0" when the build carries none.
QString shortAppVersion();

} // namespace talvoro

#pragma once

#include <QString>

// Folders the application owns, each named after the bundle identifier:
// settings under XDG config, the store and JSON files under XDG data,
// the avatar cache under XDG cache. Created on first use.
namespace AppPaths {

QString configDir();
QString dataDir();
QString cacheDir();

} // namespace AppPaths

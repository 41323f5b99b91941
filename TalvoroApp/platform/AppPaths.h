#pragma once

#include <QStandardPaths>
#include <QString>

// Folders the application owns, each named after the bundle identifier:
// settings under XDG config, the store and JSON files under XDG data,
// the avatar cache under XDG cache. Created on first use.
namespace AppPaths {

QString configDir();
QString dataDir();
QString cacheDir();

// Where a file picker starts: the user's folder of that kind (Pictures,
// Documents) when it exists, else the home folder, never the folder the
// process happened to be started from.
QString userFolder(QStandardPaths::StandardLocation location);

} // namespace AppPaths

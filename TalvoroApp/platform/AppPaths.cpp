#include "platform/AppPaths.h"

#include "platform/Logging.h"
#include "platform/PrivateFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString ownedFolder(QStandardPaths::StandardLocation location)
{
    const QString base = QStandardPaths::writableLocation(location);
    const QString path = QDir(base).filePath(QString::fromLatin1(talvoro::kBundleIdentifier));
    if (!talvoro::makePrivateFolder(path))
        qCWarning(lcApp) << "Cannot create folder" << path;
    return path;
}

} // namespace

namespace AppPaths {

QString configDir() { return ownedFolder(QStandardPaths::GenericConfigLocation); }
QString dataDir() { return ownedFolder(QStandardPaths::GenericDataLocation); }
QString cacheDir() { return ownedFolder(QStandardPaths::GenericCacheLocation); }

QString userFolder(QStandardPaths::StandardLocation location)
{
    const QString folder = QStandardPaths::writableLocation(location);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

} // namespace AppPaths

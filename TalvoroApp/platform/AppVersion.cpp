#include "platform/AppVersion.h"

#include <QCoreApplication>

namespace talvoro {

QString shortAppVersion()
{
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? QStringLiteral("1.0") : version;
}

} // namespace talvoro

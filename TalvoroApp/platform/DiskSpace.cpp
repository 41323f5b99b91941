#include "platform/DiskSpace.h"

#include <QFileInfo>
#include <QStorageInfo>

namespace talvoro {

bool lacksSpaceFor(const QString &path, qint64 bytes)
{
    const QStorageInfo disk(QFileInfo(path).absolutePath());
    return disk.isValid() && disk.bytesAvailable() < bytes + 64 * 1024;
}

} // namespace talvoro

void DiskFullReports::report(Unsaved what)
{
    if (m_reported.contains(what))
        return;
    m_reported.append(what);
    Q_EMIT reportedFirstTime(what);
}

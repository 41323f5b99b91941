#include "platform/PrivateFiles.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Takes every right of the group and of others away; the owner's stay as
// they are (a folder the user made read-only stays read-only). Never
// through a symbolic link.
void narrow(const QByteArray &path)
{
    struct stat info {};
    if (::lstat(path.constData(), &info) == 0 && !S_ISLNK(info.st_mode) && (info.st_mode & 077) != 0)
        ::chmod(path.constData(), info.st_mode & 07700);
}

} // namespace

namespace talvoro {

bool makePrivateFolder(const QString &path)
{
    if (!QDir().mkpath(path))
        return false;
    narrow(QFile::encodeName(path));
    return true;
}

void narrowToOwner(const QString &path)
{
    narrow(QFile::encodeName(path));
}

void makePrivateFile(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    // O_EXCL: an existing file keeps its content and is only narrowed.
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0)
        ::close(fd);
    narrow(native);
}

} // namespace talvoro

#include "platform/AtomicJsonFile.h"

#include "platform/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonParseError>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QThreadPool>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Writes into a temporary file beside `path` and renames it over `path`;
// `sync` runs fsync before the rename.
std::expected<void, QString> replaceFile(const QString &path, const QByteArray &bytes, bool sync)
{
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    if (!file.open())
        return std::unexpected(QStringLiteral("cannot create a temporary file: ") + file.errorString());
    // Each step is checked: a full disk can fail the write, the flush of
    // what was buffered, or the sync; the old file then stays as it was.
    if (file.write(bytes) != bytes.size())
        return std::unexpected(QStringLiteral("write failed: ") + file.errorString());
    if (!file.flush())
        return std::unexpected(QStringLiteral("flush failed: ") + file.errorString());
    if (sync && ::fsync(file.handle()) != 0)
        return std::unexpected(QStringLiteral("sync failed: ") + QString::fromLocal8Bit(std::strerror(errno)));
    if (::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        return std::unexpected(QStringLiteral("rename failed: ") + QString::fromLocal8Bit(std::strerror(errno)));
    file.setAutoRemove(false);
    return {};
}

} // namespace

std::expected<void, QString> AtomicJsonFile::writeBytes(const QString &path, const QByteArray &bytes,
                                                        Durability durability)
{
    const QFileInfo info(path);
    if (!talvoro::makePrivateFolder(info.absolutePath()))
        return std::unexpected(QStringLiteral("cannot create folder %1").arg(info.absolutePath()));
    const bool syncNow = durability == Durability::synced;
    auto replaced = replaceFile(info.absoluteFilePath(), bytes, syncNow);
    if (replaced && !syncNow) {
        QThreadPool::globalInstance()->start([path = info.absoluteFilePath()] {
            const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
            if (fd >= 0) {
                ::fsync(fd);
                ::close(fd);
            }
        });
    }
    return replaced;
}

std::expected<void, QString> AtomicJsonFile::write(const QString &path, const QJsonDocument &document,
                                                   QJsonDocument::JsonFormat format)
{
    return writeBytes(path, document.toJson(format));
}

AtomicJsonFile::LoadResult AtomicJsonFile::load(const QString &path)
{
    LoadResult result;
    QFile file(path);
    if (!file.exists())
        return result;
    talvoro::narrowToOwner(path);
    talvoro::narrowToOwner(QFileInfo(path).absolutePath());
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = LoadStatus::unreadable;
        result.error = file.errorString();
        return result;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    QJsonParseError parseError;
    result.document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error == QJsonParseError::NoError && !result.document.isNull()) {
        result.status = LoadStatus::loaded;
        return result;
    }
    result.status = LoadStatus::corrupt;
    result.document = {};
    result.error = parseError.error == QJsonParseError::NoError
        ? QStringLiteral("empty document")
        : QStringLiteral("%1 at offset %2").arg(parseError.errorString()).arg(parseError.offset);
    if (auto moved = moveAside(path))
        result.movedAsidePath = *moved;
    else
        result.error += QStringLiteral("; ") + moved.error();
    return result;
}

QStringList AtomicJsonFile::removeStaleTemporaries(const QString &path)
{
    // replaceFile's names: the file's name, a dot and six letters or digits.
    const QFileInfo info(path);
    const QRegularExpression temporary(QStringLiteral("^%1\\.[A-Za-z0-9]{6}$")
                                           .arg(QRegularExpression::escape(info.fileName())));
    const QDir folder = info.absoluteDir();
    QStringList removed;
    const QStringList names = folder.entryList({info.fileName() + QStringLiteral(".??????")},
                                               QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (temporary.match(name).hasMatch() && QFile::remove(folder.filePath(name)))
            removed.append(folder.filePath(name));
    }
    return removed;
}

std::expected<QString, QString> AtomicJsonFile::moveAside(const QString &path, const QDateTime &now)
{
    const QString base = path + QStringLiteral(".corrupt-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = base;
    for (int n = 1; QFile::exists(target); ++n)
        target = base + QLatin1Char('-') + QString::number(n);
    QFile file(path);
    if (!file.rename(target))
        return std::unexpected(QStringLiteral("cannot move %1 aside: %2").arg(path, file.errorString()));
    return target;
}

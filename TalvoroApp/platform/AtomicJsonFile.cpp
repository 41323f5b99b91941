#include "platform/AtomicJsonFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonParseError>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#include <unistd.h>

std::expected<void, QString> AtomicJsonFile::writeBytes(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return std::unexpected(QStringLiteral("cannot create folder %1").arg(info.absolutePath()));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return std::unexpected(file.errorString());
    // QSaveFile::commit() renames even when its final flush failed (a full
    // disk then leaves an empty file in place of the good one), and it ignores
    // fsync errors; so the write, the flush and the sync are each checked here
    // and any failure cancels, keeping the old file.
    const auto fail = [&file](const QString &what) {
        const QString error = what + QStringLiteral(": ") + file.errorString();
        file.cancelWriting();
        return std::unexpected(error);
    };
    if (file.write(bytes) != bytes.size())
        return fail(QStringLiteral("write failed"));
    if (!file.flush())
        return fail(QStringLiteral("flush failed"));
    if (::fsync(file.handle()) != 0)
        return fail(QStringLiteral("sync failed (%1)").arg(QString::fromLocal8Bit(std::strerror(errno))));
    if (!file.commit())
        return std::unexpected(QStringLiteral("commit failed: ") + file.errorString());
    return {};
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

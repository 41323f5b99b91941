#include "platform/AtomicJsonFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonParseError>
#include <QSaveFile>

std::expected<void, QString> AtomicJsonFile::writeBytes(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return std::unexpected(QStringLiteral("cannot create folder %1").arg(info.absolutePath()));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return std::unexpected(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return std::unexpected(error);
    }
    if (!file.commit())
        return std::unexpected(file.errorString());
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

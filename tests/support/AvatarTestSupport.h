#pragma once

#include "support/AccountTestSupport.h"

#include <QBuffer>
#include <QColor>
#include <QImage>

// An 8×8 PNG of one colour.
inline QByteArray avatarPngBytes(const QColor &color)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Puts a file in the stand-in backend's storage and returns its download
// URL, as the backend hands out avatar URLs.
inline QUrl serveAvatarFile(LocalBackend &backend, const QString &storageId, const QByteArray &data,
                            const QByteArray &contentType = "image/png")
{
    backend.state().files.insert(storageId, {data, contentType, QString()});
    return backendlocal::BackendState::fileURL(backend.baseURL(), storageId);
}

// The path the backend counts requests under.
inline QString avatarFilePath(const QUrl &url)
{
    return url.path().mid(1);
}

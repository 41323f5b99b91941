#include "platform/ImagePreparation.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace talvoro {

QSize sizeWithinLongerSide(QSize size, int maxLongerSide)
{
    const int longer = std::max(size.width(), size.height());
    if (maxLongerSide <= 0 || longer <= maxLongerSide)
        return size;
    const double scale = double(maxLongerSide) / double(longer);
    return {std::max(1, int(std::lround(size.width() * scale))), std::max(1, int(std::lround(size.height() * scale)))};
}

std::expected<QByteArray, ImagePreparationFailure> readImageFile(const QString &path, qint64 maxFileBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::unexpected(ImagePreparationFailure::unreadable);
    if (file.size() > maxFileBytes)
        return std::unexpected(ImagePreparationFailure::tooLarge);
    // A file that grew since the size check is still read only up to the limit.
    const QByteArray bytes = file.read(maxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return std::unexpected(ImagePreparationFailure::unreadable);
    if (bytes.size() > maxFileBytes)
        return std::unexpected(ImagePreparationFailure::tooLarge);
    return bytes;
}

std::expected<PreparedImage, ImagePreparationFailure> prepareImageFile(const QString &path,
                                                                       const ImagePreparationOptions &options)
{
    const auto bytes = readImageFile(path, options.maxFileBytes);
    if (!bytes)
        return std::unexpected(bytes.error());
    return prepareImageData(*bytes, options);
}

std::expected<PreparedImage, ImagePreparationFailure> prepareImageData(const QByteArray &bytes,
                                                                       const ImagePreparationOptions &options)
{
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QImage decoded = reader.read();
    if (decoded.isNull())
        return std::unexpected(ImagePreparationFailure::notAnImage);

    const QSize target = options.exactSize.isValid() ? options.exactSize
                                                     : sizeWithinLongerSide(decoded.size(), options.maxLongerSide);
    QImage image(target, QImage::Format_RGB32);
    image.fill(options.background);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(QPoint(0, 0), target), decoded);
    }

    QByteArray jpeg;
    QBuffer out(&jpeg);
    out.open(QIODevice::WriteOnly);
    QImageWriter writer(&out, "jpeg");
    writer.setQuality(options.jpegQuality);
    if (!writer.write(image) || jpeg.isEmpty())
        return std::unexpected(ImagePreparationFailure::encodingFailed);
    return PreparedImage{jpeg, image};
}

} // namespace talvoro

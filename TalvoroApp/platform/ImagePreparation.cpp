#include "platform/ImagePreparation.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Qt decodes a cut-off JPEG without an error (only a log line) and fills the
// missing rows with grey. The main picture's data starts at its last
// start-of-scan marker (FF DA), and a whole file has the end-of-image marker
// (FF D9) after it; inside the scan an FF byte is always followed by 00 or a
// restart marker, so no other FF D9 can stand there.
bool isCutOffJpeg(const QByteArray &bytes)
{
    const qsizetype lastScan = bytes.lastIndexOf(QByteArrayView("\xFF\xDA"));
    return lastScan >= 0 && bytes.indexOf(QByteArrayView("\xFF\xD9"), lastScan) < 0;
}

} // namespace

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
    const QByteArray format = reader.format(); // empty once read() has run
    const QImage decoded = reader.read();
    if (decoded.isNull() || (format == "jpeg" && isCutOffJpeg(bytes)))
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

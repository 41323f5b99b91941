#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

#include <expected>

// Turning a picked picture file into small JPEG bytes for an upload: read
// with a size limit, decode, scale, flatten transparency, encode.
namespace talvoro {

struct ImagePreparationOptions
{
    // Files larger than this are refused before they are read.
    qint64 maxFileBytes = 50 * 1024 * 1024;
    // When valid: stretched to exactly this size, the ratio not kept.
    QSize exactSize;
    // Otherwise, when above 0: scaled down so that the longer side is at
    // most this, the ratio kept; smaller pictures keep their size.
    int maxLongerSide = 0;
    // JPEG quality, 0–100.
    int jpegQuality = 80;
    // JPEG has no transparency: transparent areas are drawn over this.
    QColor background = Qt::white;
};

struct PreparedImage
{
    QByteArray jpeg;
    QImage image;
};

// notAnImage: no picture Qt can decode, or a JPEG cut off before its end.
enum class ImagePreparationFailure { unreadable, tooLarge, notAnImage, encodingFailed };

// The whole file, refused (tooLarge) before reading when it is larger than
// `maxFileBytes`; unreadable when it cannot be opened or read.
std::expected<QByteArray, ImagePreparationFailure> readImageFile(const QString &path, qint64 maxFileBytes);
// readImageFile, then prepareImageData.
std::expected<PreparedImage, ImagePreparationFailure> prepareImageFile(const QString &path,
                                                                       const ImagePreparationOptions &options);
std::expected<PreparedImage, ImagePreparationFailure> prepareImageData(const QByteArray &bytes,
                                                                       const ImagePreparationOptions &options);

// `size` scaled so that its longer side is `maxLongerSide`, when it is
// larger; each side at least 1, so a very thin picture never vanishes.
QSize sizeWithinLongerSide(QSize size, int maxLongerSide);

} // namespace talvoro

#pragma once
// Reading pictures that may come from anyone. The size an image claims in its header is checked against
// our own limits (limits::kMaxImagePixels, limits::kMaxImageSide) before any pixel memory is reserved, so a
// small file that claims a huge image is refused at once. Qt's own allocation limit does not take part:
// the environment variable QT_IMAGEIO_MAXALLOC can lift that one but not these.

#include <QImage>
#include <QSize>
#include <QString>
#include <optional>

class QIODevice;

namespace morlo {

// True for a size with pixels that stays within the decoded-image limits.
bool ImageSizeWithinLimits(QSize size);

// Decodes the first image of a BMP, GIF, JPEG or PNG picture. Refuses, with a reason in *error (may be
// null): any other format, a header whose size cannot be read, a size beyond the limits (for a GIF also
// the logical screen, which the decoder allocates whole), and data that does not decode. The device is
// opened for reading when it is not open yet; it must allow peeking (QFile and QBuffer do).
std::optional<QImage> ReadImageSafely(QIODevice& device, QString* error);

// The same for a file: only a regular file of at most limits::kMaxPictureBytes is read.
std::optional<QImage> ReadImageSafely(const QString& path, QString* error);

} // namespace morlo

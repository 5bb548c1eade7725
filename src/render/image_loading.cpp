#include "render/image_loading.h"

#include "model/limits.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cstdint>

namespace morlo {
namespace {

std::optional<QImage> refuse(QString* error, const QString& reason) {
    if (error)
        *error = reason;
    return std::nullopt;
}

QString tooLarge(QSize size) {
    return QStringLiteral("the image is %1 by %2 pixels; at most %3 pixels and %4 on a side are read")
        .arg(size.width())
        .arg(size.height())
        .arg(limits::kMaxImagePixels)
        .arg(limits::kMaxImageSide);
}

// The logical screen of a GIF, from the 10 bytes at its start: the decoder reserves a whole screen for the
// first frame, however small the frame that the reader reports as the image size.
std::optional<QSize> gifScreenSize(const QByteArray& head) {
    if (head.size() < 10 || !head.startsWith("GIF"))
        return std::nullopt;
    const auto byteAt = [&head](int i) { return static_cast<int>(static_cast<std::uint8_t>(head[i])); };
    return QSize(byteAt(6) | byteAt(7) << 8, byteAt(8) | byteAt(9) << 8);
}

} // namespace

bool ImageSizeWithinLimits(QSize size) {
    return size.width() > 0 && size.height() > 0 && size.width() <= limits::kMaxImageSide &&
           size.height() <= limits::kMaxImageSide &&
           static_cast<std::int64_t>(size.width()) * size.height() <= limits::kMaxImagePixels;
}

std::optional<QImage> ReadImageSafely(QIODevice& device, QString* error) {
    if (!device.isOpen() && !device.open(QIODevice::ReadOnly))
        return refuse(error, QStringLiteral("it cannot be read: %1").arg(device.errorString()));
    // The start of the data, before the reader moves through it.
    const QByteArray head = device.peek(10);
    QImageReader reader(&device);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    if (format != "png" && format != "jpeg" && format != "gif" && format != "bmp")
        return refuse(error, QStringLiteral("it is not a BMP, GIF, JPEG or PNG picture"));
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return refuse(error, QStringLiteral("its image size cannot be read"));
    if (!ImageSizeWithinLimits(size))
        return refuse(error, tooLarge(size));
    if (format == "gif") {
        const std::optional<QSize> screen = gifScreenSize(head);
        if (!screen)
            return refuse(error, QStringLiteral("its image size cannot be read"));
        // A screen of 0 by 0 makes the decoder use the frame's size, which was checked above.
        if (!screen->isEmpty() && !ImageSizeWithinLimits(*screen))
            return refuse(error, tooLarge(*screen));
    }
    QImage image;
    if (!reader.read(&image))
        return refuse(error, QStringLiteral("it does not decode: %1").arg(reader.errorString()));
    if (!ImageSizeWithinLimits(image.size()))
        return refuse(error, tooLarge(image.size()));
    return image;
}

std::optional<QImage> ReadImageSafely(const QString& path, QString* error) {
    const QFileInfo info(path);
    // A pipe or a device would block or never end.
    if (!info.isFile())
        return refuse(error, QStringLiteral("it is not a regular file"));
    if (info.size() > limits::kMaxPictureBytes)
        return refuse(
            error,
            QStringLiteral("the file is larger than %1 MiB").arg(limits::kMaxPictureBytes / (1024 * 1024)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(error, QStringLiteral("it cannot be read: %1").arg(file.errorString()));
    return ReadImageSafely(file, error);
}

} // namespace morlo

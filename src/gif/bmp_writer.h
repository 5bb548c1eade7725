#pragma once
// 24-bit BMP files of composed frames (8 bits per sample, 3 samples per pixel, bottom-up rows padded to
// four bytes), as every picture program reads them.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace morlo {

// The BMP file of an image; alpha is dropped (pixels are taken as composed over nothing, i.e. their colour
// channels as they stand after un-premultiplying).
QByteArray EncodeBmp24(const QImage& image);

// Writes the BMP file safely (the previous file survives a failure); false with a message in *error.
bool WriteBmp24(const QImage& image, const QString& path, QString* error);

} // namespace morlo

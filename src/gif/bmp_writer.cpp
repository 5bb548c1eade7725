#include "gif/bmp_writer.h"

#include "model/safe_save.h"

#include <QtEndian>

namespace morlo {
namespace {
void put16(QByteArray& out, quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}
void put32(QByteArray& out, quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}
} // namespace

QByteArray EncodeBmp24(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const int width = rgb.width();
    const int height = rgb.height();
    const quint32 rowBytes = (static_cast<quint32>(width) * 3 + 3) & ~3u;
    const quint32 pixelBytes = rowBytes * static_cast<quint32>(height);
    QByteArray out;
    out.reserve(static_cast<qsizetype>(54 + pixelBytes));
    out.append("BM", 2);
    put32(out, 54 + pixelBytes);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40); // BITMAPINFOHEADER
    put32(out, static_cast<quint32>(width));
    put32(out, static_cast<quint32>(height)); // positive: rows bottom-up
    put16(out, 1);
    put16(out, 24);
    put32(out, 0); // no compression
    put32(out, pixelBytes);
    put32(out, 3780); // 96 dots per inch, in pixels per metre
    put32(out, 3780);
    put32(out, 0);
    put32(out, 0);
    QByteArray row(static_cast<qsizetype>(rowBytes), '\0');
    for (int y = height - 1; y >= 0; --y) {
        const uchar* src = rgb.constScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<char>(src[3 * x + 2]);
            row[3 * x + 1] = static_cast<char>(src[3 * x + 1]);
            row[3 * x + 2] = static_cast<char>(src[3 * x]);
        }
        out.append(row);
    }
    return out;
}

bool WriteBmp24(const QImage& image, const QString& path, QString* error) {
    return SaveFileSafely(path, EncodeBmp24(image), error);
}

} // namespace morlo

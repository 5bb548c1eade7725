#include "render/layer_transform.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace morlo {
namespace {

constexpr double kCoordinateLimit = 536870912.0; // 2^29
constexpr double kEpsilon = 1e-7;

int clampedFloor(double value) {
    return static_cast<int>(std::clamp(std::floor(value + kEpsilon), -kCoordinateLimit, kCoordinateLimit));
}
int clampedCeil(double value) {
    return static_cast<int>(std::clamp(std::ceil(value - kEpsilon), -kCoordinateLimit, kCoordinateLimit));
}

inline uint32_t pixelOrClear(const QImage& image, int x, int y) {
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return 0;
    return reinterpret_cast<const uint32_t*>(image.constScanLine(y))[x];
}

// Weighted sum of four premultiplied pixels; weights in 1/256 and summing to 256 * 256.
inline uint32_t bilinear(uint32_t topLeft, uint32_t topRight, uint32_t bottomLeft, uint32_t bottomRight,
                         uint32_t fx, uint32_t fy) {
    const uint32_t w00 = (256 - fx) * (256 - fy);
    const uint32_t w10 = fx * (256 - fy);
    const uint32_t w01 = (256 - fx) * fy;
    const uint32_t w11 = fx * fy;
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t sum = ((topLeft >> shift) & 0xff) * w00 + ((topRight >> shift) & 0xff) * w10 +
                             ((bottomLeft >> shift) & 0xff) * w01 + ((bottomRight >> shift) & 0xff) * w11;
        result |= ((sum + 32768) >> 16) << shift;
    }
    return result;
}

QImage rotateQuarterTurns(const QImage& source, int quarterTurns) {
    const int w = source.width();
    const int h = source.height();
    const bool swapped = quarterTurns % 2 == 1;
    QImage result(swapped ? h : w, swapped ? w : h, QImage::Format_ARGB32_Premultiplied);
    if (result.isNull())
        return result;
    for (int sy = 0; sy < h; ++sy) {
        const auto* in = reinterpret_cast<const uint32_t*>(source.constScanLine(sy));
        for (int sx = 0; sx < w; ++sx) {
            int dx = sx;
            int dy = sy;
            switch (quarterTurns) {
            case 1: // counter-clockwise: the right edge becomes the top edge
                dx = sy;
                dy = w - 1 - sx;
                break;
            case 2:
                dx = w - 1 - sx;
                dy = h - 1 - sy;
                break;
            case 3:
                dx = h - 1 - sy;
                dy = sx;
                break;
            default:
                break;
            }
            reinterpret_cast<uint32_t*>(result.scanLine(dy))[dx] = in[sx];
        }
    }
    return result;
}

} // namespace

Rotation normaliseRotation(double degrees) {
    Rotation rotation;
    if (!std::isfinite(degrees))
        return rotation;
    double reduced = std::fmod(degrees, 360.0);
    if (reduced < 0)
        reduced += 360.0;
    const double quarters = std::round(reduced / 90.0);
    if (std::fabs(reduced - quarters * 90.0) < 1e-9) {
        rotation.quarterTurns = static_cast<int>(quarters) % 4;
        rotation.degrees = rotation.quarterTurns * 90.0;
        static constexpr double kCosines[4] = {1, 0, -1, 0};
        static constexpr double kSines[4] = {0, 1, 0, -1};
        rotation.cosine = kCosines[rotation.quarterTurns];
        rotation.sine = kSines[rotation.quarterTurns];
        return rotation;
    }
    rotation.degrees = reduced;
    rotation.quarterTurns = -1;
    const double radians = reduced * std::numbers::pi / 180.0;
    rotation.cosine = std::cos(radians);
    rotation.sine = std::sin(radians);
    return rotation;
}

QRect rotatedRect(QSize display, const Rotation& rotation) {
    const double w = std::max(display.width(), 0);
    const double h = std::max(display.height(), 0);
    const double c = std::fabs(rotation.cosine);
    const double s = std::fabs(rotation.sine);
    const double coveredWidth = w * c + h * s;
    const double coveredHeight = w * s + h * c;
    const double left = w / 2 - coveredWidth / 2;
    const double top = h / 2 - coveredHeight / 2;
    if (rotation.quarterTurns >= 0) {
        // Exact: keep the size and put the corner on the pixel grid.
        const int x = clampedFloor(left);
        const int y = clampedFloor(top);
        const int width = static_cast<int>(std::min(coveredWidth, kCoordinateLimit));
        const int height = static_cast<int>(std::min(coveredHeight, kCoordinateLimit));
        return QRect(x, y, width, height);
    }
    const int x0 = clampedFloor(left);
    const int y0 = clampedFloor(top);
    const int x1 = clampedCeil(left + coveredWidth);
    const int y1 = clampedCeil(top + coveredHeight);
    return QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
}

QPointF toDisplayCoordinates(QPointF point, QSize display, const Rotation& rotation) {
    const double cx = display.width() / 2.0;
    const double cy = display.height() / 2.0;
    const double x = point.x() - cx;
    const double y = point.y() - cy;
    // Inverse of the counter-clockwise screen rotation x' = x cos + y sin, y' = -x sin + y cos.
    return QPointF(x * rotation.cosine - y * rotation.sine + cx,
                   x * rotation.sine + y * rotation.cosine + cy);
}

QImage rotateScaledBitmap(const QImage& scaled, const Rotation& rotation) {
    if (scaled.isNull())
        return QImage();
    if (rotation.quarterTurns == 0)
        return scaled;
    if (rotation.quarterTurns > 0)
        return rotateQuarterTurns(scaled, rotation.quarterTurns);
    const QRect covered = rotatedRect(scaled.size(), rotation);
    QImage result(covered.size(), QImage::Format_ARGB32_Premultiplied);
    if (result.isNull())
        return result;
    result.fill(Qt::transparent);
    const double cx = scaled.width() / 2.0;
    const double cy = scaled.height() / 2.0;
    const double c = rotation.cosine;
    const double s = rotation.sine;
    for (int dy = 0; dy < covered.height(); ++dy) {
        auto* out = reinterpret_cast<uint32_t*>(result.scanLine(dy));
        const double y = covered.top() + dy + 0.5 - cy;
        for (int dx = 0; dx < covered.width(); ++dx) {
            const double x = covered.left() + dx + 0.5 - cx;
            // Source position in the pixel-centre grid (pixel i has its centre at i).
            const double sx = x * c - y * s + cx - 0.5;
            const double sy = x * s + y * c + cy - 0.5;
            if (sx <= -1 || sy <= -1 || sx >= scaled.width() || sy >= scaled.height())
                continue;
            const int x0 = static_cast<int>(std::floor(sx));
            const int y0 = static_cast<int>(std::floor(sy));
            const auto fx = static_cast<uint32_t>(std::lround((sx - x0) * 256));
            const auto fy = static_cast<uint32_t>(std::lround((sy - y0) * 256));
            out[dx] =
                bilinear(pixelOrClear(scaled, x0, y0), pixelOrClear(scaled, x0 + 1, y0),
                         pixelOrClear(scaled, x0, y0 + 1), pixelOrClear(scaled, x0 + 1, y0 + 1), fx, fy);
        }
    }
    return result;
}

} // namespace morlo

#include "render/key_color_pass.h"

#include "render/color_ref.h"

namespace morlo {

QRgb ResolveKeyColor(QRgb pixel, const QRgb* gradient) {
    constexpr QRgb transparentKey = RgbFromColorRef(kTransparentKeyColor);
    constexpr QRgb gradientKey = RgbFromColorRef(kGradientKeyColor);
    pixel |= 0xff000000u;
    if (gradient && pixel == gradientKey)
        pixel = *gradient | 0xff000000u;
    return pixel == transparentKey ? 0 : pixel;
}

bool PrepareLayerBitmap(QImage& bitmap, int width, int height) {
    if (bitmap.width() != width || bitmap.height() != height ||
        bitmap.format() != QImage::Format_ARGB32_Premultiplied || !bitmap.isDetached()) {
        bitmap = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    }
    return !bitmap.isNull();
}

bool ResolveKeyColors(const QImage& scratch, const KeyColorPass& pass, QImage& bitmap) {
    const int w = scratch.width();
    const int h = scratch.height();
    if (!PrepareLayerBitmap(bitmap, w, h))
        return false;
    constexpr QRgb transparentKey = RgbFromColorRef(kTransparentKeyColor);
    constexpr QRgb gradientKey = RgbFromColorRef(kGradientKeyColor);
    const std::vector<QRgb>* gradient = pass.gradientLines;
    if (gradient && gradient->size() < static_cast<size_t>(pass.gradientByRow ? h : w))
        gradient = nullptr;
    const bool allSides = pass.softEdges == SoftEdges::AllSides;
    const bool anySoft = pass.softEdges != SoftEdges::None;

    for (int y = 0; y < h; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(bitmap.scanLine(y));
        const bool softRow = anySoft && (y == 1 || (allSides && y == h - 2));
        for (int x = 0; x < w; ++x) {
            QRgb pixel = in[x] | 0xff000000u;
            if (gradient && pixel == gradientKey)
                pixel = (*gradient)[static_cast<size_t>(pass.gradientByRow ? y : x)] | 0xff000000u;
            if (pixel == transparentKey) {
                out[x] = 0;
            } else if (softRow || (anySoft && (x == 1 || (allSides && x == w - 2)))) {
                out[x] = qPremultiply(qRgba(qRed(pixel), qGreen(pixel), qBlue(pixel), kSoftEdgeAlpha));
            } else {
                out[x] = pixel;
            }
        }
    }
    return true;
}

} // namespace morlo

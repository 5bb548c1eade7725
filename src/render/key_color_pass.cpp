#include "render/key_color_pass.h"

#include "render/color_ref.h"

namespace morlo {

bool ResolveKeyColors(const QImage& scratch, const KeyColorPass& pass, QImage& bitmap) {
    const int w = scratch.width();
    const int h = scratch.height();
    if (bitmap.width() != w || bitmap.height() != h ||
        bitmap.format() != QImage::Format_ARGB32_Premultiplied || !bitmap.isDetached()) {
        bitmap = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
        if (bitmap.isNull())
            return false;
    }
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

#include "render/scratch_surfaces.h"

namespace morlo {

std::shared_ptr<ScratchSurfaces> MakeScratchSurfaces() {
    return std::make_shared<ScratchSurfaces>();
}

int FittingScaleFactor(std::int64_t displayWidth, std::int64_t displayHeight, int preferred) {
    if (displayWidth < 1 || displayHeight < 1 || displayWidth > kMaxLayerSide ||
        displayHeight > kMaxLayerSide)
        return 0;
    int scale = std::max(preferred, 1);
    while (scale > 1 && displayWidth * scale * displayHeight * scale > kMaxScratchPixels)
        scale /= 2;
    return scale;
}

bool PrepareSurface(QImage& surface, int width, int height, QImage::Format format, QRgb fill) {
    if (surface.width() != width || surface.height() != height || surface.format() != format) {
        surface = QImage(width, height, format);
        if (surface.isNull())
            return false;
    }
    if (format == QImage::Format_Alpha8)
        surface.fill(static_cast<uint>(qAlpha(fill)));
    else
        surface.fill(fill);
    return true;
}

} // namespace morlo

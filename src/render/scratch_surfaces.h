#pragma once
// The renderer's reusable drawing surfaces and the bounds on their size.
//
// Shapes and texts are drawn on a scratch surface at a multiple (the scale factor) of their display size.
// The surfaces live as long as their owner (one per window or composition job) and are only reallocated
// when a drawing needs another size, so that redrawing a layer does not allocate.

#include "model/limits.h"

#include <QImage>
#include <QRgb>
#include <cstdint>
#include <memory>
#include <vector>

namespace morlo {

struct ScratchSurfaces {
    QImage scratch; // Format_RGB32: a shape, text or border drawn with key colours
    std::vector<QRgb>
        gradientLines; // the gradient, one colour per row or column (it is constant along lines)
    QImage glyphMask;  // Format_Alpha8: the glyphs of a text with room for its extrusion
    std::vector<std::uint32_t> reach; // text extrusion: two rows of distances to the nearest glyph pixel
};

std::shared_ptr<ScratchSurfaces> MakeScratchSurfaces();

// A layer's display size must lie within 1..kMaxLayerSide on both sides; larger ones give an empty layer.
inline constexpr int kMaxLayerSide = limits::kMaxFrameSide;
// A scratch surface holds at most this many pixels (128 MiB at 4 bytes per pixel). A drawing that would
// exceed it at its scale factor is drawn at a smaller one.
inline constexpr std::int64_t kMaxScratchPixels = std::int64_t{1} << 25;

// The scale factor at which a layer of the given display size is drawn: `preferred`, halved until the
// scaled surface holds at most kMaxScratchPixels pixels (down to 1). 0 when a side is outside
// 1..kMaxLayerSide, which means the layer is empty.
int FittingScaleFactor(std::int64_t displayWidth, std::int64_t displayHeight, int preferred);

// Makes `surface` width x height in `format` (keeping its memory when the size and format already match)
// and fills it with `fill`. Returns false, leaving `surface` null, when the memory cannot be had.
bool PrepareSurface(QImage& surface, int width, int height, QImage::Format format, QRgb fill);

} // namespace morlo

#pragma once
// Turns a scratch surface drawn with the two key colours into a layer bitmap with per-pixel alpha.

#include <QImage>
#include <QRgb>
#include <vector>

namespace morlo {

// Which outer rows and columns of a shape get the soft alpha of 50 (smoothing the outermost pixels of a
// curved outline once the bitmap is shrunk): none; rows 1 and h - 2 and columns 1 and w - 2 (ellipses);
// only row 1 and column 1 (rounded rectangles).
enum class SoftEdges { None, AllSides, TopAndLeft };

inline constexpr int kSoftEdgeAlpha = 50;

struct KeyColorPass {
    // When set, gradient key pixels take the colour of their row (byRow) or column from this table.
    const std::vector<QRgb>* gradientLines = nullptr;
    bool gradientByRow = true;
    SoftEdges softEdges = SoftEdges::None;
};

// The layer pixel (premultiplied, alpha 0 or 255) of an opaque scratch colour outside the soft edges:
// `gradient` is the gradient colour at its place, or null when the fill has no gradient.
QRgb ResolveKeyColor(QRgb pixel, const QRgb* gradient);

// Makes `bitmap` a Format_ARGB32_Premultiplied image of the size, reusing its memory when it already has
// that size and format and is not shared. Contents are undefined. False, leaving it null, when memory is
// short.
bool PrepareLayerBitmap(QImage& bitmap, int width, int height);

// Writes into `bitmap` (Format_ARGB32_Premultiplied, the size of `scratch`, reusing its memory when it is
// not shared) the scratch pixels with alpha: gradient key pixels are first replaced by the gradient; then
// transparent key pixels get alpha 0, soft-edge pixels alpha 50 and all others 255. `scratch` must be
// Format_RGB32. Returns false, leaving `bitmap` null, when memory is short.
bool ResolveKeyColors(const QImage& scratch, const KeyColorPass& pass, QImage& bitmap);

} // namespace morlo

#pragma once
// Two-colour gradients drawn line by line, and the colour arithmetic around them. Colours are line colours
// (red in the low byte, see color_ref.h).

#include "render/layer_stack.h"

#include <QImage>
#include <QRgb>
#include <cstdint>
#include <vector>

namespace morlo {

// Gradient kinds: 1 rows from colour 1 (top) towards colour 2; 2 columns from colour 1 (left) towards
// colour 2; 3 rows mirrored about the middle (colour 1 at top and bottom, colour 2 in the middle row);
// 4 columns mirrored about the middle. Any other kind paints nothing.
enum GradientKind {
    kGradientRows = 1,
    kGradientColumns = 2,
    kGradientRowsMirrored = 3,
    kGradientColumnsMirrored = 4
};

bool IsGradientKind(int kind);

// A channel value rounded to the nearest integer (ties to even) and clamped to 0..255.
int CorrectColor(double value);

// The colour that is `percent` per cent `color1` and (100 - percent) per cent `color2`, channel by channel.
int MergeColorExt(int color1, int color2, std::uint8_t percent);

// A gradient is constant along its lines, so it is fully described by one colour per line: per row for
// kinds 1 and 3 (`height` entries), per column for kinds 2 and 4 (`width` entries). Every channel of line i
// is Round(channel1 + i * step), step = (channel2 - channel1) / L held in single precision, where L is the
// height, the width, half the height or half the width by kind; mirrored kinds give line L' - i the colour of
// line i. Fills `out` with opaque QRgb values (its storage is reused); empty for an unknown kind or a size of
// 0 or less.
void GradientLineColors(int width, int height, int color1, int color2, int kind, std::vector<QRgb>& out);

// True when the lines of `kind` are rows (kinds 1 and 3), false when they are columns.
bool GradientRunsByRow(int kind);

// Paints the gradient over the rectangle (0, 0) to (width, height) of `image`, clipped to the image, with
// opaque pixels. `image` should be a 32-bit format (RGB32 or ARGB32, premultiplied or not).
void DrawGradient(QImage& image, int width, int height, int color1, int color2, int kind);
// The same on the bitmap of the view's current layer.
void DrawGradient(LayerStack& view, int width, int height, int color1, int color2, int kind);

} // namespace morlo

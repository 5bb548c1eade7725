#pragma once
// Colour reduction: any true-colour picture to 8-bit indices and a palette.

#include "gif/gif_types.h"

namespace morlo::gif {

enum class ReduceMode {
    ReduceOctree,    // a palette of 2^bits colours fitted to the picture, cached nearest lookup
    ReduceToPalette, // the given palette, nearest entry by squared RGB distance
    ReduceWebSafe,   // the fixed 216-colour web-safe palette
};

enum class DitherMode {
    DitherNearest,        // each pixel takes its lookup's entry
    DitherFloydSteinberg, // error diffusion with serpentine rows
};

// Returns an indexed bitmap of the source's size with the palette of the reduction mode (2^bits entries
// for ReduceOctree, bits clamped to 0 to 8; a copy of `palette` for ReduceToPalette; 216 entries for ReduceWebSafe).
// Rows are visited from the top, alternately left to right and right to left.
// Throws GIFError "Invalid image dimensions" for a source without pixels or whose pixel vector does not
// match its size, "Color table overflow" for a given palette above 256 entries. A given palette without
// entries gives an empty bitmap (0 by 0, no palette). The source is not changed.
IndexedBitmap QuantizeBitmap(const RgbBitmap& source, ReduceMode reduction, DitherMode dither, int bits = 8,
                             const Palette& palette = {});

} // namespace morlo::gif

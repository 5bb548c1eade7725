#pragma once
// One shared colour table for all frames of an animation.

#include "gif/gif_image.h"

namespace morlo::gif {

// Replaces every frame's local table (and the old global table) by one global table of at most 256
// colours, ordered by the number of pixels that use each colour, and remaps all pixels. Colours beyond the
// 256 most used take the kept colour with the smallest |dR + dG + dB|. When some frame has transparent
// pixels only 255 colours are kept and black is appended as the shared transparent entry. The table ends
// with its sort flag set. Indices outside their table are set to 0 with the warning "Color not in color
// table"; a transparent frame without transparent pixels loses its transparency.
void MergeColorTables(TGIFImage& image);

} // namespace morlo::gif

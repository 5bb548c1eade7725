#pragma once
// Shrinking an animation: tables sorted by use, pixels that repeat the previous frame made transparent,
// transparent borders cropped, needless frames and extensions removed.

#include "gif/gif_image.h"
#include "gif/quantize.h"

#include <optional>

namespace morlo::gif {

// The steps of CompactAnimation to run; all off by default.
struct CompactOptions {
    bool crop = false;       // CompactCrop: cut transparent borders, delete frames left without pixels
    bool merge = false;      // CompactMerge: pixels equal to the previous frame's become transparent
    bool cleanup = false;    // CompactCleanup: drop unused transparency, needless extensions and frames
    bool sortColors = false; // CompactSortColors: order every table by use
    bool reduce = false;     // CompactReduce: only checks the reduction mode below
    // Only checked with `reduce`: ReduceToPalette without `cleanup` is refused.
    std::optional<ReduceMode> reduction;
    DitherMode dither = DitherMode::DitherNearest;
    int bits = 8;
};

// Orders `table` (the image's global table or a frame's local table) by the number of pixels that use
// each entry, most used first, remaps the pixels and transparent indices of the frames that use it, and
// cuts unused entries from the end. Returns false for a table of at most one entry (or a global table of
// an image without frames); otherwise sets the sort flag and returns true.
bool SortTableByUse(TGIFImage& image, TGIFColorMap& table);

// Runs the chosen steps in the order sort colours, cleanup of unused transparency, merge, crop, cleanup
// of extensions and empty frames. Throws GIFError "Invalid reduction method" (before changing anything)
// for CompactReduce with ReduceToPalette and without CompactCleanup. Does nothing without frames.
void CompactAnimation(TGIFImage& image, const CompactOptions& options);

} // namespace morlo::gif

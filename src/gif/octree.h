#pragma once
// Octree colour quantisation: fits a palette of 2^bits colours to a picture.

#include "gif/gif_types.h"

#include <array>
#include <cstdint>
#include <vector>

namespace morlo::gif {

// Builds the palette in one pass over the pixels.
//
// Strategy: each pixel descends from the root, choosing at level L the child given by bit 7 - L of red,
// green and blue, until it reaches a leaf (level 8, or an inner node already folded into a leaf). Whenever
// the leaf count exceeds n, the most recently created inner node of the deepest level that still has
// inner nodes absorbs its children. The palette lists the leaves depth first, children 0 to 7, each as
// the mean of its pixels (rounded down), padded with black to exactly n entries.
//
// Channel sums are 64-bit, so pictures of any size are counted without overflow.
class TColorQuantizer {
public:
    // bits 0 to 8: the palette gets 2^bits entries.
    explicit TColorQuantizer(int bits);

    void addPixels(const RgbBitmap& bitmap);
    void addColor(RgbColor color);
    Palette palette() const;
    int leafCount() const { return leafCount_; }

private:
    struct TOctreeNode {
        std::array<std::int32_t, 8> children; // node indices, -1 for none
        std::int64_t pixelCount = 0;
        std::int64_t redSum = 0;
        std::int64_t greenSum = 0;
        std::int64_t blueSum = 0;
        bool isLeaf = false;
    };

    std::int32_t newNode(int level);
    void freeNode(std::int32_t index);
    bool reduce(); // false when nothing is left to fold

    int colorCount_;
    int leafCount_ = 0;
    std::int32_t root_;
    std::vector<TOctreeNode> nodes_;
    std::vector<std::int32_t> freeNodes_;
    // Inner nodes of each level 0 to 7, most recently created last.
    std::array<std::vector<std::int32_t>, 8> innerNodes_;
    // Leaf reached by the previous pixel and its colour, valid until the tree changes shape.
    std::int32_t lastLeaf_ = -1;
    RgbColor lastColor_;
    // Leaves at level 5 or above are reached by every colour with the same top five bits per channel, so
    // they are remembered per 15-bit colour cell: (generation << 16) | node. A fold may delete leaves, so it
    // starts a new generation, which invalidates every cell at once.
    std::vector<std::uint32_t> leafCells_;
    std::uint32_t generation_ = 1;
};

} // namespace morlo::gif

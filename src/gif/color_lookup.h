#pragma once
// The three ways of finding the palette entry for a colour. Each lookup answers (red, green, blue) with a
// palette index and writes that entry's colour to `found`. They are plain classes (no virtual calls) so
// that the mappers in dither.h can be instantiated for each of them.

#include "gif/gif_types.h"

#include <array>
#include <cstdint>
#include <vector>

namespace morlo::gif {

// Cached nearest entry by the sum of absolute channel differences, in 32 768 cells of 5 bits per channel.
// At creation every entry claims its own colour's cell unless an earlier entry has it. A lookup in an empty
// cell searches all entries (first entry wins ties) and stores the answer, so the first colour looked up
// in a cell decides for every later colour of that cell. Used with octree palettes. Lookups in an empty
// palette answer 0 and black, like the slow lookup.
class TFastColorLookup {
public:
    explicit TFastColorLookup(const Palette& palette);

    int lookup(int red, int green, int blue, RgbColor& found) {
        const int cell = ((blue >> 3) << 10) | ((green >> 3) << 5) | (red >> 3);
        int index = cells_[static_cast<std::size_t>(cell)];
        if (index < 0) {
            if (palette_.empty()) {
                found = {};
                return 0;
            }
            index = search(red, green, blue);
            cells_[static_cast<std::size_t>(cell)] = static_cast<std::int16_t>(index);
        }
        found = palette_[static_cast<std::size_t>(index)];
        return index;
    }

private:
    int search(int red, int green, int blue) const;

    Palette palette_;
    // The palette as separate channel arrays, so that the full search runs over plain integer lanes.
    std::vector<std::int32_t> reds_, greens_, blues_;
    mutable std::vector<std::int32_t> distances_;
    std::array<std::int16_t, 32768> cells_;
};

// Nearest entry by the smallest squared RGB distance, first entry winning ties.
//
// Strategy: the colour space is cut into 32 768 boxes of 8 x 8 x 8 values. The first lookup in a box lists,
// in palette order, the entries that can be nearest to some colour of the box: those whose distance to the
// box is at most the smallest distance at which some entry reaches all of the box. Every lookup then
// searches only its box's list. The answers are exactly those of a search over the whole palette.
class TSlowColorLookup {
public:
    explicit TSlowColorLookup(const Palette& palette);

    int lookup(int red, int green, int blue, RgbColor& found);

private:
    void listCandidates(std::size_t box, int red0, int green0, int blue0);

    Palette palette_;
    std::vector<std::int32_t> boxStart_;   // offset into candidates_, -1 until the box is first used
    std::vector<std::uint16_t> boxCount_;  // number of candidates of the box
    std::vector<std::uint8_t> candidates_; // palette indices, each box's run in palette order
};

// The 216-colour web-safe palette: each channel v gives the level (v + 3) / 51; entry 36 r + 6 g + b.
class TNetscapeColorLookup {
public:
    int lookup(int red, int green, int blue, RgbColor& found) const {
        const int r = (red + 3) / 51;
        const int g = (green + 3) / 51;
        const int b = (blue + 3) / 51;
        found = {static_cast<std::uint8_t>(r * 51), static_cast<std::uint8_t>(g * 51),
                 static_cast<std::uint8_t>(b * 51)};
        return 36 * r + 6 * g + b;
    }
    static Palette palette();
};

} // namespace morlo::gif

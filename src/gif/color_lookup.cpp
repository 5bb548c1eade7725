#include "gif/color_lookup.h"

#include <algorithm>
#include <cstdlib>

namespace morlo::gif {

TFastColorLookup::TFastColorLookup(const Palette& palette) : palette_(palette), distances_(palette.size()) {
    for (const RgbColor& color : palette_) {
        reds_.push_back(color.red);
        greens_.push_back(color.green);
        blues_.push_back(color.blue);
    }
    cells_.fill(-1);
    for (std::size_t i = 0; i < palette_.size() && i < 32768; ++i) {
        const RgbColor& color = palette_[i];
        const int cell = ((color.blue >> 3) << 10) | ((color.green >> 3) << 5) | (color.red >> 3);
        if (cells_[static_cast<std::size_t>(cell)] < 0)
            cells_[static_cast<std::size_t>(cell)] = static_cast<std::int16_t>(i);
    }
}

int TFastColorLookup::search(int red, int green, int blue) const {
    const std::size_t count = palette_.size();
    const std::int32_t* reds = reds_.data();
    const std::int32_t* greens = greens_.data();
    const std::int32_t* blues = blues_.data();
    std::int32_t* distances = distances_.data();
    for (std::size_t i = 0; i < count; ++i)
        distances[i] = std::abs(red - reds[i]) + std::abs(green - greens[i]) + std::abs(blue - blues[i]);
    int best = 0;
    std::int32_t bestDistance = 196608;
    for (std::size_t i = 0; i < count; ++i) {
        if (distances[i] < bestDistance) {
            bestDistance = distances[i];
            best = static_cast<int>(i);
        }
    }
    return best;
}

TSlowColorLookup::TSlowColorLookup(const Palette& palette)
    : palette_(palette), boxStart_(32768, -1), boxCount_(32768, 0) {}

void TSlowColorLookup::listCandidates(std::size_t box, int red0, int green0, int blue0) {
    // Squared distance from value v to the range [low, low + 7] along one channel, and to its far end.
    auto nearSquare = [](int v, int low) {
        const int d = v < low ? low - v : (v > low + 7 ? v - low - 7 : 0);
        return d * d;
    };
    auto farSquare = [](int v, int low) {
        const int d = std::max(std::abs(v - low), std::abs(v - low - 7));
        return d * d;
    };
    int bound = 3 * 255 * 255 + 1;
    for (const RgbColor& color : palette_)
        bound = std::min(bound, farSquare(color.red, red0) + farSquare(color.green, green0) +
                                    farSquare(color.blue, blue0));
    boxStart_[box] = static_cast<std::int32_t>(candidates_.size());
    for (std::size_t i = 0; i < palette_.size(); ++i) {
        const RgbColor& color = palette_[i];
        if (nearSquare(color.red, red0) + nearSquare(color.green, green0) + nearSquare(color.blue, blue0) <=
            bound)
            candidates_.push_back(static_cast<std::uint8_t>(i));
    }
    boxCount_[box] =
        static_cast<std::uint16_t>(candidates_.size() - static_cast<std::size_t>(boxStart_[box]));
}

int TSlowColorLookup::lookup(int red, int green, int blue, RgbColor& found) {
    const std::size_t box = (static_cast<std::size_t>(blue >> 3) << 10) |
                            (static_cast<std::size_t>(green >> 3) << 5) | static_cast<std::size_t>(red >> 3);
    if (palette_.empty()) {
        found = {};
        return 0;
    }
    if (boxStart_[box] < 0)
        listCandidates(box, red & ~7, green & ~7, blue & ~7);
    const std::uint8_t* candidate = candidates_.data() + boxStart_[box];
    int best = candidate[0];
    std::int32_t bestDistance = 3 * 255 * 255 + 1;
    for (std::size_t k = 0; k < boxCount_[box]; ++k) {
        const RgbColor& color = palette_[candidate[k]];
        const std::int32_t dr = red - color.red;
        const std::int32_t dg = green - color.green;
        const std::int32_t db = blue - color.blue;
        const std::int32_t distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = candidate[k];
        }
    }
    found = palette_[static_cast<std::size_t>(best)];
    return best;
}

Palette TNetscapeColorLookup::palette() {
    Palette palette;
    palette.reserve(216);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette.push_back({static_cast<std::uint8_t>(51 * r), static_cast<std::uint8_t>(51 * g),
                                   static_cast<std::uint8_t>(51 * b)});
    return palette;
}

} // namespace morlo::gif

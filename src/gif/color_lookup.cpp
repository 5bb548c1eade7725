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

namespace {
constexpr std::size_t kMemoSize = 1 << 14;
} // namespace

TSlowColorLookup::TSlowColorLookup(const Palette& palette)
    : palette_(palette), memoKeys_(kMemoSize, 0), memoIndices_(kMemoSize, 0) {
    for (std::size_t i = 0; i < palette_.size(); ++i)
        byRed_.push_back(
            {palette_[i].red, palette_[i].green, palette_[i].blue, static_cast<std::int32_t>(i)});
    std::sort(byRed_.begin(), byRed_.end(), [](const Entry& a, const Entry& b) {
        return a.red != b.red ? a.red < b.red : a.index < b.index;
    });
}

int TSlowColorLookup::lookup(int red, int green, int blue, RgbColor& found) {
    const std::uint32_t key = (static_cast<std::uint32_t>(red) | (static_cast<std::uint32_t>(green) << 8) |
                               (static_cast<std::uint32_t>(blue) << 16)) +
                              1;
    const std::size_t slot = ((key * 0x9E3779B1u) >> 18) & (kMemoSize - 1);
    int best = 0;
    if (memoKeys_[slot] == key) {
        best = memoIndices_[slot];
    } else {
        std::int32_t bestDistance = 3 * 255 * 255 + 1;
        best = static_cast<int>(palette_.size());
        auto consider = [&](const Entry& entry) {
            const std::int32_t dg = green - entry.green;
            const std::int32_t db = blue - entry.blue;
            const std::int32_t dr = red - entry.red;
            const std::int32_t distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance || (distance == bestDistance && entry.index < best)) {
                bestDistance = distance;
                best = entry.index;
            }
        };
        // Walk outwards from the first entry whose red is not below the colour's red. An entry whose red
        // distance alone exceeds the best distance cannot win, nor can any entry further out; an equal one
        // still can, by a lower index.
        const auto start = std::lower_bound(byRed_.begin(), byRed_.end(), red,
                                            [](const Entry& entry, int value) { return entry.red < value; });
        for (auto up = start; up != byRed_.end(); ++up) {
            const std::int32_t dr = up->red - red;
            if (dr * dr > bestDistance)
                break;
            consider(*up);
        }
        for (auto down = start; down != byRed_.begin();) {
            --down;
            const std::int32_t dr = red - down->red;
            if (dr * dr > bestDistance)
                break;
            consider(*down);
        }
        memoKeys_[slot] = key;
        memoIndices_[slot] = static_cast<std::uint8_t>(best);
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

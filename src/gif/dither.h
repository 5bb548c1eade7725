#pragma once
// Mappers that turn the pixels of a picture, in serpentine order, into palette indices through a lookup
// (color_lookup.h). A mapper is told each pixel in the visiting order and when a row ends.

#include "gif/gif_types.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace morlo::gif {

// Looks each colour up unchanged.
class TDitherEngine {
public:
    explicit TDitherEngine(int /*width*/) {}

    template <class Lookup> int map(RgbColor color, Lookup& lookup) {
        RgbColor found;
        return lookup.lookup(color.red, color.green, color.blue, found);
    }
    void endRow() {}
};

// Floyd-Steinberg error diffusion with integer errors scaled by 16, for rows that alternate direction
// (the first row left to right).
//
// Per channel one error row of width + 2 slots carries the error into the next row. A left-to-right row
// uses slots 0, 1, 2...; a right-to-left row starts at slot width + 1 and goes down, so pixel x uses slot
// x + 2. For each pixel: t = v + (E[slot] + carry + 8) / 16 (truncated), clamped to 0..255; after the
// lookup, err = t - found; when err is not 0: E[slot] = belowPrevious + 3 err, belowPrevious = below +
// 5 err, below = err, carry = 7 err; when err is 0 only the carry is cleared. At the end of a row the slot
// after the last pixel takes belowPrevious and the running values restart at 0.
class TFloydSteinbergDitherer {
public:
    explicit TFloydSteinbergDitherer(int width)
        : width_(width), errors_(3 * (static_cast<std::size_t>(width) + 2), 0) {}

    template <class Lookup> int map(RgbColor color, Lookup& lookup) {
        // The three channels' errors of one slot lie side by side.
        std::int32_t* slotErrors = &errors_[3 * static_cast<std::size_t>(slot_)];
        const int red = std::clamp(color.red + (slotErrors[0] + channels_[0].carry + 8) / 16, 0, 255);
        const int green = std::clamp(color.green + (slotErrors[1] + channels_[1].carry + 8) / 16, 0, 255);
        const int blue = std::clamp(color.blue + (slotErrors[2] + channels_[2].carry + 8) / 16, 0, 255);
        RgbColor found;
        const int index = lookup.lookup(red, green, blue, found);
        diffuse(channels_[0], slotErrors[0], red - found.red);
        diffuse(channels_[1], slotErrors[1], green - found.green);
        diffuse(channels_[2], slotErrors[2], blue - found.blue);
        slot_ += direction_;
        return index;
    }

    void endRow() {
        std::int32_t* slotErrors = &errors_[3 * static_cast<std::size_t>(slot_)];
        for (int c = 0; c < 3; ++c) {
            slotErrors[c] = channels_[c].belowPrevious;
            channels_[c] = Channel{};
        }
        direction_ = -direction_;
        slot_ = direction_ > 0 ? 0 : width_ + 1;
    }

private:
    struct Channel {
        std::int32_t carry = 0;
        std::int32_t below = 0;
        std::int32_t belowPrevious = 0;
    };

    static void diffuse(Channel& channel, std::int32_t& slotError, std::int32_t err) {
        if (err != 0) {
            slotError = channel.belowPrevious + 3 * err;
            channel.belowPrevious = channel.below + 5 * err;
            channel.below = err;
            channel.carry = 7 * err;
        } else {
            channel.carry = 0;
        }
    }

    int width_;
    int slot_ = 0;
    int direction_ = 1;
    std::vector<std::int32_t> errors_; // (width + 2) slots x 3 channels
    std::array<Channel, 3> channels_{};
};

} // namespace morlo::gif

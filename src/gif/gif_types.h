#pragma once
// Plain data shared by the whole GIF module: colours, palettes, bitmaps, errors and the warning hook.
// The module uses nothing but the C++ standard library; callers convert their own pictures into these
// types (see RgbBitmap and IndexedBitmap for the exact pixel layout).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace morlo::gif {

// One colour as three bytes in the order red, green, blue.
struct RgbColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(const RgbColor&, const RgbColor&) = default;

    // Platform colour value: red in the low byte, green in the middle byte, blue in the high byte.
    static RgbColor fromColorRef(std::uint32_t color) {
        return {static_cast<std::uint8_t>(color & 0xFF), static_cast<std::uint8_t>((color >> 8) & 0xFF),
                static_cast<std::uint8_t>((color >> 16) & 0xFF)};
    }
    std::uint32_t toColorRef() const {
        return static_cast<std::uint32_t>(red) | (static_cast<std::uint32_t>(green) << 8) |
               (static_cast<std::uint32_t>(blue) << 16);
    }
};

// An ordered list of colours; a GIF table holds at most 256 of them.
using Palette = std::vector<RgbColor>;

// A true-colour picture. `pixels` holds width x height colours, rows from the top, each row left to right,
// with no padding between rows: pixel (x, y) is pixels[y * width + x]. The bitmap owns its pixels.
struct RgbBitmap {
    int width = 0;
    int height = 0;
    std::vector<RgbColor> pixels;

    RgbBitmap() = default;
    RgbBitmap(int w, int h, RgbColor fill = {})
        : width(w), height(h),
          pixels(static_cast<std::size_t>(w > 0 && h > 0 ? w : 0) * (h > 0 ? h : 0), fill) {}

    RgbColor& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    const RgbColor& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }

    // Copies 32-bit pixels of the form 0xAARRGGBB (alpha ignored), rows `bytesPerLine` bytes apart, as
    // a Qt-side caller finds them in an RGB32 or ARGB32 image. `data` is only read during the call.
    static RgbBitmap fromXrgb32(const void* data, int width, int height, std::ptrdiff_t bytesPerLine);
};

// A paletted picture of 8 bits per pixel: `indices` holds width x height palette indices in the layout of
// RgbBitmap; `palette` holds at most 256 entries. Owns both.
struct IndexedBitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indices;
    Palette palette;

    std::uint8_t& at(int x, int y) { return indices[static_cast<std::size_t>(y) * width + x]; }
    std::uint8_t at(int x, int y) const { return indices[static_cast<std::size_t>(y) * width + x]; }
};

// Every error of the module; what() is one of the module's fixed English messages ("Color table
// overflow", "Unsupported GIF version", ...).
class GIFError : public std::runtime_error {
public:
    explicit GIFError(const std::string& message) : std::runtime_error(message) {}
};

// Receives the module's warnings ("Invalid color index", "Color not in color table"); the operation goes
// on with a repaired value. An empty handler ignores them.
using WarningHandler = std::function<void(const std::string& message)>;

inline void warn(const WarningHandler& handler, const std::string& message) {
    if (handler)
        handler(message);
}

} // namespace morlo::gif

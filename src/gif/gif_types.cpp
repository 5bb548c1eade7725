#include "gif/gif_types.h"

namespace morlo::gif {

RgbBitmap RgbBitmap::fromXrgb32(const void* data, int width, int height, std::ptrdiff_t bytesPerLine) {
    RgbBitmap bitmap(width, height);
    if (bitmap.pixels.empty())
        return bitmap;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(bytes + y * bytesPerLine);
        RgbColor* out = &bitmap.at(0, y);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = row[x];
            out[x] = {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                      static_cast<std::uint8_t>(p)};
        }
    }
    return bitmap;
}

} // namespace morlo::gif

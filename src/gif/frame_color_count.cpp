#include "gif/frame_color_count.h"

#include <bit>
#include <cstdint>
#include <vector>

namespace morlo {

int CountColors(const QImage& image) {
    const QImage rgb =
        image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    std::vector<std::uint64_t> seen((1u << 24) / 64, 0);
    int count = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const std::uint32_t colour = row[x] & 0xFFFFFFu;
            std::uint64_t& word = seen[colour >> 6];
            const std::uint64_t bit = std::uint64_t{1} << (colour & 63);
            count += (word & bit) == 0;
            word |= bit;
        }
    }
    return count;
}

} // namespace morlo

#include "gif/lzw_encoder.h"

namespace morlo::gif {

namespace {
constexpr std::uint32_t kLargestCode = 4095;

// Folding the prefix's high bits onto the key costs two cheap operations on the critical path from one
// pixel to the next and spreads the keys of both flat and busy pictures well enough for linear probing.
inline std::uint32_t slotOf(std::uint32_t key) {
    return (key ^ (key >> 12)) & 8191;
}
} // namespace

bool TLZWEncoder::flush(ByteSink& out) {
    const bool ok = buffered_ == 0 || out.write(buffer_.data(), buffered_);
    buffered_ = 0;
    return ok;
}

bool TLZWEncoder::encode(const std::uint8_t* pixels, std::size_t count, int minCodeSize, ByteSink& out) {
    const std::uint32_t clearCode = 1u << minCodeSize;
    const std::uint32_t endCode = clearCode + 1;
    const std::uint32_t firstFree = clearCode + 2;
    const int firstWidth = minCodeSize + 1;

    std::uint32_t nextFree = firstFree;
    int width = firstWidth;
    std::uint32_t widthLimit = (1u << width) - 1;
    std::uint64_t bitBuffer = 0;
    int bitCount = 0;
    bool ok = true;
    buffered_ = 0;

    // Appends one code with the current width and applies the width rule for the code just sent.
    auto emit = [&](std::uint32_t code) {
        bitBuffer |= static_cast<std::uint64_t>(code) << bitCount;
        bitCount += width;
        if (bitCount >= 32) {
            std::uint8_t* dst = buffer_.data() + buffered_;
            dst[0] = static_cast<std::uint8_t>(bitBuffer);
            dst[1] = static_cast<std::uint8_t>(bitBuffer >> 8);
            dst[2] = static_cast<std::uint8_t>(bitBuffer >> 16);
            dst[3] = static_cast<std::uint8_t>(bitBuffer >> 24);
            buffered_ += 4;
            bitBuffer >>= 32;
            bitCount -= 32;
            if (buffered_ >= kBufferSize)
                ok = flush(out) && ok;
        }
        if (code == clearCode) {
            width = firstWidth;
            widthLimit = (1u << width) - 1;
        } else if (nextFree > widthLimit && width < 12) {
            ++width;
            widthLimit = (1u << width) - 1;
        }
    };

    if (count > 0) {
        clearTable();
        emit(clearCode);
        std::uint32_t prefix = pixels[0];
        for (std::size_t i = 1; i < count; ++i) {
            const std::uint32_t pixel = pixels[i];
            const std::uint32_t key = (prefix << 8) | pixel;
            std::uint32_t slot = slotOf(key);
            std::uint32_t cell = table_[slot];
            // An empty cell never matches: its key part (0xFFFFF) is above every real key.
            while ((cell >> 12) != key && cell != kEmpty) {
                slot = (slot + 1) & (kTableSize - 1);
                cell = table_[slot];
            }
            if (cell != kEmpty) {
                prefix = cell & 0xFFF;
                continue;
            }
            emit(prefix);
            prefix = pixel;
            if (nextFree == kLargestCode) {
                emit(clearCode);
                clearTable();
                nextFree = firstFree;
            } else {
                table_[slot] = (key << 12) | nextFree;
                ++nextFree;
            }
        }
        emit(prefix);
    }
    emit(endCode);

    while (bitCount > 0) {
        buffer_[buffered_++] = static_cast<std::uint8_t>(bitBuffer);
        bitBuffer >>= 8;
        bitCount -= 8;
    }
    return flush(out) && ok;
}

} // namespace morlo::gif

#pragma once
// Variable-length LZW compression of GIF image data.

#include "gif/byte_sink.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace morlo::gif {

// Turns colour indices into packed LZW codes. One encoder may compress any number of frames; it keeps its
// string table and output buffer between calls, so encoding allocates nothing.
//
// Codes: clear = 2^m, end = 2^m + 1, strings from 2^m + 2 up to 4094 (4095 is never assigned: when it would
// be, a clear code is sent and the table starts again). The code width starts at m + 1 and grows by one bit
// after the code emitted while the next free code exceeds 2^width - 1, up to 12 bits. Codes are packed
// least significant bit first; the last byte is filled with zero bits.
class TLZWEncoder {
public:
    TLZWEncoder() = default;

    // Writes the codes of `count` indices to `out`: a clear code (when count > 0), the strings, the end code.
    // Neither the minimum code size byte nor sub-block framing is written (see SubBlockSink). Every index
    // must be below 2^minCodeSize; minCodeSize is 2 to 8. Returns false when `out` failed.
    bool encode(const std::uint8_t* pixels, std::size_t count, int minCodeSize, ByteSink& out);

private:
    static constexpr int kTableBits = 13;
    static constexpr std::uint32_t kTableSize = 1u << kTableBits; // twice the largest number of strings
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;          // never a valid cell: code 4095 is unused
    static constexpr std::size_t kBufferSize = 4096;

    void clearTable() { table_.fill(kEmpty); }
    bool flush(ByteSink& out);

    // Open addressing with linear probing; a cell holds (prefix << 8 | pixel) << 12 | code.
    std::array<std::uint32_t, kTableSize> table_{};
    std::array<std::uint8_t, kBufferSize + 8> buffer_{};
    std::size_t buffered_ = 0;
};

} // namespace morlo::gif

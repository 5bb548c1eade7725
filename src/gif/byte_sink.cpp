#include "gif/byte_sink.h"

#include <algorithm>

namespace morlo::gif {

bool FailingByteSink::write(const std::uint8_t* /*data*/, std::size_t size) {
    if (size > capacity_ - written_) {
        written_ = capacity_;
        return false;
    }
    written_ += size;
    return true;
}

bool SubBlockSink::write(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const std::size_t part = std::min(size, std::size_t{255} - filled_);
        std::copy(data, data + part, block_ + 1 + filled_);
        filled_ += part;
        data += part;
        size -= part;
        if (filled_ == 255 && !flushBlock())
            return false;
    }
    return true;
}

bool SubBlockSink::flushBlock() {
    block_[0] = static_cast<std::uint8_t>(filled_);
    const bool ok = target_.write(block_, filled_ + 1);
    filled_ = 0;
    return ok;
}

bool SubBlockSink::finish() {
    if (filled_ > 0 && !flushBlock())
        return false;
    const std::uint8_t terminator = 0;
    return target_.write(&terminator, 1);
}

} // namespace morlo::gif

#pragma once
// Where the GIF writer puts its bytes. A sink reports a failed write by returning false; the writer then
// stops with the error "Could not write GIF data".

#include <cstddef>
#include <cstdint>
#include <vector>

namespace morlo::gif {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Writes `size` bytes; returns false when they could not all be written.
    virtual bool write(const std::uint8_t* data, std::size_t size) = 0;
};

// Appends everything to a vector that the caller owns and that outlives the sink.
class VectorByteSink : public ByteSink {
public:
    explicit VectorByteSink(std::vector<std::uint8_t>& target) : target_(target) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        target_.insert(target_.end(), data, data + size);
        return true;
    }

private:
    std::vector<std::uint8_t>& target_;
};

// Accepts `capacity` bytes and fails every write that would go beyond them: a full disk, for tests.
class FailingByteSink : public ByteSink {
public:
    explicit FailingByteSink(std::size_t capacity) : capacity_(capacity) {}
    bool write(const std::uint8_t* data, std::size_t size) override;
    std::size_t written() const { return written_; }

private:
    std::size_t capacity_;
    std::size_t written_ = 0;
};

// Cuts a byte stream into GIF data sub-blocks (a length byte, then up to 255 bytes; every block but the
// last is full) and passes them to `target`. finish() writes the last block and the zero terminator.
class SubBlockSink : public ByteSink {
public:
    explicit SubBlockSink(ByteSink& target) : target_(target) {}
    bool write(const std::uint8_t* data, std::size_t size) override;
    bool finish();

private:
    bool flushBlock();

    ByteSink& target_;
    std::uint8_t block_[256] = {};
    std::size_t filled_ = 0; // data bytes in block_ after its length byte
};

} // namespace morlo::gif

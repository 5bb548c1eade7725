#pragma once
// Reading structured values from a fuzzer's byte string. Every read succeeds: past the end it gives zeros
// and empty strings, so one input always maps to one deterministic run.

#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The entry point's name: LLVMFuzzerTestOneInput for libFuzzer, a name of each target's own when the
// targets link together into the corpus replay test.
#ifndef MORLO_FUZZ_ENTRY
#define MORLO_FUZZ_ENTRY LLVMFuzzerTestOneInput
#endif

namespace morlo::fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return at_ >= size_; }
    std::size_t remaining() const { return size_ - at_; }

    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    // A number from 0 to `maximum`.
    int upTo(int maximum) {
        const unsigned value = static_cast<unsigned>(byte()) << 8 | byte();
        return maximum <= 0 ? 0 : static_cast<int>(value % (static_cast<unsigned>(maximum) + 1));
    }
    bool flag() { return byte() & 1; }

    // A string of at most `maxLength` UTF-16 units drawn from a small alphabet that favours the characters
    // the object-line codec reacts to.
    QString text(int maxLength) {
        static constexpr char16_t kAlphabet[] = u"XYW=,&#130;TxtKey=aB 0-9\r\n\u00e9\u2028";
        const int length = upTo(maxLength);
        QString result;
        for (int i = 0; i < length && !empty(); ++i) {
            const std::uint8_t b = byte();
            if (b < 0xE0)
                result += QChar(kAlphabet[b % (std::size(kAlphabet) - 1)]);
            else
                result += QChar(static_cast<char16_t>(byte() << 8 | b)); // any unit, lone surrogates too
        }
        return result;
    }

    // The rest of the input as raw bytes.
    QByteArray rest() {
        const QByteArray bytes(reinterpret_cast<const char*>(data_ + at_),
                               static_cast<qsizetype>(remaining()));
        at_ = size_;
        return bytes;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// Stops the run when an invariant breaks: libFuzzer records the input as a crash, the replay test fails.
[[noreturn]] inline void Broken(const char* what) {
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}

} // namespace morlo::fuzz

#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            ::morlo::fuzz::Broken(#condition);                                                               \
    } while (false)

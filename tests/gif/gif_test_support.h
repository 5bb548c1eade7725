#pragma once
// Helpers of the GIF module tests: building small images, decoding written GIFs with Qt's independent
// reader, and reading LZW codes back from a stream.

#include "gif/gif_image.h"
#include "gif/gif_writer.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QList>
#include <QTest>
#include <cstdint>
#include <random>
#include <vector>

namespace morlo::gif::test {

// The message of the GIFError that `action` throws; empty when it throws none.
template <class F> QString errorOf(F&& action) {
    try {
        action();
    } catch (const GIFError& error) {
        return QString::fromStdString(error.what());
    }
    return {};
}

inline QByteArray toQByteArray(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// Every frame as Qt's GIF reader composes it, converted to RGB32.
inline QList<QImage> decodeWithQt(const std::vector<std::uint8_t>& bytes) {
    QByteArray data = toQByteArray(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    QList<QImage> frames;
    while (reader.canRead()) {
        QImage image = reader.read();
        if (image.isNull())
            break;
        frames.append(image.convertToFormat(QImage::Format_RGB32));
    }
    return frames;
}

inline QRgb toQRgb(RgbColor color) {
    return qRgb(color.red, color.green, color.blue);
}

// A palette of `count` different colours.
inline Palette distinctPalette(int count, unsigned seed = 1) {
    Palette palette;
    for (int i = 0; i < count; ++i)
        palette.push_back({static_cast<std::uint8_t>((i * 37 + seed) & 0xFF), static_cast<std::uint8_t>(i),
                           static_cast<std::uint8_t>((255 - i) ^ (seed & 0xFF))});
    return palette;
}

// An indexed bitmap of random indices below the palette size.
inline IndexedBitmap randomIndexed(int width, int height, const Palette& palette, unsigned seed = 7) {
    IndexedBitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.palette = palette;
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(palette.size()) - 1);
    bitmap.indices.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (auto& index : bitmap.indices)
        index = static_cast<std::uint8_t>(pick(random));
    return bitmap;
}

// Compares a decoded frame with the colours of an indexed bitmap placed at (left, top).
inline bool sameColors(const QImage& decoded, const IndexedBitmap& expected, int left = 0, int top = 0) {
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x)
            if ((decoded.pixel(left + x, top + y) & 0xFFFFFF) !=
                (toQRgb(expected.palette[expected.at(x, y)]) & 0xFFFFFF))
                return false;
    return true;
}

// LZW codes of one image's data (sub-blocks already joined), read with the decoder's width rule.
struct DecodedCodes {
    std::vector<int> codes;
    std::vector<std::uint8_t> pixels;
    int widestCode = 0;
};

inline DecodedCodes readLzwCodes(const std::vector<std::uint8_t>& data, int minCodeSize) {
    DecodedCodes out;
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    int width = minCodeSize + 1;
    std::vector<std::vector<std::uint8_t>> table;
    auto reset = [&] {
        table.assign(static_cast<std::size_t>(clear + 2), {});
        for (int i = 0; i < clear; ++i)
            table[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i)};
        width = minCodeSize + 1;
    };
    reset();
    std::size_t bitPosition = 0;
    int previous = -1;
    while (bitPosition + static_cast<std::size_t>(width) <= data.size() * 8) {
        int code = 0;
        for (int b = 0; b < width; ++b, ++bitPosition)
            code |= ((data[bitPosition / 8] >> (bitPosition % 8)) & 1) << b;
        out.codes.push_back(code);
        out.widestCode = std::max(out.widestCode, width);
        if (code == clear) {
            reset();
            previous = -1;
            continue;
        }
        if (code == end)
            break;
        std::vector<std::uint8_t> entry;
        if (code < static_cast<int>(table.size()))
            entry = table[static_cast<std::size_t>(code)];
        else if (previous >= 0) {
            entry = table[static_cast<std::size_t>(previous)];
            entry.push_back(entry.front());
        } else
            break;
        out.pixels.insert(out.pixels.end(), entry.begin(), entry.end());
        if (previous >= 0 && table.size() < 4096) {
            auto added = table[static_cast<std::size_t>(previous)];
            added.push_back(entry.front());
            table.push_back(added);
        }
        previous = code;
        if (static_cast<int>(table.size()) >= (1 << width) && width < 12)
            ++width;
    }
    return out;
}

// Joins the data sub-blocks that start at `at` (just after the minimum code size byte).
inline std::vector<std::uint8_t> joinSubBlocks(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    std::vector<std::uint8_t> data;
    while (at < bytes.size() && bytes[at] != 0) {
        const std::size_t length = bytes[at];
        data.insert(data.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at + 1),
                    bytes.begin() + static_cast<std::ptrdiff_t>(at + 1 + length));
        at += 1 + length;
    }
    return data;
}

} // namespace morlo::gif::test

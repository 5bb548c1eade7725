#pragma once
// Small picture files that claim huge images ("decompression bombs"), built in memory: PNG, JPEG, GIF and
// BMP headers with sizes beyond the decoded-image limits, and a GIF of thousands of tiny frames on a huge
// logical screen. Each is a few bytes to a few hundred kilobytes; decoding any of them would reserve
// gigabytes.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace morlo::test {

struct BombImage {
    QString name;
    QByteArray bytes;
};

inline void appendBigEndian32(QByteArray& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(static_cast<char>((value >> shift) & 0xFF));
}
inline void appendBigEndian16(QByteArray& out, std::uint16_t value) {
    out.append(static_cast<char>(value >> 8));
    out.append(static_cast<char>(value & 0xFF));
}
inline void appendLittleEndian16(QByteArray& out, std::uint16_t value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>(value >> 8));
}
inline void appendLittleEndian32(QByteArray& out, std::uint32_t value) {
    for (int shift = 0; shift <= 24; shift += 8)
        out.append(static_cast<char>((value >> shift) & 0xFF));
}

inline std::uint32_t crc32(const QByteArray& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<std::uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void appendPngChunk(QByteArray& out, const char* type, const QByteArray& data) {
    appendBigEndian32(out, static_cast<std::uint32_t>(data.size()));
    const QByteArray typed = QByteArray(type) + data;
    out.append(typed);
    appendBigEndian32(out, crc32(typed));
}

// A PNG of 8-bit RGB whose IHDR claims width x height, with a tiny IDAT and IEND.
inline QByteArray pngClaiming(std::uint32_t width, std::uint32_t height) {
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    appendBigEndian32(header, width);
    appendBigEndian32(header, height);
    header.append("\x08\x02\x00\x00\x00", 5); // depth 8, RGB, deflate, adaptive filter, no interlace
    appendPngChunk(png, "IHDR", header);
    appendPngChunk(png, "IDAT", QByteArray("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9));
    appendPngChunk(png, "IEND", QByteArray());
    return png;
}

// A baseline greyscale JPEG whose frame header claims width x height (at most 65535 each).
inline QByteArray jpegClaiming(std::uint16_t width, std::uint16_t height) {
    QByteArray jpeg("\xFF\xD8", 2);
    jpeg.append("\xFF\xDB\x00\x43\x00", 5); // one quantisation table of 64 ones
    jpeg.append(QByteArray(64, '\x01'));
    jpeg.append("\xFF\xC0\x00\x0B\x08", 5); // frame header, 8-bit samples
    appendBigEndian16(jpeg, height);
    appendBigEndian16(jpeg, width);
    jpeg.append("\x01\x01\x11\x00", 4); // one component, sampling 1x1, table 0
    // A DC and an AC Huffman table, each of one code of length 1 for the symbol 0.
    jpeg.append("\xFF\xC4\x00\x14\x00", 5);
    jpeg.append("\x01", 1);
    jpeg.append(QByteArray(15, '\0'));
    jpeg.append("\x00", 1);
    jpeg.append("\xFF\xC4\x00\x14\x10", 5);
    jpeg.append("\x01", 1);
    jpeg.append(QByteArray(15, '\0'));
    jpeg.append("\x00", 1);
    jpeg.append("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10); // scan of the one component
    jpeg.append(QByteArray(64, '\0'));
    jpeg.append("\xFF\xD9", 2);
    return jpeg;
}

// A GIF89a with a logical screen of screenWidth x screenHeight and `frames` frames of frameWidth x
// frameHeight (each one LZW code of colour 0), 2-colour global table.
inline QByteArray gifClaiming(std::uint16_t screenWidth, std::uint16_t screenHeight, int frames,
                              std::uint16_t frameWidth = 1, std::uint16_t frameHeight = 1) {
    QByteArray gif("GIF89a");
    appendLittleEndian16(gif, screenWidth);
    appendLittleEndian16(gif, screenHeight);
    gif.append("\x80\x00\x00", 3); // global table of 2 entries
    gif.append("\x00\x00\x00\xFF\xFF\xFF", 6);
    for (int i = 0; i < frames; ++i) {
        gif.append("\x21\xF9\x04\x00\x01\x00\x00\x00", 8); // graphic control: delay 1
        gif.append(',');
        appendLittleEndian16(gif, 0);
        appendLittleEndian16(gif, 0);
        appendLittleEndian16(gif, frameWidth);
        appendLittleEndian16(gif, frameHeight);
        gif.append('\0');
        gif.append("\x02\x02\x44\x01\x00", 5); // code size 2: clear, 0, end
    }
    gif.append(';');
    return gif;
}

// A 24-bit BMP whose info header claims width x height (a negative height: rows from the top).
inline QByteArray bmpClaiming(std::int32_t width, std::int32_t height) {
    QByteArray bmp("BM");
    appendLittleEndian32(bmp, 14 + 40 + 4);
    appendLittleEndian32(bmp, 0);
    appendLittleEndian32(bmp, 14 + 40);
    appendLittleEndian32(bmp, 40);
    appendLittleEndian32(bmp, static_cast<std::uint32_t>(width));
    appendLittleEndian32(bmp, static_cast<std::uint32_t>(height));
    appendLittleEndian16(bmp, 1);
    appendLittleEndian16(bmp, 24);
    for (int i = 0; i < 6; ++i)
        appendLittleEndian32(bmp, 0);
    bmp.append(QByteArray(4, '\0'));
    return bmp;
}

inline std::vector<BombImage> bombImages() {
    return {
        {"png-100000x100000.png", pngClaiming(100000, 100000)},
        {"png-16384x16384.png", pngClaiming(16384, 16384)},
        {"png-4097x4096.png", pngClaiming(4097, 4096)},
        {"png-1x16385.png", pngClaiming(1, 16385)},
        {"png-2147483647-square.png", pngClaiming(0x7FFFFFFF, 0x7FFFFFFF)},
        {"jpeg-65535x65535.jpg", jpegClaiming(65535, 65535)},
        {"jpeg-65500x65500.jpg", jpegClaiming(65500, 65500)},
        {"jpeg-8192x4097.jpg", jpegClaiming(8192, 4097)},
        {"gif-frame-65535x65535.gif", gifClaiming(65535, 65535, 1, 65535, 65535)},
        {"gif-5000-frames-on-65535x65535-screen.gif", gifClaiming(65535, 65535, 5000)},
        {"gif-frame-1x1-on-20000x1-screen.gif", gifClaiming(20000, 1, 3)},
        {"bmp-100000x100000.bmp", bmpClaiming(100000, 100000)},
        {"bmp-top-down-30000x30000.bmp", bmpClaiming(30000, -30000)},
        {"bmp-8000x8000.bmp", bmpClaiming(8000, 8000)},
        {"bmp-16385x1.bmp", bmpClaiming(16385, 1)},
    };
}

} // namespace morlo::test

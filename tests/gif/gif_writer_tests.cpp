// The in-memory GIF, its LZW encoder and its stream writer: exact bytes where the format fixes them, and
// every written stream decoded again by Qt's GIF reader.

#include "common/test_registry.h"
#include "gif/byte_sink.h"
#include "gif/gif_image.h"
#include "gif/gif_writer.h"
#include "gif/lzw_encoder.h"
#include "gif_test_support.h"

#include <QTest>
#include <string>

using namespace morlo::gif;
using namespace morlo::gif::test;

namespace {

IndexedBitmap flatBitmap(int width, int height, const Palette& palette, std::uint8_t index = 0) {
    IndexedBitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.palette = palette;
    bitmap.indices.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), index);
    return bitmap;
}

std::vector<std::uint8_t> bytesOf(std::initializer_list<int> values) {
    std::vector<std::uint8_t> bytes;
    for (int v : values)
        bytes.push_back(static_cast<std::uint8_t>(v));
    return bytes;
}

std::vector<std::uint8_t> slice(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t size) {
    return {bytes.begin() + static_cast<std::ptrdiff_t>(at),
            bytes.begin() + static_cast<std::ptrdiff_t>(at + size)};
}

} // namespace

class GifWriterTests : public QObject {
    Q_OBJECT

private slots:
    // One colour in the global table: written as two entries, size bits 0, minimum code size 2, codes
    // clear (4) ... end (5) with the last byte padded by zero bits.
    void oneColourFrameBytes() {
        TGIFImage image;
        image.AppendBitmap(flatBitmap(3, 2, {{10, 20, 30}}));
        image.FoldSingleTable();
        const auto bytes = WriteGIF(image);
        const auto expected = bytesOf({'G',  'I', 'F',  '8',  '7', 'a', 3, 0, 2, 0,    0x80, 0, 0, // screen
                                       10,   20,  30,   0,    0,   0,                              // table
                                       0x2C, 0,   0,    0,    0,   3,   0, 2, 0, 0x00, // descriptor
                                       2,    2,   0x84, 0x5F, 0,                       // clear 0 6 7 end
                                       0x3B});
        QCOMPARE(bytes, expected);
        const auto codes = readLzwCodes({0x84, 0x5F}, 2);
        QCOMPARE(codes.codes, (std::vector<int>{4, 0, 6, 7, 5}));
        QCOMPARE(decodeWithQt(bytes).value(0).pixel(2, 1), qRgb(10, 20, 30));
    }

    // Packed byte of the logical screen and padding of the global table.
    void globalTableHeader_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<bool>("sorted");
        QTest::addColumn<int>("packed");
        QTest::addColumn<int>("tableEntries");
        QTest::newRow("1 colour") << 1 << false << 0x80 << 2;
        QTest::newRow("2 colours") << 2 << false << 0x80 << 2;
        QTest::newRow("3 colours sorted") << 3 << true << 0x99 << 4;
        QTest::newRow("5 colours") << 5 << false << 0xA2 << 8;
        QTest::newRow("129 colours") << 129 << false << 0xF7 << 256;
        QTest::newRow("200 colours sorted") << 200 << true << 0xFF << 256;
        QTest::newRow("256 colours sorted") << 256 << true << 0xFF << 256;
    }
    void globalTableHeader() {
        QFETCH(int, entries);
        QFETCH(bool, sorted);
        QFETCH(int, packed);
        QFETCH(int, tableEntries);
        TGIFImage image;
        const Palette palette = distinctPalette(entries);
        auto bitmap = randomIndexed(17, 5, palette);
        image.AppendBitmap(bitmap);
        image.FoldSingleTable();
        image.globalColorMap().setSorted(sorted);
        const auto bytes = WriteGIF(image);
        QCOMPARE(int(bytes[10]), packed);
        QCOMPARE(slice(bytes, 0, 6), bytesOf({'G', 'I', 'F', '8', '7', 'a'})); // the sort bit needs no 89a
        for (int i = entries; i < tableEntries; ++i)
            QCOMPARE(slice(bytes, 13 + 3 * std::size_t(i), 3), bytesOf({0, 0, 0}));
        QCOMPARE(int(bytes[13 + 3 * std::size_t(tableEntries)]), 0x2C);
        const auto frames = decodeWithQt(bytes);
        QCOMPARE(frames.size(), 1);
        QVERIFY(sameColors(frames[0], bitmap));
    }

    // A global table smaller than a local one: the size field describes the global table actually written.
    void globalSizeFieldWithWiderLocalTable() {
        TGIFImage image;
        const auto wide = randomIndexed(9, 4, distinctPalette(256), 2);
        image.AppendBitmap(flatBitmap(9, 4, {{7, 7, 7}, {9, 9, 9}}, 1));
        image.FoldSingleTable();
        image.AppendBitmap(wide);
        const auto bytes = WriteGIF(image);
        QCOMPARE(int(bytes[10]), 0x80 | 0x70 | 0x00);
        QCOMPARE(int(bytes[13 + 6]), 0x2C);
        const auto frames = decodeWithQt(bytes);
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames[0].pixel(8, 3), qRgb(9, 9, 9));
        QVERIFY(sameColors(frames[1], wide));
    }

    // "89a" only for extensions or sorted local tables; the looping extension follows the global table.
    void versionAndExtensionBytes() {
        TGIFImage image;
        image.AppendBitmap(flatBitmap(2, 2, {{1, 2, 3}, {4, 5, 6}}));
        image.AppendBitmap(flatBitmap(2, 2, {{1, 2, 3}, {4, 5, 6}}, 1));
        image.globalColorMap().importPalette({{1, 2, 3}, {4, 5, 6}});
        image.frame(0).localColorMap().clear();
        image.frame(1).localColorMap().clear();
        QCOMPARE(slice(WriteGIF(image), 3, 3), bytesOf({'8', '7', 'a'}));

        image.frame(1).localColorMap().importPalette({{1, 2, 3}, {4, 5, 6}});
        image.frame(1).localColorMap().setSorted(true);
        QCOMPARE(slice(WriteGIF(image), 3, 3), bytesOf({'8', '9', 'a'}));
        // A local table emptied by the sorting step is not written and claims no order.
        image.frame(1).localColorMap().assign({}, true);
        QCOMPARE(slice(WriteGIF(image), 3, 3), bytesOf({'8', '7', 'a'}));
        image.frame(1).localColorMap().clear();

        image.frame(0).addLoopExtension(0);
        auto& control = image.frame(0).addControlExtension();
        control.disposal = 2;
        control.delay = 0x0102;
        control.setTransparent(true);
        control.setTransparentIndex(1);
        const auto bytes = WriteGIF(image);
        QCOMPARE(slice(bytes, 0, 6), bytesOf({'G', 'I', 'F', '8', '9', 'a'}));
        const std::size_t afterTable = 13 + 6;
        QCOMPARE(slice(bytes, afterTable, 19), bytesOf({0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P',
                                                        'E', '2', '.', '0', 3, 1, 0, 0, 0}));
        QCOMPARE(slice(bytes, afterTable + 19, 8), bytesOf({0x21, 0xF9, 0x04, 0x09, 0x02, 0x01, 0x01, 0x00}));

        image.frame(0).addLoopExtension(3).bufferSize = 0x01020304;
        const auto withBuffer = WriteGIF(image);
        QCOMPARE(slice(withBuffer, afterTable + 27 + 14, 11),
                 bytesOf({0x03, 0x01, 0x03, 0x00, 0x05, 0x02, 0x04, 0x03, 0x02, 0x01, 0x00}));
        const auto frames = decodeWithQt(withBuffer);
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames[0].pixel(1, 1), qRgb(1, 2, 3));
    }

    // Data longer than one sub-block: 600 bytes become 255, 255 and 90 bytes, then the terminator.
    void subBlocksOf600Bytes() {
        std::vector<std::uint8_t> out;
        VectorByteSink target(out);
        SubBlockSink blocks(target);
        std::vector<std::uint8_t> data(600);
        for (std::size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<std::uint8_t>(i * 7);
        QVERIFY(blocks.write(data.data(), 100));
        QVERIFY(blocks.write(data.data() + 100, 500));
        QVERIFY(blocks.finish());
        QCOMPARE(out.size(), std::size_t(600 + 4));
        QCOMPARE(int(out[0]), 255);
        QCOMPARE(int(out[256]), 255);
        QCOMPARE(int(out[512]), 90);
        QCOMPARE(int(out.back()), 0);
        QCOMPARE(joinSubBlocks(out, 0), data);
    }

    // A frame with more strings than the table holds: clear codes at 4095, never more than 12 bits, and
    // the exact pixels back through a reference decoder and through Qt.
    void clearCodeAt4095() {
        const Palette palette = distinctPalette(256);
        const IndexedBitmap bitmap = randomIndexed(300, 200, palette, 3);
        TGIFImage image;
        image.AppendBitmap(bitmap);
        const auto bytes = WriteGIF(image);
        const std::size_t codeSizeAt = 13 + 10 + 256 * 3;
        QCOMPARE(int(bytes[codeSizeAt]), 8);
        const auto decoded = readLzwCodes(joinSubBlocks(bytes, codeSizeAt + 1), 8);
        QCOMPARE(decoded.pixels, bitmap.indices);
        QCOMPARE(decoded.widestCode, 12);
        // After a clear, strings 258..4094 are entered; the code that would take 4095 is followed by a clear.
        std::vector<std::size_t> clears;
        for (std::size_t i = 0; i < decoded.codes.size(); ++i)
            if (decoded.codes[i] == 256)
                clears.push_back(i);
        QVERIFY(clears.size() >= 4);
        for (std::size_t c = 1; c < clears.size(); ++c)
            QCOMPARE(clears[c] - clears[c - 1], std::size_t(4094 - 258 + 1 + 2));
        const auto frames = decodeWithQt(bytes);
        QCOMPARE(frames.size(), 1);
        QVERIFY(sameColors(frames[0], bitmap));
    }

    // Frames of every table size class and of odd shapes, several per file, decoded by Qt.
    void roundTripThroughQt_data() {
        QTest::addColumn<int>("colours");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        for (int colours : {1, 2, 3, 4, 5, 8, 9, 16, 17, 32, 33, 64, 65, 128, 129, 200, 256})
            QTest::addRow("%d colours", colours) << colours << 23 << 11;
        QTest::newRow("1x1") << 2 << 1 << 1;
        QTest::newRow("banner") << 64 << 468 << 60;
        QTest::newRow("tall") << 7 << 1 << 300;
    }
    void roundTripThroughQt() {
        QFETCH(int, colours);
        QFETCH(int, width);
        QFETCH(int, height);
        TGIFImage image;
        std::vector<IndexedBitmap> bitmaps;
        for (unsigned i = 0; i < 3; ++i) {
            bitmaps.push_back(randomIndexed(width, height, distinctPalette(colours, i), 11 + i));
            image.AppendBitmap(bitmaps.back());
            image.frame(int(i)).addControlExtension().delay = 5;
        }
        const auto frames = decodeWithQt(WriteGIF(image));
        QCOMPARE(frames.size(), 3);
        for (int i = 0; i < 3; ++i)
            QVERIFY2(sameColors(frames[i], bitmaps[std::size_t(i)]), qPrintable(QString("frame %1").arg(i)));
    }

    // The module's errors, each with its message.
    void errors() {
        TGIFImage image;
        QCOMPARE(errorOf([&] { WriteGIF(image); }), QString("Unsupported GIF version"));

        auto bitmap = flatBitmap(2, 2, {{1, 1, 1}, {2, 2, 2}});
        bitmap.indices[3] = 2; // outside the two-entry local table
        image.AppendBitmap(bitmap);
        QCOMPARE(errorOf([&] { WriteGIF(image); }), QString("Color not in color table"));

        QCOMPARE(errorOf([&] {
                     image.AppendBitmap(flatBitmap(0, 5, {{1, 1, 1}}));
                 }),
                 QString("Invalid image dimensions"));
        QCOMPARE(errorOf([&] { image.AppendBitmap(flatBitmap(2, 2, distinctPalette(257))); }),
                 QString("Color table overflow"));

        TGIFColorMap table;
        QCOMPARE(errorOf([&] { table.entry(0); }), QString("Color table is empty"));
        QCOMPARE(errorOf([&] { table.setEntry(0, {}); }), QString("Invalid color index"));
        QCOMPARE(errorOf([&] { table.remove(0); }), QString("Invalid color index"));
        table.importPalette(distinctPalette(256));
        QCOMPARE(errorOf([&] { table.add({}); }), QString("Color table overflow"));
    }

    // Warnings repair the value and go to the handler; without a handler nothing is reported.
    void warningsRepairValues() {
        QStringList warnings;
        TGIFImage image([&](const std::string& message) { warnings << QString::fromStdString(message); });
        image.AppendBitmap(flatBitmap(2, 2, {{9, 9, 9}, {8, 8, 8}}));
        QCOMPARE(image.frame(0).localColorMap().entry(5), (RgbColor{9, 9, 9}));
        auto& control = image.frame(0).addControlExtension();
        control.setTransparentIndex(2);
        QCOMPARE(control.transparentIndex(), 0);
        image.frame(0).left = 1; // moved beyond the logical screen by hand
        WriteGIF(image);
        QCOMPARE(warnings, QStringList({"Invalid color index", "Invalid color index",
                                        "Image exceeds Logical Screen size"}));
    }

    // A sink that fails at any point ends the write with an error instead of a silent, truncated file.
    void failingSink() {
        TGIFImage image;
        image.AppendBitmap(randomIndexed(100, 50, distinctPalette(40), 5));
        const std::size_t full = WriteGIF(image).size();
        for (std::size_t capacity :
             {std::size_t(0), std::size_t(5), std::size_t(13 + 10), full / 2, full - 1}) {
            FailingByteSink sink(capacity);
            QCOMPARE(errorOf([&] { WriteGIF(image, sink); }), QString("Could not write GIF data"));
        }
        FailingByteSink enough(full);
        WriteGIF(image, enough);
        QCOMPARE(enough.written(), full);
    }

    // Table operations: search direction follows the sort flag; changes clear it; bits per pixel.
    void colorMapOperations() {
        TGIFColorMap table;
        QCOMPARE(table.bitsPerPixel(), 0);
        table.importPalette({{1, 0, 0}, {0, 2, 0}, {1, 0, 0}});
        QCOMPARE(table.IndexOfColor(0x000001), 2);
        table.setSorted(true);
        QCOMPARE(table.IndexOfColor(0x000001), 0);
        QCOMPARE(table.IndexOfColor(0x000200), 1);
        QCOMPARE(table.IndexOfColor(0x123456), -1);
        table.add({0, 0, 3});
        QVERIFY(!table.sorted());
        table.remove(0);
        QCOMPARE(table.entry(0), (RgbColor{0, 2, 0}));
        const std::pair<int, int> bits[] = {{1, 1}, {2, 1},   {3, 2},   {4, 2},
                                            {5, 3}, {128, 7}, {129, 8}, {256, 8}};
        for (auto [count, expected] : bits) {
            table.importPalette(distinctPalette(count));
            QCOMPARE(table.bitsPerPixel(), expected);
        }
    }

    // The screen grows with the frames; ClearImage empties everything; FoldSingleTable only for one frame.
    void imageLifecycle() {
        TGIFImage image;
        image.AppendBitmap(flatBitmap(4, 9, {{1, 1, 1}}));
        image.AppendBitmap(flatBitmap(7, 2, {{2, 2, 2}}));
        QCOMPARE(image.width(), 7);
        QCOMPARE(image.height(), 9);
        image.FoldSingleTable();
        QVERIFY(image.globalColorMap().isEmpty());
        image.ClearImage();
        QCOMPARE(image.frameCount(), 0);
        QCOMPARE(image.width(), 0);
        image.AppendBitmap(flatBitmap(3, 3, {{5, 6, 7}, {1, 1, 1}}));
        image.FoldSingleTable();
        QCOMPARE(image.globalColorMap().count(), 2);
        QVERIFY(image.frame(0).localColorMap().isEmpty());
        QCOMPARE(&image.frame(0).activeColorMap(), &image.globalColorMap());
    }

    // The encoder writes the same codes however the output is split up and however often it is reused.
    void encoderIsReusable() {
        const auto bitmap = randomIndexed(97, 31, distinctPalette(5), 9);
        TLZWEncoder encoder;
        std::vector<std::uint8_t> first, second;
        VectorByteSink firstSink(first), secondSink(second);
        QVERIFY(encoder.encode(bitmap.indices.data(), bitmap.indices.size(), 3, firstSink));
        QVERIFY(encoder.encode(bitmap.indices.data(), bitmap.indices.size(), 3, secondSink));
        QCOMPARE(first, second);
        QCOMPARE(readLzwCodes(first, 3).pixels, bitmap.indices);
    }
};

MORLO_TEST(GifWriterTests)
#include "gif_writer_tests.moc"

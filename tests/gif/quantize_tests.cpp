// Colour reduction: octree palettes, the three lookups, both mappers and the serpentine visiting order.

#include "common/test_registry.h"
#include "gif/color_lookup.h"
#include "gif/gif_image.h"
#include "gif/gif_writer.h"
#include "gif/octree.h"
#include "gif/quantize.h"
#include "gif_test_support.h"

#include <QTest>
#include <random>

using namespace morlo::gif;
using namespace morlo::gif::test;

namespace {

RgbColor grey(int v) {
    return {std::uint8_t(v), std::uint8_t(v), std::uint8_t(v)};
}

RgbBitmap bitmapOf(int width, int height, const std::vector<RgbColor>& pixels) {
    RgbBitmap bitmap(width, height);
    bitmap.pixels = pixels;
    return bitmap;
}

} // namespace

Q_DECLARE_METATYPE(morlo::gif::DitherMode)

class QuantizeTests : public QObject {
    Q_OBJECT

private slots:
    // 3 bits on two colours: the two colours in tree order, then six black entries; exact mapping.
    void octreeTwoColoursThreeBits() {
        const RgbColor red{255, 0, 0}, blue{0, 0, 255};
        const auto result = QuantizeBitmap(bitmapOf(2, 2, {red, blue, blue, red}), ReduceMode::ReduceOctree,
                                           DitherMode::DitherNearest, 3);
        QCOMPARE(result.palette, (Palette{blue, red, {}, {}, {}, {}, {}, {}}));
        QCOMPARE(result.indices, (std::vector<std::uint8_t>{1, 0, 0, 1}));
    }

    // 0 bits: one entry, the mean of the whole picture rounded down.
    void octreeZeroBitsIsTheMean() {
        const auto result = QuantizeBitmap(bitmapOf(3, 1, {{0, 0, 0}, {10, 20, 30}, {255, 255, 255}}),
                                           ReduceMode::ReduceOctree, DitherMode::DitherNearest, 0);
        QCOMPARE(result.palette, (Palette{{88, 91, 95}}));
        QCOMPARE(result.indices, (std::vector<std::uint8_t>{0, 0, 0}));
    }

    // The most recently created inner node of the deepest level is folded first: the newer pair of close
    // colours merges, the older pair stays apart.
    void octreeFoldsNewestDeepestNodeFirst() {
        TColorQuantizer quantizer(2);
        for (RgbColor color :
             {grey(255), RgbColor{0, 0, 0}, RgbColor{0, 0, 1}, grey(128), RgbColor{128, 128, 129}})
            quantizer.addColor(color);
        QCOMPARE(quantizer.leafCount(), 4);
        QCOMPARE(quantizer.palette(), (Palette{{0, 0, 0}, {0, 0, 1}, grey(128), grey(255)}));
    }

    // Channel sums of a large bright picture exceed 32 bits and still give the right mean.
    void octreeSumsDoNotOverflow() {
        TColorQuantizer quantizer(0);
        for (int i = 0; i < 8'500'000; ++i)
            quantizer.addColor(grey(255));
        quantizer.addColor(grey(0));
        QCOMPARE(quantizer.palette(), (Palette{grey(254)}));
    }

    // The cached lookup: entries claim their own cells first; an empty cell is decided by the first colour
    // looked up in it, for every colour of that cell.
    void fastLookupCells() {
        {
            TFastColorLookup lookup({grey(0), grey(7)});
            RgbColor found;
            QCOMPARE(lookup.lookup(7, 7, 7, found), 0); // cell claimed by entry 0
        }
        const Palette palette{grey(0), grey(20)};
        RgbColor found;
        TFastColorLookup low(palette);
        QCOMPARE(low.lookup(8, 8, 8, found), 0);
        QCOMPARE(low.lookup(15, 15, 15, found), 0);
        TFastColorLookup high(palette);
        QCOMPARE(high.lookup(15, 15, 15, found), 1);
        QCOMPARE(found, grey(20));
        QCOMPARE(high.lookup(8, 8, 8, found), 1);
    }

    // Row 1 runs right to left, so its rightmost pixel decides a shared cell for the pixel left of it.
    void serpentineOrderDecidesCells() {
        const RgbColor b{0, 0, 0}, w = grey(200);
        const auto result = QuantizeBitmap(bitmapOf(4, 2, {b, b, b, w, grey(120), grey(127), w, w}),
                                           ReduceMode::ReduceOctree, DitherMode::DitherNearest, 1);
        QCOMPARE(result.palette, (Palette{grey(49), grey(200)}));
        // grey(120) alone would map to entry 0; grey(127), visited first, took its cell for entry 1.
        QCOMPARE(result.indices, (std::vector<std::uint8_t>{0, 0, 0, 1, 1, 1, 1, 1}));
    }

    // Web-safe levels change at 48, 99, 150, 201 and 252.
    void webSafeThresholds() {
        const std::pair<int, int> cases[] = {{0, 0},     {47, 0},    {48, 51},   {98, 51},   {99, 102},
                                             {149, 102}, {150, 153}, {201, 204}, {251, 204}, {252, 255}};
        TNetscapeColorLookup lookup;
        for (auto [value, level] : cases) {
            RgbColor found;
            const int index = lookup.lookup(value, 0, 255, found);
            QCOMPARE(int(found.red), level);
            QCOMPARE(index, 36 * (level / 51) + 5);
        }
        const Palette palette = TNetscapeColorLookup::palette();
        QCOMPARE(palette.size(), std::size_t(216));
        QCOMPARE(palette[36 * 2 + 6 * 3 + 4], (RgbColor{102, 153, 204}));
    }

    // Nearest entry by squared distance; the first of equally near entries wins.
    void toPaletteNearest() {
        const Palette palette{{10, 0, 0}, {0, 10, 0}, {10, 0, 0}, {100, 100, 100}};
        const auto result =
            QuantizeBitmap(bitmapOf(4, 1, {{5, 5, 0}, {10, 0, 0}, {0, 9, 1}, {60, 60, 60}}),
                           ReduceMode::ReduceToPalette, DitherMode::DitherNearest, 8, palette);
        QCOMPARE(result.palette, palette);
        QCOMPARE(result.indices, (std::vector<std::uint8_t>{0, 0, 1, 3}));
    }

    // The pruned search gives exactly the brute-force answer, ties and duplicate entries included.
    void toPaletteMatchesFullSearch() {
        std::mt19937 random(5);
        for (int round = 0; round < 20; ++round) {
            Palette palette;
            const int size = 1 + int(random() % 256);
            const int spread = 1 + int(random() % 256); // small spreads give many ties and duplicates
            for (int i = 0; i < size; ++i)
                palette.push_back({std::uint8_t(random() % spread), std::uint8_t(random() % spread),
                                   std::uint8_t(random() % spread)});
            TSlowColorLookup lookup(palette);
            for (int probe = 0; probe < 2000; ++probe) {
                const int r = int(random() % 256), g = int(random() % 256), b = int(random() % 256);
                int expected = 0, bestDistance = 1 << 30;
                for (int i = 0; i < size; ++i) {
                    const auto& c = palette[std::size_t(i)];
                    const int d = (r - c.red) * (r - c.red) + (g - c.green) * (g - c.green) +
                                  (b - c.blue) * (b - c.blue);
                    if (d < bestDistance) {
                        bestDistance = d;
                        expected = i;
                    }
                }
                RgbColor found;
                QCOMPARE(lookup.lookup(r, g, b, found), expected);
                QCOMPARE(found, palette[std::size_t(expected)]);
            }
        }
    }

    // Integer error diffusion with alternating rows: pixel x of a right-to-left row uses slot x + 2, and
    // the slot after a row's last pixel carries the running error into the next row.
    void floydSteinbergArithmetic() {
        const auto result = QuantizeBitmap(bitmapOf(3, 2, std::vector<RgbColor>(6, grey(25))),
                                           ReduceMode::ReduceWebSafe, DitherMode::DitherFloydSteinberg);
        QCOMPARE(result.indices, (std::vector<std::uint8_t>{0, 0, 0, 0, 43, 0}));
    }

    // A flat picture maps to one index everywhere with either mapper; a flat grey between two levels is
    // dithered to a mix whose mean stays close to the grey.
    void flatPictures_data() {
        QTest::addColumn<DitherMode>("dither");
        QTest::newRow("nearest") << DitherMode::DitherNearest;
        QTest::newRow("Floyd-Steinberg") << DitherMode::DitherFloydSteinberg;
    }
    void flatPictures() {
        QFETCH(DitherMode, dither);
        const RgbBitmap flat(31, 17, {102, 51, 204});
        for (ReduceMode mode : {ReduceMode::ReduceOctree, ReduceMode::ReduceWebSafe}) {
            const auto result = QuantizeBitmap(flat, mode, dither, 4);
            for (auto index : result.indices)
                QCOMPARE(index, result.indices[0]);
            QCOMPARE(result.palette[result.indices[0]], (RgbColor{102, 51, 204}));
        }
        const auto dithered = QuantizeBitmap(RgbBitmap(40, 40, grey(25)), ReduceMode::ReduceWebSafe, dither);
        double sum = 0;
        for (auto index : dithered.indices)
            sum += dithered.palette[index].red;
        const double mean = sum / double(dithered.indices.size());
        if (dither == DitherMode::DitherFloydSteinberg)
            QVERIFY2(qAbs(mean - 25) < 2, qPrintable(QString::number(mean)));
        else
            QCOMPARE(mean, 0.0);
    }

    // A reduced photo-like picture appended to a GIF is written and decoded back to its palette colours.
    void reducedFramesDecode() {
        RgbBitmap picture(120, 80);
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x)
                picture.at(x, y) = {std::uint8_t(x * 2), std::uint8_t(y * 3), std::uint8_t((x * y) % 251)};
        for (int bits : {3, 8}) {
            for (DitherMode dither : {DitherMode::DitherNearest, DitherMode::DitherFloydSteinberg}) {
                const auto reduced = QuantizeBitmap(picture, ReduceMode::ReduceOctree, dither, bits);
                QCOMPARE(reduced.palette.size(), std::size_t(1) << bits);
                TGIFImage image;
                image.AppendBitmap(reduced);
                image.AppendBitmap(picture); // true colour: the web-safe default reduction
                QCOMPARE(image.frame(1).localColorMap().count(), 216);
                const auto frames = decodeWithQt(WriteGIF(image));
                QCOMPARE(frames.size(), 2);
                QVERIFY(sameColors(frames[0], reduced));
                QVERIFY(sameColors(frames[1], QuantizeBitmap(picture, ReduceMode::ReduceWebSafe,
                                                             DitherMode::DitherNearest)));
            }
        }
    }

    void errorsAndEmptyPalette() {
        QCOMPARE(errorOf([] {
                     QuantizeBitmap(RgbBitmap(0, 4), ReduceMode::ReduceWebSafe, DitherMode::DitherNearest);
                 }),
                 QString("Invalid image dimensions"));
        QCOMPARE(errorOf([] {
                     QuantizeBitmap(RgbBitmap(2, 2), ReduceMode::ReduceToPalette, DitherMode::DitherNearest,
                                    8, Palette(257));
                 }),
                 QString("Color table overflow"));
        const auto empty =
            QuantizeBitmap(RgbBitmap(2, 2), ReduceMode::ReduceToPalette, DitherMode::DitherNearest, 8, {});
        QCOMPARE(empty.width, 0);
        QVERIFY(empty.indices.empty() && empty.palette.empty());
    }

    // Qt-side pixels (0xAARRGGBB words with a row stride) become RGB triples.
    void fromXrgb32() {
        const std::uint32_t rows[2][3] = {{0xFF102030, 0x00405060, 0}, {0xFFFFFFFF, 0x80000001, 0}};
        const RgbBitmap bitmap = RgbBitmap::fromXrgb32(rows, 2, 2, sizeof(rows[0]));
        QCOMPARE(bitmap.pixels,
                 (std::vector<RgbColor>{{0x10, 0x20, 0x30}, {0x40, 0x50, 0x60}, grey(255), {0, 0, 1}}));
    }
};

MORLO_TEST(QuantizeTests)
#include "quantize_tests.moc"

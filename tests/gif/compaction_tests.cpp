// The shared colour table and the compaction of animations, checked on indices and tables and, for
// every written animation, on the frames that Qt's GIF reader composes from it.

#include "common/test_registry.h"
#include "gif/color_table_merge.h"
#include "gif/compaction.h"
#include "gif/gif_image.h"
#include "gif/gif_writer.h"
#include "gif/quantize.h"
#include "gif_test_support.h"

#include <QTest>
#include <functional>
#include <random>

using namespace morlo::gif;
using namespace morlo::gif::test;

namespace {

const RgbColor kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255}, kBlack{0, 0, 0};

IndexedBitmap picture(int width, int height, const Palette& palette,
                      const std::function<int(int, int)>& index) {
    IndexedBitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.palette = palette;
    bitmap.indices.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.at(x, y) = static_cast<std::uint8_t>(index(x, y));
    return bitmap;
}

CompactOptions allSteps(bool merge = true) {
    CompactOptions options;
    options.crop = options.cleanup = options.sortColors = options.reduce = true;
    options.merge = merge;
    return options;
}

// Assembles an animation the way the editor does: frames, looping, one table, delays, fold, compaction.
void assemble(TGIFImage& image, const std::vector<IndexedBitmap>& frames, const std::vector<int>& delays,
              bool loop = true) {
    image.ClearImage();
    for (std::size_t i = 0; i < frames.size(); ++i) {
        image.AppendBitmap(frames[i]);
        if (loop && i == 0 && frames.size() > 1)
            image.frame(0).addLoopExtension(0);
    }
    MergeColorTables(image);
    for (int i = 0; i < image.frameCount(); ++i)
        image.frame(i).addControlExtension().delay = static_cast<std::uint16_t>(delays[std::size_t(i)]);
    image.FoldSingleTable();
    if (image.globalColorMap().count() > 1) {
        CompactAnimation(image, allSteps(true));
        CompactAnimation(image, allSteps(false));
    }
}

// The colour of every pixel of a frame through its active table.
Palette colorsOf(const TGIFSubImage& frame) {
    Palette colors;
    for (std::uint8_t pixel : frame.pixels)
        colors.push_back(frame.activeColorMap().entries()[pixel]);
    return colors;
}

Palette colorsOf(const IndexedBitmap& bitmap) {
    Palette colors;
    for (std::uint8_t pixel : bitmap.indices)
        colors.push_back(bitmap.palette[pixel]);
    return colors;
}

// Decodes the written animation and checks that the composed frames show `expected`, in order.
void verifyDecoded(const TGIFImage& image, const std::vector<IndexedBitmap>& expected) {
    const auto frames = decodeWithQt(WriteGIF(image));
    QCOMPARE(frames.size(), qsizetype(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i)
        QVERIFY2(sameColors(frames[qsizetype(i)], expected[i]), qPrintable(QString("frame %1").arg(i)));
}

} // namespace

class CompactionTests : public QObject {
    Q_OBJECT

private slots:
    // The same colour at different places of two local tables ends as one global entry, most used first.
    void mergeTwoLocalTables() {
        TGIFImage image;
        const auto a = picture(4, 1, {kRed, kBlue}, [](int x, int) { return x == 3 ? 1 : 0; });
        const auto b = picture(3, 1, {kGreen, kRed}, [](int x, int) { return x == 0 ? 0 : 1; });
        image.AppendBitmap(a);
        image.AppendBitmap(b);
        MergeColorTables(image);
        const TGIFColorMap& global = image.globalColorMap();
        QCOMPARE(global.count(), 3);
        QCOMPARE(global.entries()[0], kRed);
        QVERIFY(global.sorted());
        QVERIFY(image.frame(0).localColorMap().isEmpty() && image.frame(1).localColorMap().isEmpty());
        QCOMPARE(image.frame(0).pixels[0], std::uint8_t(0));
        QCOMPARE(image.frame(1).pixels[1], std::uint8_t(0));
        QCOMPARE(colorsOf(image.frame(0)), colorsOf(a));
        QCOMPARE(colorsOf(image.frame(1)), colorsOf(b));
        verifyDecoded(image, {a, b});
    }

    // Unused filler entries vanish; used black stays like any colour.
    void mergeDropsUnusedFillers() {
        RgbBitmap source(4, 4, kRed);
        source.at(0, 0) = kBlue;
        TGIFImage image;
        image.AppendBitmap(QuantizeBitmap(source, ReduceMode::ReduceOctree, DitherMode::DitherNearest, 3));
        QCOMPARE(image.frame(0).localColorMap().count(), 8);
        MergeColorTables(image);
        QCOMPARE(image.globalColorMap().entries(), (std::vector<RgbColor>{kRed, kBlue}));

        source.at(1, 1) = kBlack;
        image.ClearImage();
        image.AppendBitmap(QuantizeBitmap(source, ReduceMode::ReduceOctree, DitherMode::DitherNearest, 3));
        MergeColorTables(image);
        QCOMPARE(image.globalColorMap().count(), 3);
        QVERIFY(image.globalColorMap().IndexOfColor(0) >= 0);
    }

    // Beyond 256 used colours the least used take the nearest kept colour by squared RGB distance: a dark
    // blue goes to the dark grey, not to the dark red with the same sum of channels.
    void mergeMoreThan256Colours() {
        Palette many;
        for (int i = 0; i < 256; ++i)
            many.push_back({std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)});
        many[100] = {91, 0, 0};
        TGIFImage image;
        image.AppendBitmap(picture(256, 2, many, [](int x, int) { return x; }));
        image.AppendBitmap(picture(1, 1, {{0, 0, 91}}, [](int, int) { return 0; }));
        MergeColorTables(image);
        QCOMPARE(image.globalColorMap().count(), 256);
        QCOMPARE(image.globalColorMap().IndexOfColor(RgbColor{0, 0, 91}.toColorRef()), -1);
        QCOMPARE(colorsOf(image.frame(1)), (Palette{{30, 30, 30}}));
        QCOMPARE(colorsOf(image.frame(0)), colorsOf(picture(256, 2, many, [](int x, int) { return x; })));
    }

    // Transparent pixels get a black entry of their own at the end; a transparent frame that never uses
    // its transparent index loses its transparency. Indices outside their table become 0 with a warning.
    void mergeTransparency() {
        QStringList warnings;
        TGIFImage image([&](const std::string& message) { warnings << QString::fromStdString(message); });
        image.AppendBitmap(picture(3, 1, {kRed, kGreen, kWhite}, [](int x, int) { return x; }));
        auto& first = image.frame(0).addControlExtension();
        first.setTransparent(true);
        first.setTransparentIndex(2);
        image.AppendBitmap(picture(2, 1, {kBlue, kRed}, [](int x, int) { return x; }));
        auto& second = image.frame(1).addControlExtension();
        second.setTransparent(true);
        second.setTransparentIndex(1);
        image.frame(1).pixels[1] = 0;
        image.AppendBitmap(picture(2, 1, {kGreen}, [](int x, int) { return x * 5; }));
        MergeColorTables(image);

        const TGIFColorMap& global = image.globalColorMap();
        QCOMPARE(global.entries().back(), kBlack);
        QCOMPARE(image.frame(0).transparentIndex(), global.count() - 1);
        QCOMPARE(image.frame(0).pixels[2], std::uint8_t(global.count() - 1));
        QVERIFY(!image.frame(1).transparent());
        QCOMPARE(image.frame(1).transparentIndex(), 0);
        QCOMPARE(colorsOf(image.frame(2)), (Palette{kGreen, kGreen}));
        QCOMPARE(warnings, QStringList{"Color not in color table"});
    }

    // Frame 2 equal to frame 1: it becomes transparent, is cropped to nothing and deleted; one frame remains,
    // the looping extension and the control extension go, the file is "87a".
    void compactEqualFrames() {
        const auto frame = picture(20, 10, {kRed, kBlue, kWhite}, [](int x, int y) { return (x + y) % 3; });
        TGIFImage image;
        assemble(image, {frame, frame}, {50, 70});
        QCOMPARE(image.frameCount(), 1);
        QVERIFY(image.frame(0).extensions().empty());
        QCOMPARE(image.globalColorMap().count(), 3);
        const auto bytes = WriteGIF(image);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(bytes.data()), 6), QByteArray("GIF87a"));
        QCOMPARE(int(bytes[10]) & 0x08, 0x08);
        verifyDecoded(image, {frame});
    }

    // A repeated frame that is dropped hands its delay to the frame before, which is not transparent: the
    // animation keeps its length.
    void droppedFrameKeepsItsTime() {
        const auto first = picture(20, 10, {kRed, kBlue, kWhite}, [](int x, int y) { return (x + y) % 3; });
        const auto last = picture(20, 10, {kRed, kBlue, kWhite}, [](int x, int) { return x % 3; });
        TGIFImage image;
        assemble(image, {first, first, last}, {50, 70, 30});
        QCOMPARE(image.frameCount(), 2);
        QVERIFY(!image.frame(0).transparent());
        QCOMPARE(image.frame(0).controlExtension()->delay, std::uint16_t(120));
        QCOMPARE(image.frame(1).controlExtension()->delay, std::uint16_t(30));
        verifyDecoded(image, {first, last});
    }

    // Frame 2 differs in a small L-shaped area and frame 3 equals frame 2: frame 2 shrinks to the box of the
    // changed area, transparent elsewhere, and takes frame 3's delay; the looping extension stays.
    void compactPartlyEqualFrames() {
        const Palette palette{kRed, kBlue, kWhite, kGreen};
        const auto base = [](int x, int y) { return (x / 4 + y / 3) % 3; };
        const auto first = picture(30, 12, palette, base);
        const auto second = picture(30, 12, palette, [&](int x, int y) {
            return ((x >= 10 && x < 14 && y == 5) || (x == 10 && y == 6)) ? 3 : base(x, y);
        });
        TGIFImage image;
        assemble(image, {first, second, second}, {10, 20, 30});
        QCOMPARE(image.frameCount(), 2);
        QCOMPARE(image.frame(0).extensions().front()->kind(), ExtensionKind::Loop);
        const TGIFSubImage& changed = image.frame(1);
        QCOMPARE((std::vector<int>{changed.left, changed.top, changed.width, changed.height}),
                 (std::vector<int>{10, 5, 4, 2}));
        QVERIFY(changed.transparent());
        QCOMPARE(changed.controlExtension()->delay, std::uint16_t(50));
        QCOMPARE(image.frame(0).controlExtension()->delay, std::uint16_t(10));
        verifyDecoded(image, {first, second});
    }

    // Frames differing in small areas share one black transparent entry appended to the global table.
    void compactSharesTransparentEntry() {
        const Palette palette{kRed, kBlue, kWhite};
        std::vector<IndexedBitmap> frames;
        for (int f = 0; f < 4; ++f)
            frames.push_back(picture(16, 16, palette, [f](int x, int y) {
                return (x == 3 * f && y == 2 * f) ? 2 : (x < 8 ? 0 : 1);
            }));
        TGIFImage image;
        assemble(image, frames, {10, 10, 10, 10});
        QCOMPARE(image.frameCount(), 4);
        const int transparent = image.frame(1).transparentIndex();
        QCOMPARE(image.globalColorMap().count(), 4);
        QCOMPARE(image.globalColorMap().entries()[std::size_t(transparent)], kBlack);
        for (int i = 1; i < 4; ++i) {
            QVERIFY(image.frame(i).transparent());
            QCOMPARE(image.frame(i).transparentIndex(), transparent);
            QVERIFY(image.frame(i).width <= 7 && image.frame(i).height <= 3);
        }
        verifyDecoded(image, frames);
    }

    // A frame whose table is full has no room for a transparent entry and is left as it is.
    void compactFullTableIsNotMerged() {
        const auto frame = picture(256, 1, distinctPalette(256), [](int x, int) { return x; });
        TGIFImage image;
        assemble(image, {frame, frame}, {10, 10});
        QCOMPARE(image.frameCount(), 2);
        QVERIFY(!image.frame(1).transparent());
        QCOMPARE(image.frame(1).width, 256);
        verifyDecoded(image, {frame, frame});
    }

    // Cleanup keeps a control extension only when it carries something: a delay or transparency.
    void cleanupControlExtensions() {
        const auto red = picture(2, 2, {kRed, kGreen}, [](int, int) { return 0; });
        const auto blue = picture(2, 2, {kBlue, kGreen}, [](int, int) { return 0; });
        TGIFImage image;
        image.AppendBitmap(red);
        image.AppendBitmap(blue);
        image.frame(0).addControlExtension().delay = 0;
        image.frame(1).addControlExtension().delay = 10;
        auto comment = std::make_unique<TGIFCommentExtension>();
        comment->text = "made here";
        image.frame(1).appendExtension(std::move(comment));
        image.frame(1).addLoopExtension(); // looping belongs to the first frame only
        CompactAnimation(image, allSteps());
        QVERIFY(image.frame(0).extensions().empty());
        QCOMPARE(image.frame(1).extensions().size(), std::size_t(1));
        QCOMPARE(image.frame(1).controlExtension()->delay, std::uint16_t(10));
        verifyDecoded(image, {red, blue});
    }

    // A delay carried over by cropping that exceeds the 16-bit field is clamped instead of failing.
    void cropClampsCarriedDelay() {
        TGIFImage image;
        image.AppendBitmap(picture(3, 3, {kRed, kBlack}, [](int x, int) { return x == 1 ? 0 : 1; }));
        image.AppendBitmap(picture(3, 3, {kRed, kBlack}, [](int, int) { return 1; }));
        for (int i = 0; i < 2; ++i) {
            auto& control = image.frame(i).addControlExtension();
            control.setTransparent(true);
            control.setTransparentIndex(1);
            control.delay = i == 0 ? 65000 : 1000;
        }
        CompactOptions options;
        options.crop = true;
        CompactAnimation(image, options);
        QCOMPARE(image.frameCount(), 1);
        QCOMPARE(image.frame(0).controlExtension()->delay, std::uint16_t(65535));
        QCOMPARE((std::vector<int>{image.frame(0).left, image.frame(0).width, image.frame(0).height}),
                 (std::vector<int>{1, 1, 3}));
    }

    // Sorting by use: most used first, unused entries cut, pixels and transparent index remapped; an
    // unused transparent entry that is cut away takes the frame's transparency with it.
    void sortTableByUse() {
        TGIFImage image;
        image.AppendBitmap(
            picture(6, 1, {kRed, kGreen, kBlue, kWhite}, [](int x, int) { return x < 1 ? 0 : 2; }));
        auto& control = image.frame(0).addControlExtension();
        control.setTransparent(true);
        control.setTransparentIndex(0);
        QVERIFY(SortTableByUse(image, image.frame(0).localColorMap()));
        QCOMPARE(image.frame(0).localColorMap().entries(), (std::vector<RgbColor>{kBlue, kRed}));
        QCOMPARE(image.frame(0).pixels, (std::vector<std::uint8_t>{1, 0, 0, 0, 0, 0}));
        QCOMPARE(image.frame(0).transparentIndex(), 1);
        QVERIFY(image.frame(0).localColorMap().sorted());

        control.setTransparentIndex(1);
        image.frame(0).localColorMap().assign({kBlue, kRed, kWhite}, false);
        image.frame(0).pixels = {0, 0, 0, 2, 2, 0};
        control.setTransparentIndex(1);
        QVERIFY(SortTableByUse(image, image.frame(0).localColorMap()));
        QCOMPARE(image.frame(0).localColorMap().entries(), (std::vector<RgbColor>{kBlue, kWhite}));
        QVERIFY(!image.frame(0).transparent());

        image.frame(0).localColorMap().assign({kGreen}, false);
        QVERIFY(!SortTableByUse(image, image.frame(0).localColorMap()));
    }

    // A frame never borrows another frame's transparent index that it draws with itself.
    void mergeDoesNotBorrowAUsedIndex() {
        const Palette palette{kRed, kBlue, kWhite};
        const auto first = picture(4, 2, palette, [](int, int) { return 0; });
        const auto second = picture(4, 2, palette, [](int x, int) { return x < 2 ? 0 : 2; });
        const auto third = picture(4, 2, palette, [](int x, int) { return x == 0 ? 1 : (x < 2 ? 0 : 2); });
        TGIFImage image;
        for (const auto* bitmap : {&first, &second, &third})
            image.AppendBitmap(*bitmap);
        MergeColorTables(image);
        auto& control = image.frame(2).addControlExtension();
        control.setTransparent(true);
        control.setTransparentIndex(image.globalColorMap().IndexOfColor(kWhite.toColorRef()));
        CompactOptions options;
        options.merge = true;
        CompactAnimation(image, options);
        QVERIFY(image.frame(1).transparent());
        QVERIFY(image.frame(1).transparentIndex() != image.frame(2).transparentIndex());
        verifyDecoded(image, {first, second, third});
    }

    // Seeded random animations (frames that repeat, change in patches or change wholly, under 256 colours
    // in all) compact to files whose composed frames are exactly the frames that remain.
    void randomAnimationsKeepTheirPictures() {
        for (unsigned seed = 1; seed <= 25; ++seed) {
            std::mt19937 random(seed);
            const int width = 1 + int(random() % 40), height = 1 + int(random() % 20);
            const Palette palette = distinctPalette(2 + int(random() % 60), seed);
            auto pick = [&] { return int(random() % palette.size()); };
            std::vector<IndexedBitmap> frames{
                picture(width, height, palette, [&](int, int) { return pick(); })};
            const int count = 2 + int(random() % 5);
            while (int(frames.size()) < count) {
                IndexedBitmap next = frames.back();
                const int kind = int(random() % 3);
                if (kind == 1) {
                    const int x0 = int(random() % width), y0 = int(random() % height);
                    const int x1 = x0 + int(random() % (width - x0)), y1 = y0 + int(random() % (height - y0));
                    for (int y = y0; y <= y1; ++y)
                        for (int x = x0; x <= x1; ++x)
                            next.at(x, y) = std::uint8_t(pick());
                } else if (kind == 2) {
                    next = picture(width, height, palette, [&](int, int) { return pick(); });
                }
                frames.push_back(next);
            }
            TGIFImage image;
            assemble(image, frames, std::vector<int>(frames.size(), 10));
            // Frames equal to their predecessor disappear; every other one must look the same.
            std::vector<IndexedBitmap> expected{frames[0]};
            for (std::size_t i = 1; i < frames.size(); ++i)
                if (colorsOf(frames[i]) != colorsOf(frames[i - 1]))
                    expected.push_back(frames[i]);
            verifyDecoded(image, expected);
        }
    }

    void invalidReductionMethod() {
        TGIFImage image;
        image.AppendBitmap(picture(2, 1, {kRed, kBlue}, [](int x, int) { return 1 - x; }));
        CompactOptions options;
        options.reduce = options.sortColors = true;
        options.reduction = ReduceMode::ReduceToPalette;
        QCOMPARE(errorOf([&] { CompactAnimation(image, options); }), QString("Invalid reduction method"));
        QVERIFY(!image.frame(0).localColorMap().sorted()); // nothing was changed
        options.cleanup = true;
        CompactAnimation(image, options);
        QVERIFY(image.frame(0).localColorMap().sorted());
    }
};

MORLO_TEST(CompactionTests)
#include "compaction_tests.moc"

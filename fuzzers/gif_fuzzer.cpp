// Fuzz target of the GIF module: small random frames go through colour reduction, assembly, the shared
// table, compaction and the writer, the way an animation is built; Qt's own GIF reader then decodes the
// bytes, and every shown frame must look as the reduced frames meant it to (after the frames that repeat
// their predecessor were dropped), with the same total playing time.

#include "fuzzers/fuzz_input.h"
#include "gif/color_table_merge.h"
#include "gif/compaction.h"
#include "gif/gif_image.h"
#include "gif/gif_writer.h"
#include "gif/quantize.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <optional>
#include <set>
#include <vector>

#ifdef MORLO_FUZZ_LIBFUZZER
#include <QCoreApplication>

// Qt's GIF reader is a plugin, found through the application object.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}
#endif

namespace {

using namespace morlo::gif;
using morlo::fuzz::FuzzInput;

struct MeantFrame {
    std::vector<RgbColor> pixels; // rows from the top
    int delay = 0;                // hundredths of a second
    friend bool operator==(const MeantFrame& a, const MeantFrame& b) { return a.pixels == b.pixels; }
};

RgbColor colorFrom(FuzzInput& input) {
    // Few distinct levels, so that frames share colours and reductions meet equal pixels.
    const std::uint8_t b = input.byte();
    return {static_cast<std::uint8_t>((b & 3) * 85), static_cast<std::uint8_t>((b >> 2 & 3) * 85),
            static_cast<std::uint8_t>((b >> 4 & 15) * 17)};
}

RgbBitmap bitmapFrom(FuzzInput& input, int width, int height, const RgbBitmap* previous) {
    if (previous && input.flag()) {
        // The previous picture with a few pixels changed: what compaction is for.
        RgbBitmap bitmap = *previous;
        const int changes = input.upTo(4);
        for (int i = 0; i < changes; ++i)
            bitmap.pixels[static_cast<std::size_t>(input.upTo(width * height - 1))] = colorFrom(input);
        return bitmap;
    }
    RgbBitmap bitmap(width, height);
    for (RgbColor& pixel : bitmap.pixels)
        pixel = colorFrom(input);
    return bitmap;
}

IndexedBitmap reduce(FuzzInput& input, const RgbBitmap& bitmap) {
    const DitherMode dither = input.flag() ? DitherMode::DitherFloydSteinberg : DitherMode::DitherNearest;
    switch (input.upTo(2)) {
    case 0:
        return QuantizeBitmap(bitmap, ReduceMode::ReduceOctree, dither, input.upTo(8));
    case 1: {
        Palette palette(static_cast<std::size_t>(1 + input.upTo(255)));
        for (RgbColor& color : palette)
            color = colorFrom(input);
        return QuantizeBitmap(bitmap, ReduceMode::ReduceToPalette, dither, 8, palette);
    }
    default:
        return QuantizeBitmap(bitmap, ReduceMode::ReduceWebSafe, dither);
    }
}

std::vector<RgbColor> colorsOf(const IndexedBitmap& bitmap) {
    std::vector<RgbColor> colors;
    colors.reserve(bitmap.indices.size());
    for (const std::uint8_t index : bitmap.indices) {
        FUZZ_CHECK(index < bitmap.palette.size());
        colors.push_back(bitmap.palette[index]);
    }
    return colors;
}

// The delay of every frame of a GIF stream, in hundredths (0 without a graphic control extension), read
// from the blocks themselves: Qt's reader reports a default for 0 and repeats delays it did not see.
std::vector<int> frameDelays(const std::vector<std::uint8_t>& gif) {
    std::vector<int> delays;
    std::size_t at = 13;
    const auto skipTable = [&gif, &at](std::uint8_t flags) {
        if (flags & 0x80)
            at += 3u << ((flags & 7) + 1);
    };
    const auto skipSubBlocks = [&gif, &at] {
        while (at < gif.size() && gif[at] != 0)
            at += gif[at] + 1u;
        ++at;
    };
    FUZZ_CHECK(gif.size() >= 13);
    skipTable(gif[10]);
    int pending = 0;
    while (at < gif.size() && gif[at] != 0x3B) {
        if (gif[at] == 0x21) {
            if (at + 5 < gif.size() && gif[at + 1] == 0xF9)
                pending = gif[at + 4] | gif[at + 5] << 8;
            at += 2;
            skipSubBlocks();
        } else {
            FUZZ_CHECK(gif[at] == 0x2C && at + 10 < gif.size());
            skipTable(gif[at + 9]);
            at += 11; // descriptor and LZW code size
            skipSubBlocks();
            delays.push_back(pending);
            pending = 0;
        }
    }
    FUZZ_CHECK(at < gif.size());
    return delays;
}

// True when `shown` is `meant` with some frames dropped, each a repeat of the frame before it, and every
// kept frame has its own delay, possibly grown by the delays of the repeats dropped after it (compaction
// may also let those go). Which of several equal frames was kept is open, so every choice is tried. A
// single picture is a still image whose delay means nothing.
bool ShownAsMeant(const std::vector<MeantFrame>& meant, const std::vector<MeantFrame>& shown) {
    const std::size_t n = meant.size();
    for (unsigned kept = 1; kept < (1u << n); kept += 2) { // frame 1 is always kept
        std::vector<std::size_t> order;
        bool possible = true;
        for (std::size_t i = 0; i < n && possible; ++i) {
            if (kept & (1u << i))
                order.push_back(i);
            else
                possible = meant[i] == meant[i - 1];
        }
        if (!possible || order.size() != shown.size())
            continue;
        for (std::size_t k = 0; k < order.size() && possible; ++k) {
            const std::size_t end = k + 1 < order.size() ? order[k + 1] : n;
            int dropped = 0;
            for (std::size_t i = order[k] + 1; i < end; ++i)
                dropped += meant[i].delay;
            const int own = meant[order[k]].delay;
            possible = shown[k] == meant[order[k]] &&
                       (shown.size() == 1 || (shown[k].delay >= own && shown[k].delay <= own + dropped));
        }
        if (possible)
            return true;
    }
    return false;
}

} // namespace

extern "C" int MORLO_FUZZ_ENTRY(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const int frameCount = 1 + input.upTo(3);
    const int width = 1 + input.upTo(15);
    const int height = 1 + input.upTo(15);
    CompactOptions options;
    options.crop = input.flag();
    options.merge = input.flag();
    options.cleanup = input.flag();
    options.sortColors = input.flag();
    options.reduce = input.flag();
    if (input.flag())
        options.reduction = static_cast<ReduceMode>(input.upTo(2));
    const bool mergeTables = input.flag();
    const bool foldSingleTable = input.flag();

    TGIFImage image;
    std::vector<MeantFrame> meant;
    std::set<std::uint32_t> usedColors;
    RgbBitmap previous;
    for (int f = 0; f < frameCount; ++f) {
        const RgbBitmap bitmap = bitmapFrom(input, width, height, f > 0 ? &previous : nullptr);
        previous = bitmap;
        const IndexedBitmap reduced = reduce(input, bitmap);
        FUZZ_CHECK(reduced.width == width && reduced.height == height);
        MeantFrame frame{colorsOf(reduced), input.upTo(300)};
        for (const RgbColor& color : frame.pixels)
            usedColors.insert(color.toColorRef());
        TGIFSubImage& subImage = image.AppendBitmap(reduced);
        TGIFGraphicControlExtension& control = subImage.addControlExtension();
        control.delay = static_cast<std::uint16_t>(frame.delay);
        control.disposal = input.upTo(1);
        meant.push_back(std::move(frame));
    }
    if (mergeTables)
        MergeColorTables(image);
    // An animation on a transparent background: every frame shows its holes, with no compaction.
    const bool transparent = mergeTables && input.flag();
    std::optional<RgbColor> key;
    if (transparent) {
        const RgbColor wanted = meant[0].pixels[static_cast<std::size_t>(input.upTo(width * height - 1))];
        const int index = std::max(0, image.globalColorMap().IndexOfColor(wanted.toColorRef()));
        key = image.globalColorMap().entry(index);
        for (int f = 0; f < image.frameCount(); ++f) {
            TGIFGraphicControlExtension& control = *image.frame(f).controlExtension();
            control.disposal = 2;
            control.setTransparent(true);
            control.setTransparentIndex(index);
        }
    }
    if (foldSingleTable)
        image.FoldSingleTable();
    try {
        if (!transparent)
            CompactAnimation(image, options);
    } catch (const GIFError& error) {
        FUZZ_CHECK(std::string(error.what()) == "Invalid reduction method");
        FUZZ_CHECK(options.reduce && !options.cleanup && options.reduction == ReduceMode::ReduceToPalette);
        return 0;
    }
    // Qt's reader, against the format, applies the transparent index of an earlier frame's control block
    // to a later frame without one (compaction drops such blocks as needless): each frame gets its own.
    for (int f = 0; f < image.frameCount(); ++f)
        if (!image.frame(f).controlExtension())
            image.frame(f).addControlExtension();
    const std::vector<std::uint8_t> bytes = WriteGIF(image);

    QByteArray encoded(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    FUZZ_CHECK(reader.size() == QSize(width, height));
    std::vector<MeantFrame> shown;
    for (;;) {
        QImage decoded;
        if (!reader.read(&decoded))
            break;
        FUZZ_CHECK(decoded.size() == QSize(width, height));
        MeantFrame frame;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                QRgb pixel = decoded.pixel(x, y);
                if (key) {
                    // Pixels of the key colour are holes, and only they: a hole stands for that colour.
                    const QRgb keyPixel = qRgb(key->red, key->green, key->blue);
                    FUZZ_CHECK(qAlpha(pixel) == 0 || (pixel | 0xFF000000u) != keyPixel);
                    if (qAlpha(pixel) == 0)
                        pixel = keyPixel;
                }
                FUZZ_CHECK(qAlpha(pixel) == 255);
                frame.pixels.push_back({static_cast<std::uint8_t>(qRed(pixel)),
                                        static_cast<std::uint8_t>(qGreen(pixel)),
                                        static_cast<std::uint8_t>(qBlue(pixel))});
            }
        shown.push_back(std::move(frame));
    }
    const std::vector<int> delays = frameDelays(bytes);
    FUZZ_CHECK(!shown.empty() && delays.size() == shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i)
        shown[i].delay = delays[i];

    // Colours beyond one table's 256 are replaced by near ones: only then may pixels differ.
    if (mergeTables && usedColors.size() > 256) {
        FUZZ_CHECK(shown.size() <= meant.size());
        return 0;
    }
    FUZZ_CHECK(ShownAsMeant(meant, shown));
    return 0;
}

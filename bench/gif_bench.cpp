// Benchmarks of the GIF module: LZW throughput, colour reduction, shared table and compaction, on a
// synthetic banner (468x60, gradient and text) and a synthetic photo (1024x768) made here.

#include "bench_registry.h"
#include "gif/byte_sink.h"
#include "gif/color_table_merge.h"
#include "gif/compaction.h"
#include "gif/gif_image.h"
#include "gif/gif_writer.h"
#include "gif/lzw_encoder.h"
#include "gif/quantize.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <functional>
#include <random>

namespace morlo::bench {
namespace {

using namespace morlo::gif;

RgbBitmap toBitmap(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    return RgbBitmap::fromXrgb32(rgb.constBits(), rgb.width(), rgb.height(), rgb.bytesPerLine());
}

// A banner frame: horizontal gradient, a box, and a line of text that moves with `step`.
RgbBitmap bannerFrame(int step = 0) {
    QImage image(468, 60, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 468, 0);
    gradient.setColorAt(0, QColor(20, 40, 160));
    gradient.setColorAt(1, QColor(250, 200, 40));
    painter.fillRect(image.rect(), gradient);
    painter.fillRect(QRect(8 + step, 8, 60, 44), QColor(255, 255, 255));
    QFont font("Liberation Sans", 20, QFont::Bold);
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    painter.setPen(QColor(200, 0, 0));
    painter.drawText(QRect(90 + step * 2, 10, 360, 40), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Big summer sale - 50% off"));
    painter.end();
    return toBitmap(image);
}

// A photo-like frame: smooth colour fields with fine detail and sensor noise.
RgbBitmap photoFrame() {
    RgbBitmap bitmap(1024, 768);
    std::mt19937 random(42);
    std::normal_distribution<double> noise(0, 6);
    for (int y = 0; y < bitmap.height; ++y) {
        for (int x = 0; x < bitmap.width; ++x) {
            const double u = x / 1024.0, v = y / 768.0;
            const double sky = 0.5 + 0.5 * std::sin(6 * u + 2 * v);
            const double detail = 0.5 + 0.5 * std::sin(40 * u * v + 9 * std::cos(7 * u));
            auto channel = [&](double value) {
                return static_cast<std::uint8_t>(std::clamp(value + noise(random), 0.0, 255.0));
            };
            bitmap.at(x, y) = {channel(60 + 150 * sky * (1 - v) + 40 * detail),
                               channel(90 + 100 * v + 50 * detail), channel(200 * (1 - v) * sky + 30)};
        }
    }
    return bitmap;
}

// Counts bytes without keeping them.
class NullSink : public ByteSink {
public:
    bool write(const std::uint8_t*, std::size_t size) override {
        bytes += size;
        return true;
    }
    std::size_t bytes = 0;
};

void reportLzw(const QString& name, const IndexedBitmap& indices) {
    TLZWEncoder encoder;
    NullSink sink;
    const int bits =
        std::max(2, static_cast<int>(std::ceil(std::log2(std::max<std::size_t>(2, indices.palette.size())))));
    const int repeats = indices.indices.size() < 100000 ? 200 : 10;
    const double ms = medianMilliseconds(7, [&] {
        for (int r = 0; r < repeats; ++r)
            encoder.encode(indices.indices.data(), indices.indices.size(), bits, sink);
    });
    const double megabytes = static_cast<double>(indices.indices.size()) * repeats / 1e6;
    report(name + ".lzw", megabytes / (ms / 1000.0), "MB/s");
}

void reportReduction(const QString& name, const RgbBitmap& picture, DitherMode dither, const QString& label) {
    const double ms =
        medianMilliseconds(7, [&] { QuantizeBitmap(picture, ReduceMode::ReduceOctree, dither, 8); });
    const double megapixels = static_cast<double>(picture.pixels.size()) / 1e6;
    report(name + "." + label, ms, "ms/frame");
    report(name + "." + label + ".rate", megapixels / (ms / 1000.0), "Mpx/s");
}

// Median of `runs` timings of `timed`, each after an untimed `prepare`.
double medianPrepared(int runs, const std::function<void()>& prepare, const std::function<void()>& timed) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        timed();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Writes `bytes` to DIR/NAME when an output folder was given (for comparisons with other encoders).
void writeOutput(const BenchOptions& options, const QString& name, const std::vector<std::uint8_t>& bytes) {
    if (options.outputDir.isEmpty())
        return;
    QFile file(QDir(options.outputDir).filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

void gifBenchmarks(const BenchOptions& options) {
    const RgbBitmap banner = bannerFrame();
    const RgbBitmap photo = photoFrame();
    const IndexedBitmap bannerIndices =
        QuantizeBitmap(banner, ReduceMode::ReduceOctree, DitherMode::DitherNearest, 8);
    const IndexedBitmap photoIndices =
        QuantizeBitmap(photo, ReduceMode::ReduceOctree, DitherMode::DitherNearest, 8);

    writeOutput(options, "gif-banner-468x60.idx", bannerIndices.indices);
    writeOutput(options, "gif-photo-1024x768.idx", photoIndices.indices);
    reportLzw("gif.banner", bannerIndices);
    reportLzw("gif.photo", photoIndices);
    reportReduction("gif.banner", banner, DitherMode::DitherNearest, "octree_nearest");
    reportReduction("gif.banner", banner, DitherMode::DitherFloydSteinberg, "octree_floyd_steinberg");
    reportReduction("gif.photo", photo, DitherMode::DitherNearest, "octree_nearest");
    reportReduction("gif.photo", photo, DitherMode::DitherFloydSteinberg, "octree_floyd_steinberg");

    // Mapping onto a given palette (the shared palette of an animation), with error diffusion.
    const Palette photoPalette = photoIndices.palette;
    const double toPaletteMs = medianMilliseconds(5, [&] {
        QuantizeBitmap(photo, ReduceMode::ReduceToPalette, DitherMode::DitherFloydSteinberg, 8, photoPalette);
    });
    report("gif.photo.to_palette_floyd_steinberg", toPaletteMs, "ms/frame");
    report("gif.photo.to_palette_floyd_steinberg.rate",
           static_cast<double>(photo.pixels.size()) / 1e6 / (toPaletteMs / 1000.0), "Mpx/s");

    // 50 banner frames with a moving box and text, each with its own octree palette, as the editor makes
    // them.
    std::vector<IndexedBitmap> frames;
    for (int i = 0; i < 50; ++i)
        frames.push_back(
            QuantizeBitmap(bannerFrame(i % 25), ReduceMode::ReduceOctree, DitherMode::DitherNearest, 8));
    TGIFImage image;
    auto appendAll = [&] {
        image.ClearImage();
        for (const IndexedBitmap& frame : frames)
            image.AppendBitmap(frame);
        image.frame(0).addLoopExtension(0);
    };
    report("gif.animation50.merge", medianPrepared(7, appendAll, [&] { MergeColorTables(image); }), "ms");

    auto mergedWithDelays = [&] {
        appendAll();
        MergeColorTables(image);
        for (int i = 0; i < image.frameCount(); ++i)
            image.frame(i).addControlExtension().delay = 10;
        image.FoldSingleTable();
    };
    std::size_t before = 0;
    const double compactMs = medianPrepared(
        7,
        [&] {
            mergedWithDelays();
            before = WriteGIF(image).size();
        },
        [&] {
            CompactOptions options;
            options.crop = options.merge = options.cleanup = options.sortColors = options.reduce = true;
            CompactAnimation(image, options);
            options.merge = false;
            CompactAnimation(image, options);
        });
    report("gif.animation50.compact", compactMs, "ms");
    report("gif.animation50.size_before_compaction", static_cast<double>(before) / 1024.0, "KiB");
    report("gif.animation50.size_after_compaction", static_cast<double>(WriteGIF(image).size()) / 1024.0,
           "KiB");
    report("gif.animation50.write", medianMilliseconds(7, [&] { WriteGIF(image); }), "ms");
    writeOutput(options, "gif-animation50.gif", WriteGIF(image));
}

} // namespace

MORLO_BENCHMARK("gif", gifBenchmarks)

} // namespace morlo::bench

// The whole GIF build of a project, as "Create GIF" and `morlo --export-gif` run it: every sample project,
// and a generated 60-frame 800x600 project with text, gradients and a moving picture.

#include "bench_registry.h"
#include "gif/create_gif.h"
#include "gif/gif_writer.h"
#include "model/default_lines.h"
#include "model/line_builder.h"
#include "model/object_kind.h"
#include "model/project_io.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

namespace morlo::bench {
namespace {

constexpr int kRuns = 5;

// A 48x48 photo-like picture: a radial blend with a ring, encoded as PNG.
QByteArray makePicture() {
    QImage image(48, 48, QImage::Format_ARGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x)
            image.setPixel(x, y, qRgba(x * 5, y * 5, 255 - x * 2 - y * 2, 255));
    QPainter painter(&image);
    painter.setPen(QPen(QColor(200, 40, 40), 4));
    painter.drawEllipse(6, 6, 36, 36);
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

std::vector<QStringList> largeProjectFrames(const QString& pictureName) {
    std::vector<QStringList> frames;
    for (int i = 0; i < 60; ++i) {
        BackgroundValues background = DefaultBackgroundValues();
        background.w = 800;
        background.h = 600;
        background.delay = 80;
        background.addGrad = 1;
        background.gradient = i % 4;
        QStringList lines{BuildBackgroundLine(background)};
        for (int k = 0; k < 6; ++k) {
            const ObjectKind kind = k % 3 == 0   ? ObjectKind::Ellipse
                                    : k % 3 == 1 ? ObjectKind::RoundedRectangle
                                                 : ObjectKind::Polygon;
            ShapeValues shape = DefaultShapeValues(kind);
            shape.x = (k * 131 + i * 9) % 700;
            shape.y = (k * 97 + i * 5) % 500;
            shape.w = 120;
            shape.h = 90;
            shape.fillType = 1 + k % 4;
            shape.angle = i * 6 + k * 10;
            lines << BuildShapeLine(kind, shape);
        }
        TextValues text = DefaultTextValues();
        text.x = i * 10 - 100;
        text.y = 250;
        text.fSize = 48;
        text.escapedTxt = QStringLiteral("Morlo animation");
        lines << BuildTextLine(text);
        PictureValues picture;
        SetPictureSource(picture, QSize(48, 48), QSize(800, 600), pictureName);
        picture.x = 20 + i * 12;
        picture.y = 400 - i * 3;
        picture.transp = 255;
        picture.visible = 1;
        picture.angle = i * 3;
        lines << BuildPictureLine(picture) << DefaultBorderLine();
        frames.push_back(lines);
    }
    return frames;
}

// Median time of the whole build (composition, reduction, table merge, compaction, writing) and of the
// composition alone, so that the difference shows what the GIF module costs.
void measure(const QString& name, Project& project, TempFolder& temp) {
    GifOutput output;
    std::size_t bytes = 0;
    const double total = medianMilliseconds(kRuns, [&] {
        const CreateGifResult result = CreateGIF(project, output, temp, {});
        if (result.ok)
            bytes = gif::WriteGIF(output.OutputGIF).size();
    });
    const double compose = medianMilliseconds(kRuns, [&] {
        for (int i = 1; i <= project.FrameCount(); ++i)
            ComposeFrame(project, output.compositionView, i);
    });
    const double write = medianMilliseconds(kRuns, [&] { gif::WriteGIF(output.OutputGIF); });
    report("gif_build." + name + ".total", total, "ms");
    report("gif_build." + name + ".composition", compose, "ms");
    report("gif_build." + name + ".reduction_merge_compaction", total - compose - write, "ms");
    report("gif_build." + name + ".write", write, "ms");
    report("gif_build." + name + ".gif_size", static_cast<double>(bytes) / 1024.0, "KiB");
}

void gifBuildBenchmarks(const BenchOptions& options) {
    QTemporaryDir dir;
    QString error;
    std::optional<TempFolder> temp = TempFolder::Open(&error, dir.path());
    if (!temp) {
        report("gif_build.error " + error, 0, "");
        return;
    }
    RenderContext context;
    context.tempDir = temp->path();

    const QDir samples(QCoreApplication::applicationDirPath() + "/Samples");
    for (const QString& file : samples.entryList({"*.mrp"})) {
        Project project;
        project.SetRenderContext(context);
        OpenFailure failure;
        if (!FileOpen(project, samples.filePath(file), *temp, &failure))
            continue;
        measure(QFileInfo(file).completeBaseName(), project, *temp);
    }

    const QString picture = temp->StorePicture("bench-picture.png", makePicture(), &error);
    Project large;
    large.SetRenderContext(context);
    large.LoadFrames(largeProjectFrames(picture), dir.filePath("large.mrp"));
    measure("generated_800x600x60", large, *temp);
    // With --out, the generated project is kept so that the command line can be timed on it as well.
    if (!options.outputDir.isEmpty() &&
        !SaveProjectFile(large, QDir(options.outputDir).filePath("generated_800x600x60.mrp"), *temp, &error))
        report("gif_build.error " + error, 0, "");
}

} // namespace

MORLO_BENCHMARK("gif_build", gifBuildBenchmarks)

} // namespace morlo::bench

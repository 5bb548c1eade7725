// Benchmarks of the layer renderer: redrawing single text and shape layers, and showing a whole frame of
// mixed objects. With --out DIR, also writes PNGs of representative layers and frames for a person to look
// at (render-*.png).

#include "bench_registry.h"
#include "model/default_lines.h"
#include "model/object_line.h"
#include "render/layer_renderer.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <initializer_list>
#include <utility>

namespace morlo::bench {
namespace {

QString With(QString line, std::initializer_list<std::pair<const char*, int>> values) {
    for (const auto& [key, value] : values)
        line = ReplaceValue(line, QString::fromLatin1(key), value);
    return line;
}

QString Object(ObjectKind kind, std::initializer_list<std::pair<const char*, int>> values) {
    return With(NewObjectLine(kind), values);
}

QString TextObject(const QString& text, std::initializer_list<std::pair<const char*, int>> values) {
    return With(ReplaceText(NewObjectLine(ObjectKind::Text), text), values);
}

// A composition stack holding the background and the objects, without a border yet.
void Fill(LayerStack& stack, const QString& background, const QStringList& objects, const QString& border,
          const RenderContext& context) {
    stack.clearLayers();
    stack.tag = 1;
    stack.layer(0).name = background;
    for (const QString& line : objects)
        stack.layer(stack.addLayer()).name = line;
    stack.layer(stack.addLayer()).name = border;
    for (int i = 0; i < stack.count(); ++i) {
        stack.setCurrentLayer(i);
        RepaintLayer(stack, i, context);
    }
}

// A 468 x 60 banner with 20 mixed objects: shapes of every kind with solid, gradient and no fill, texts with
// solid and gradient faces, a picture and a border.
QStringList TwentyObjects(const QString& pictureName) {
    QStringList lines;
    for (int i = 0; i < 4; ++i) {
        lines << Object(ObjectKind::Rectangle,
                        {{"X=", 5 + 110 * i}, {"Y=", 4}, {"W=", 90}, {"H=", 20}, {"FillType=", i % 3}});
        lines << Object(ObjectKind::Ellipse,
                        {{"X=", 30 + 110 * i}, {"Y=", 20}, {"W=", 60}, {"H=", 36}, {"FillType=", 1 + i}});
        lines << Object(
            ObjectKind::RoundedRectangle,
            {{"X=", 60 + 110 * i}, {"Y=", 30}, {"W=", 50}, {"H=", 26}, {"Transp=", 180}, {"Radius=", 12}});
        lines << Object(ObjectKind::Polygon, {{"X=", 80 + 110 * i},
                                              {"Y=", 2},
                                              {"W=", 30},
                                              {"H=", 30},
                                              {"Radius=", 3 + i},
                                              {"BorderW=", 1},
                                              {"Angle=", 20 * i}});
    }
    lines << TextObject("Summer sale", {{"X=", 140}, {"Y=", 8}, {"FSize=", 22}});
    lines << TextObject(
        "-50%", {{"X=", 330}, {"Y=", 10}, {"FSize=", 20}, {"Fill=", 0}, {"FBold=", 1}, {"Angle=", 10}});
    lines << TextObject("www",
                        {{"X=", 10}, {"Y=", 32}, {"FSize=", 12}, {"AutoSize=", 0}, {"W=", 60}, {"H=", 22}});
    lines << With(NewPictureLine(QSize(24, 24), QSize(468, 60), pictureName), {{"X=", 430}, {"Y=", 30}});
    return lines;
}

QString BannerBackground() {
    return With(DefaultBackgroundLine(),
                {{"AddGrad=", 1}, {"Gradient=", 2}, {"GradColor1=", 0xffe0c0}, {"GradColor2=", 0x804000}});
}

void WritePicture(const QString& folder, const QString& name) {
    QImage picture(24, 24, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(40, 160, 60));
    painter.drawEllipse(QRect(1, 1, 22, 22));
    painter.end();
    picture.save(QDir(folder).filePath(name));
}

// One layer drawn on its own and shown on a checkerboard at its bitmap size, so that alpha is visible.
QImage LayerPicture(const QString& line, const RenderContext& context) {
    LayerStack stack;
    stack.tag = 1;
    const int index = stack.addLayer();
    stack.layer(index).name = line;
    RepaintLayer(stack, index, context);
    const QImage& bitmap = stack.layer(index).bitmap;
    QImage shown(bitmap.size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    QPainter painter(&shown);
    for (int y = 0; y < shown.height(); y += 16)
        for (int x = 0; x < shown.width(); x += 16)
            painter.fillRect(x, y, 16, 16,
                             ((x + y) / 16) % 2 ? QColor(200, 200, 200) : QColor(255, 255, 255));
    painter.drawImage(0, 0, bitmap);
    return shown;
}

void WritePictures(const QString& outputDir, const RenderContext& context) {
    QDir().mkpath(outputDir);
    const QDir out(outputDir);
    LayerStack stack;
    Fill(stack, BannerBackground(), TwentyObjects("bench-picture.png"),
         With(DefaultBorderLine(), {{"AddBorders=", 1}}), context);
    stack.compose(QRect(0, 0, 468, 60)).save(out.filePath("render-frame-20-objects.png"));
    // The same frame three times larger, so that single pixels can be seen.
    stack.compose(QRect(0, 0, 468, 60))
        .scaled(468 * 3, 180)
        .save(out.filePath("render-frame-20-objects-x3.png"));

    LayerPicture(NewObjectLine(ObjectKind::Text), context)
        .save(out.filePath("render-text-default-scale4.png"));
    LayerPicture(TextObject(QString::fromUtf8("\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d abc"),
                            {{"Fill=", 2}, {"Spacing=", 5}}),
                 context)
        .save(out.filePath("render-text-hebrew.png"));
    LayerPicture(Object(ObjectKind::Ellipse, {{"W=", 200}, {"H=", 100}, {"FillType=", 1}}), context)
        .save(out.filePath("render-ellipse-gradient-scale4.png"));
    LayerPicture(NewObjectLine(ObjectKind::RoundedRectangle), context)
        .save(out.filePath("render-rounded-rectangle-scale4.png"));
    LayerPicture(Object(ObjectKind::Polygon, {{"Radius=", 5}, {"FillType=", 3}}), context)
        .save(out.filePath("render-polygon-scale4.png"));

    // Display-size views: each kind once on a white frame with the default border.
    Fill(stack, With(DefaultBackgroundLine(), {{"W=", 400}, {"H=", 60}}),
         {Object(ObjectKind::Rectangle, {{"X=", 10}, {"Y=", 10}}),
          Object(ObjectKind::RoundedRectangle, {{"X=", 100}, {"Y=", 10}}),
          Object(ObjectKind::Ellipse, {{"X=", 190}, {"Y=", 10}}),
          Object(ObjectKind::Polygon, {{"X=", 280}, {"Y=", 10}})},
         With(DefaultBorderLine(), {{"AddBorders=", 1}}), context);
    stack.compose(QRect(0, 0, 400, 60)).scaled(1200, 180).save(out.filePath("render-shapes-x3.png"));
}

void RenderBenchmarks(const BenchOptions& options) {
    QTemporaryDir pictures;
    RenderContext context;
    context.tempDir = pictures.path();
    WritePicture(pictures.path(), "bench-picture.png");

    auto single = [&](const QString& name, const QString& line) {
        LayerStack stack;
        stack.tag = 1;
        const int index = stack.addLayer();
        stack.layer(index).name = line;
        // Every run draws the picture anew, as a change of colour, size or text does.
        report(name,
               medianMilliseconds(25,
                                  [&] {
                                      stack.layer(index).drawnFrom.clear();
                                      RepaintLayer(stack, index, context);
                                  }),
               "ms");
    };
    single("render.text_default_scale4", NewObjectLine(ObjectKind::Text));
    single("render.text_200x60_scale8",
           Object(ObjectKind::Text, {{"AutoSize=", 0}, {"W=", 200}, {"H=", 60}}));
    single("render.text_72pt_16_chars_scale8",
           TextObject("Summer sale 2026",
                      {{"FSize=", 72}, {"AutoSize=", 0}, {"BorderW=", 3}, {"W=", 400}, {"H=", 60}}));
    single("render.ellipse_200x100_gradient",
           Object(ObjectKind::Ellipse, {{"W=", 200}, {"H=", 100}, {"FillType=", 1}}));
    {
        // A text dragged with the mouse: only its position changes, so its picture is kept.
        LayerStack stack;
        stack.tag = 1;
        const int index = stack.addLayer();
        const QString line = NewObjectLine(ObjectKind::Text);
        stack.layer(index).name = line;
        RepaintLayer(stack, index, context);
        int x = 0;
        report("render.text_default_moved",
               medianMilliseconds(25,
                                  [&] {
                                      stack.layer(index).name = ReplaceValue(line, QStringLiteral("X="), ++x);
                                      RepaintLayer(stack, index, context);
                                  }),
               "ms");
    }

    LayerStack frame;
    const QStringList objects = TwentyObjects("bench-picture.png");
    const QString background = BannerBackground();
    const QString border = With(DefaultBorderLine(), {{"AddBorders=", 1}});
    report("render.show_frame_20_objects",
           medianMilliseconds(15,
                              [&] {
                                  Fill(frame, background, objects, border, context);
                                  frame.compose(QRect(0, 0, 468, 60));
                              }),
           "ms");

    if (!options.outputDir.isEmpty())
        WritePictures(options.outputDir, context);
}

} // namespace

MORLO_BENCHMARK("render", RenderBenchmarks)

} // namespace morlo::bench

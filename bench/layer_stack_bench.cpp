// Recomposing a banner frame on the layer stack: what the canvas pays for each mouse move.

#include "bench_registry.h"
#include "render/hermite_scale.h"
#include "render/layer_stack.h"

#include <QPainter>

namespace morlo::bench {
namespace {

constexpr QRect kFrame(0, 0, 468, 60);
constexpr int kObjectLayers = 20;

// A 468x60 frame with a background and 20 object layers: 320x160 bitmaps shown at 80x40.
void buildBanner(LayerStack& stack, double rotation) {
    stack.layer(0).bitmap = QImage(kFrame.size(), QImage::Format_ARGB32_Premultiplied);
    stack.layer(0).bitmap.fill(QColor(250, 240, 200));
    for (int i = 0; i < kObjectLayers; ++i) {
        Layer& layer = stack.layer(stack.addLayer());
        layer.bitmap = QImage(320, 160, QImage::Format_ARGB32_Premultiplied);
        layer.bitmap.fill(Qt::transparent);
        QPainter painter(&layer.bitmap);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor::fromHsv(i * 17 % 360, 200, 230));
        painter.drawEllipse(QRect(0, 0, 320, 160));
        painter.end();
        layer.displayWidth = 80;
        layer.displayHeight = 40;
        layer.position = QPoint(i * 21 % 400, i * 7 % 30 - 5);
        layer.transparency = i % 3 == 0 ? 160 : 255;
        layer.rotation = rotation;
    }
}

// A one-pixel change gives the bitmap a new cache key, as a repaint of the layer does.
void touchBitmap(Layer& layer, int run) {
    layer.bitmap.setPixel(run % 320, 80, qRgb(run % 256, 0, 0));
}

void layerStackBenchmarks(const BenchOptions&) {
    for (double rotation : {0.0, 30.0}) {
        const QString suffix = rotation == 0 ? QString() : QStringLiteral("_rotated");
        LayerStack stack;
        buildBanner(stack, rotation);
        stack.compose(kFrame);
        Layer& moving = stack.layer(kObjectLayers / 2);
        int run = 0;
        report("layer_stack.compose_468x60_after_move" + suffix,
               medianMilliseconds(200,
                                  [&] {
                                      moving.position.rx() += ++run % 2 == 0 ? 3 : -3;
                                      stack.compose(kFrame);
                                  }),
               "ms");
        report("layer_stack.compose_468x60_after_bitmap_change" + suffix,
               medianMilliseconds(200,
                                  [&] {
                                      touchBitmap(moving, ++run);
                                      stack.compose(kFrame);
                                  }),
               "ms");
        report("layer_stack.compose_468x60_all_bitmaps_changed" + suffix,
               medianMilliseconds(20,
                                  [&] {
                                      ++run;
                                      for (int i = 1; i <= kObjectLayers; ++i)
                                          touchBitmap(stack.layer(i), run);
                                      stack.compose(kFrame);
                                  }),
               "ms");
    }
    QImage source(320, 160, QImage::Format_ARGB32_Premultiplied);
    source.fill(QColor(10, 200, 30));
    report("layer_stack.hermite_320x160_to_80x40",
           medianMilliseconds(200, [&] { hermiteScale(source, QSize(80, 40)); }), "ms");
    report("layer_stack.hermite_80x40_to_320x160",
           medianMilliseconds(200, [&] { hermiteScale(source.copy(0, 0, 80, 40), QSize(320, 160)); }), "ms");
}

} // namespace
MORLO_BENCHMARK("layer_stack", layerStackBenchmarks)
} // namespace morlo::bench

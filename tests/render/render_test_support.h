#pragma once
// Helpers shared by the renderer tests: object lines with changed values and pixel checks.

#include "model/default_lines.h"
#include "model/object_line.h"
#include "render/color_ref.h"
#include "render/layer_renderer.h"

#include <QImage>
#include <initializer_list>
#include <utility>

namespace morlo::test {

// The default line of `kind` with the given "Key=" fields replaced.
inline QString LineWith(ObjectKind kind, std::initializer_list<std::pair<const char*, int>> values) {
    QString line = NewObjectLine(kind);
    for (const auto& [key, value] : values)
        line = ReplaceValue(line, QString::fromLatin1(key), value);
    return line;
}

inline QString LineWith(QString line, std::initializer_list<std::pair<const char*, int>> values) {
    for (const auto& [key, value] : values)
        line = ReplaceValue(line, QString::fromLatin1(key), value);
    return line;
}

// A stack holding `line` on layer 1 above a default background, drawn.
struct OneObject {
    LayerStack stack;
    RenderContext context;
    explicit OneObject(const QString& line) {
        stack.layer(0).name = DefaultBackgroundLine();
        stack.tag = 1;
        RepaintLayer(stack, 0, context);
        stack.layer(stack.addLayer()).name = line;
        RepaintLayer(stack, 1, context);
    }
    void redraw(const QString& line) {
        stack.layer(1).name = line;
        RepaintLayer(stack, 1, context);
    }
    Layer& layer() { return stack.layer(1); }
    const QImage& bitmap() { return stack.layer(1).bitmap; }
};

// A pixel as a line colour and its alpha; pixels of the layer bitmap are premultiplied, so the colour is
// only exact for opaque pixels.
inline int ColorAt(const QImage& image, int x, int y) {
    return ColorRefFromRgb(qUnpremultiply(image.pixel(x, y)));
}
inline int AlphaAt(const QImage& image, int x, int y) {
    return qAlpha(image.pixel(x, y));
}

} // namespace morlo::test

#include "model/frame_layers.h"

#include "model/object_kind.h"
#include "render/layer_renderer.h"

namespace morlo {

void BuildFrameLayers(LayerStack& view, const QStringList& lines, const RenderContext& context,
                      bool flatten) {
    view.clearLayers();
    if (flatten) {
        view.mergeAll();
    }
    if (lines.isEmpty()) {
        view.layer(0).name.clear();
        view.layer(0).bitmap = QImage();
        return;
    }
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int index = i == 0 ? 0 : view.addLayer();
        view.layer(index).name = lines.at(i);
        RepaintLayer(view, index, context);
    }
}

void UpdateFrameLayers(LayerStack& view, const QStringList& lines, const RenderContext& context) {
    if (lines.isEmpty()) {
        BuildFrameLayers(view, lines, context, true);
        return;
    }
    while (view.count() > lines.size())
        view.removeLayer(view.count() - 1);
    while (view.count() < lines.size())
        view.addLayer();
    for (int i = 0; i < view.count(); ++i) {
        Layer& layer = view.layer(i);
        const QString& line = lines.at(i);
        if (KindForRenderer(layer.name, i) != KindForRenderer(line, i))
            layer = Layer{};
        layer.name = line;
        RepaintLayer(view, i, context);
    }
}

QStringList FrameLinesOf(const LayerStack& view) {
    QStringList lines;
    if (view.count() == 1 && view.layer(0).name.isEmpty()) {
        return lines;
    }
    lines.reserve(view.count());
    for (int i = 0; i < view.count(); ++i) {
        lines.append(view.layer(i).name);
    }
    return lines;
}

} // namespace morlo

#include "render/layer_renderer.h"

#include "model/object_kind.h"
#include "render/background_layer.h"
#include "render/border_layer.h"
#include "render/picture_layer.h"
#include "render/shape_layer.h"
#include "render/text_layer.h"

namespace morlo {

void RepaintLayer(LayerStack& view, int index, const RenderContext& context) {
    if (index < 0 || index >= view.count())
        return;
    // An editing view (tag 0) is drawn only while its project is active; composition and preview stacks
    // always are.
    if (view.tag == 0 && !context.projectActive)
        return;
    std::shared_ptr<ScratchSurfaces> owned;
    ScratchSurfaces* surfaces = context.surfaces.get();
    if (!surfaces) {
        owned = MakeScratchSurfaces();
        surfaces = owned.get();
    }

    const QString& line = view.layer(index).name;
    Layer& layer = view.layer(index);
    switch (const ObjectKind kind = KindForRenderer(line, index)) {
    case ObjectKind::MainBackground:
        PaintBackgroundLayer(view, line);
        break;
    case ObjectKind::Border:
        PaintBorderLayer(view, index, line, *surfaces);
        break;
    case ObjectKind::Picture:
        PaintPictureLayer(layer, line, context.tempDir);
        break;
    case ObjectKind::Text:
        PaintTextLayer(layer, line, *surfaces);
        break;
    case ObjectKind::Rectangle:
    case ObjectKind::RoundedRectangle:
    case ObjectKind::Ellipse:
    case ObjectKind::Polygon:
        PaintShapeLayer(layer, kind, line, *surfaces);
        break;
    case ObjectKind::None:
        break;
    }

    // The object list of an editing view is rebuilt after every redraw; the view's current layer is then the
    // entry to select (layer 0 after the background or the border).
    if (view.tag == 0 && context.objectListChanged)
        context.objectListChanged();
}

} // namespace morlo

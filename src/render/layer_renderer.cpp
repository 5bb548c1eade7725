#include "render/layer_renderer.h"

#include "model/object_kind.h"
#include "render/background_layer.h"
#include "render/border_layer.h"
#include "render/layer_placement.h"
#include "render/picture_layer.h"
#include "render/shape_layer.h"
#include "render/text_layer.h"

namespace morlo {
namespace {

qint64 otherLayersBitmapBytes(const LayerStack& view, int except) {
    qint64 bytes = 0;
    for (int i = 0; i < view.count(); ++i)
        if (i != except)
            bytes += view.layer(i).bitmap.sizeInBytes();
    return bytes;
}

// True when the layer's bitmap is the one the renderer drew from a line that gives the same picture as
// `line`: a shape or text that only moved, turned or changed its opacity keeps its picture.
bool keepsPicture(const Layer& layer, ObjectKind kind, const QString& line, int index) {
    if (layer.bitmap.isNull() || layer.drawnFrom.isEmpty() ||
        layer.bitmap.cacheKey() != layer.drawnBitmapKey || KindForRenderer(layer.drawnFrom, index) != kind)
        return false;
    if (IsShapeKind(kind))
        return SameShapePicture(layer.drawnFrom, line);
    return kind == ObjectKind::Text && SameTextPicture(layer.drawnFrom, line);
}

// Draws layer `index` of `view` from its line, by the line's kind.
void PaintLayer(LayerStack& view, int index, ScratchSurfaces& surfaces, const QString& tempDir) {
    Layer& layer = view.layer(index);
    const QString& line = layer.name;
    const ObjectKind kind = KindForRenderer(line, index);
    if (keepsPicture(layer, kind, line, index)) {
        if (kind == ObjectKind::Text)
            PlaceTextLayer(layer, line);
        else
            PlaceShapeLayer(layer, line);
        return;
    }
    switch (kind) {
    case ObjectKind::MainBackground:
        PaintBackgroundLayer(view, line);
        break;
    case ObjectKind::Border:
        PaintBorderLayer(view, index, line, surfaces);
        break;
    case ObjectKind::Picture:
        PaintPictureLayer(layer, line, tempDir);
        break;
    case ObjectKind::Text:
        PaintTextLayer(layer, line, surfaces);
        break;
    case ObjectKind::Rectangle:
    case ObjectKind::RoundedRectangle:
    case ObjectKind::Ellipse:
    case ObjectKind::Polygon:
        PaintShapeLayer(layer, kind, line, surfaces);
        break;
    case ObjectKind::None:
        break;
    }
}

} // namespace

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

    Layer& layer = view.layer(index);
    // The layers of a stack share one memory budget: a layer that does not fit is drawn empty.
    const qint64 others = otherLayersBitmapBytes(view, index);
    if (others < context.maxStackBitmapBytes)
        PaintLayer(view, index, *surfaces, context.tempDir);
    if (others + layer.bitmap.sizeInBytes() > context.maxStackBitmapBytes)
        ClearLayerPicture(layer);
    layer.drawnFrom = layer.bitmap.isNull() ? QString() : layer.name;
    layer.drawnBitmapKey = layer.bitmap.cacheKey();

    // The object list of an editing view is rebuilt after every redraw; the view's current layer is then the
    // entry to select (layer 0 after the background or the border).
    if (view.tag == 0 && context.objectListChanged)
        context.objectListChanged();
}

} // namespace morlo

#include "render/background_layer.h"

#include "model/object_line.h"
#include "render/color_ref.h"
#include "render/gradient.h"
#include "render/layer_placement.h"
#include "render/scratch_surfaces.h"

namespace morlo {

void PaintBackgroundLayer(LayerStack& view, const QString& line) {
    view.backgroundColor = QColor::fromRgb(RgbFromColorRef(DecodeInt(line, "DeskTopColor")));
    Layer& layer = view.layer(0);
    const int w = DecodeInt(line, "W");
    const int h = DecodeInt(line, "H");
    if (FittingScaleFactor(w, h, 1) == 0) {
        ClearLayerPicture(layer);
        return;
    }
    if (layer.bitmap.width() != w || layer.bitmap.height() != h ||
        layer.bitmap.format() != QImage::Format_ARGB32_Premultiplied || !layer.bitmap.isDetached()) {
        layer.bitmap = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
        if (layer.bitmap.isNull()) {
            ClearLayerPicture(layer);
            return;
        }
    }
    layer.displayWidth = 0;
    layer.displayHeight = 0;
    if (DecodeInt(line, "AddGrad") != 0) {
        // Gradient 0..3 are the kinds 1..4; another value paints nothing, which leaves the bitmap black
        // rather than showing what was there before.
        layer.bitmap.fill(0xff000000u);
        DrawGradient(layer.bitmap, w, h, DecodeInt(line, "GradColor1"), DecodeInt(line, "GradColor2"),
                     DecodeInt(line, "Gradient") + 1);
    } else {
        layer.bitmap.fill(RgbFromColorRef(DecodeInt(line, "BackgrColor")));
    }
}

} // namespace morlo

#include "render/border_layer.h"

#include "model/object_line.h"
#include "render/color_ref.h"
#include "render/gdi_drawing.h"
#include "render/key_color_pass.h"
#include "render/layer_placement.h"

#include <algorithm>

namespace morlo {
namespace {

constexpr int kRaised = 2;

} // namespace

void PaintBorderLayer(LayerStack& view, int index, const QString& line, ScratchSurfaces& surfaces) {
    const Layer& background = view.layer(0);
    const int w = background.effectiveWidth();
    const int h = background.effectiveHeight();
    Layer& layer = view.layer(index);
    view.setCurrentLayer(index);
    layer.position = QPoint(0, 0);
    layer.transparency = 255;
    layer.rotation = 0;
    layer.locked = true;

    if (FittingScaleFactor(w, h, 1) == 0 || !PrepareSurface(surfaces.scratch, w, h, QImage::Format_RGB32,
                                                            RgbFromColorRef(kTransparentKeyColor))) {
        ClearLayerPicture(layer);
        view.setCurrentLayer(0);
        return;
    }
    layer.displayWidth = w;
    layer.displayHeight = h;

    if (DecodeInt(line, "AddBorders") == 1) {
        const QRgb band = RgbFromColorRef(DecodeInt(line, "Col1"));
        const QRgb highlight = RgbFromColorRef(DecodeInt(line, "Col2"));
        const QRgb shadow = RgbFromColorRef(DecodeInt(line, "Col3"));
        // Rings at or beyond the larger side lie wholly outside the surface.
        const int lastRing = std::max(w, h);
        int ring = 0;
        auto drawRings = [&](int count, QRgb topLeft, QRgb bottomRight) {
            for (int i = 0; i < count && ring < lastRing; ++i, ++ring)
                GdiRing(surfaces.scratch, ring, topLeft, bottomRight, bottomRight, topLeft);
        };
        // A bevel style other than raised is drawn inset.
        auto drawBevel = [&](int style, int count) {
            if (style <= 0)
                return;
            if (style == kRaised)
                drawRings(count, highlight, shadow);
            else
                drawRings(count, shadow, highlight);
        };
        const int bevelWidth = DecodeInt(line, "W1");
        drawBevel(DecodeInt(line, "OuterStyle"), bevelWidth);
        drawRings(DecodeInt(line, "W2"), band, band);
        drawBevel(DecodeInt(line, "InnerStyle"), bevelWidth);
    }

    if (!ResolveKeyColors(surfaces.scratch, KeyColorPass{}, layer.bitmap))
        ClearLayerPicture(layer);
    view.setCurrentLayer(0);
}

} // namespace morlo

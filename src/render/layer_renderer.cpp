#include "render/layer_renderer.h"

namespace morlo {

void RepaintLayer(LayerStack& view, int index, const RenderContext& context) {
    (void)view;
    (void)index;
    (void)context;
}

} // namespace morlo

#pragma once
// RepaintLayer: turns the object line held as a layer's name into the layer's picture and placement.

#include "render/layer_stack.h"
#include "render/render_context.h"

namespace morlo {

// Draws layer `index` of `view` from its line. Does nothing for a bad index.
void RepaintLayer(LayerStack& view, int index, const RenderContext& context);

} // namespace morlo

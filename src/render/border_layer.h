#pragma once
// Drawing of the frame border ("Border"), the topmost layer of a frame.

#include "render/layer_stack.h"
#include "render/scratch_surfaces.h"

#include <QString>

namespace morlo {

// Draws the border line of layer `index` over the whole frame (the size of layer 0): when AddBorders is 1,
// an outer bevel of W1 rings (OuterStyle 1 inset, 2 raised, 0 none), a band of W2 rings in Col1 and an
// inner bevel of W1 rings (InnerStyle), everything else transparent. The layer is placed at (0, 0) and
// locked, and layer 0 is made current afterwards.
void PaintBorderLayer(LayerStack& view, int index, const QString& line, ScratchSurfaces& surfaces);

} // namespace morlo

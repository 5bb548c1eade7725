#pragma once
// Drawing of the frame background ("Main Background"), layer 0 of a frame.

#include "render/layer_stack.h"

#include <QString>

namespace morlo {

// Sets the view's background colour to DeskTopColor and draws layer 0 of `view` as a W x H opaque bitmap,
// solid BackgrColor or, when AddGrad is not 0, the gradient of kind Gradient + 1. A frame size outside
// 1..kMaxLayerSide leaves layer 0 without a bitmap.
void PaintBackgroundLayer(LayerStack& view, const QString& line);

} // namespace morlo

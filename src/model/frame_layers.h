#pragma once
// Turning a frame's object lines into the layers of a stack, and back.

#include "render/layer_stack.h"
#include "render/render_context.h"

#include <QStringList>

namespace morlo {

// Removes every layer but layer 0, flattens the stack first when `flatten` is set (composition stacks),
// then gives layer i the line i and draws it with RepaintLayer; layers above 0 are added for the lines
// after the first. An empty list leaves only layer 0, with an empty name and bitmap.
void BuildFrameLayers(LayerStack& view, const QStringList& lines, const RenderContext& context, bool flatten);

// Makes the stack show `lines` while keeping its layers from one frame to the next, so that a layer whose
// picture does not change (an object that only moved, turned or faded) is not drawn again. A layer whose
// line is of another kind than before starts afresh. For composition stacks; an empty list leaves only an
// empty layer 0, as BuildFrameLayers does.
void UpdateFrameLayers(LayerStack& view, const QStringList& lines, const RenderContext& context);

// The lines held by the layers, from layer 0 up. A stack holding only an unnamed layer 0 gives no lines, so
// that an empty frame stays empty.
QStringList FrameLinesOf(const LayerStack& view);

} // namespace morlo

#pragma once
// What RepaintLayer needs to know of the program around it.

#include "model/limits.h"
#include "render/scratch_surfaces.h"

#include <QString>
#include <functional>
#include <memory>

namespace morlo {

struct RenderContext {
    // Folder that holds the picture files of all open projects; Picture lines name a bare file in it.
    QString tempDir;
    // Stacks with tag 0 (editing views) are drawn only while a project is active.
    bool projectActive = true;
    // Called after every redraw of a layer of a tag-0 stack, so that the object list can be rebuilt; the
    // stack's current layer is then the entry to select. May be empty.
    std::function<void()> objectListChanged;
    // The drawing surfaces reused from one redraw to the next. Copies of a context share them; a context
    // must not be used by two threads at once. When empty, every redraw allocates its own.
    std::shared_ptr<ScratchSurfaces> surfaces = MakeScratchSurfaces();
    // Bytes that the bitmaps of all layers of one stack may take together; a layer that would go beyond is
    // drawn empty.
    qint64 maxStackBitmapBytes = limits::kMaxStackBitmapBytes;
};

} // namespace morlo

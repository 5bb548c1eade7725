#pragma once
// What RepaintLayer needs to know of the program around it.

#include <QString>
#include <functional>

namespace morlo {

struct RenderContext {
    // Folder that holds the picture files of all open projects; Picture lines name a bare file in it.
    QString tempDir;
    // Stacks with tag 0 (editing views) are drawn only while a project is active.
    bool projectActive = true;
    // Called when drawing the frame background asks for the object list to be rebuilt; may be empty.
    std::function<void()> objectListChanged;
};

} // namespace morlo

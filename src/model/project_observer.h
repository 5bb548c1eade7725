#pragma once
// What the project operations tell the windows. A project window implements this; the command line and the
// tests use the empty defaults or a recorder. Calls arrive synchronously, in the order the operation runs.

#include <QString>
#include <QStringList>

namespace morlo {

class ProjectObserver {
public:
    virtual ~ProjectObserver() = default;

    // The four navigation commands (first, last, next, previous), disabled while a frame is being built.
    virtual void setNavigationEnabled(bool enabled) { (void)enabled; }
    // Text of the first status pane. The window may process pending paint events so the text shows at once.
    virtual void setStatusText(const QString& text) { (void)text; }
    // The editing stack is about to be rebuilt: keep showing its present picture until the rebuild finishes.
    virtual void frameRebuildStarting() {}
    virtual void frameRebuildFinished() {}
    // The frames inspector's list: one entry per frame, `selectedFrame` counted from 1. Filling it must not
    // be reported back as a frame choice.
    virtual void setFrameList(const QStringList& entries, int selectedFrame) {
        (void)entries;
        (void)selectedFrame;
    }
    // The frame size is edited on the first frame only.
    virtual void setFrameSizeEditable(bool editable) { (void)editable; }
    // Refresh the object inspector from the current layer of the editing stack.
    virtual void showProperties() {}
    // The project window's caption.
    virtual void setCaption(const QString& caption) { (void)caption; }
    // An error message box (caption "Morlo", error icon).
    virtual void showError(const QString& message) { (void)message; }
};

} // namespace morlo

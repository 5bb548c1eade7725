#pragma once
// The project of one project window: its frames as lists of object lines, its file name and state, and the
// editing stack IE1 on which exactly one frame is live. While a frame is shown, the layers of IE1, not its
// entry in Frames, are the truth; StoreCurrentFrame writes them back before anything leaves the frame or
// reads the whole project. Windows learn of what the operations do through a ProjectObserver.

#include "model/project_observer.h"
#include "model/project_texts.h"
#include "render/layer_stack.h"
#include "render/render_context.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace morlo {

class Project {
public:
    // `observer` may be null and must outlive the project otherwise. A new document has no frames
    // (CurrentFrame 0) until NewProject or LoadFrames; the frame operations do nothing until then.
    explicit Project(ProjectObserver* observer = nullptr);
    Project(const Project&) = delete;
    Project& operator=(const Project&) = delete;

    // Fields.
    const QString& FileName() const { return fileName_; }
    bool IsNew() const { return isNew_; }
    bool Modified() const { return modified_; }
    int FrameCount() const { return static_cast<int>(frames_.size()) - 1; }
    int CurrentFrame() const { return currentFrame_; } // 1 to FrameCount; 0 before the project has frames
    // Entry 0 is a scratch list; entries 1 to FrameCount are the frames. The entry of the current frame is
    // stale while the frame is live (see StoreCurrentFrame). Callers that change lists through the mutable
    // accessor keep every frame's list aligned by line index and must not remove the current frame.
    const std::vector<QStringList>& Frames() const { return frames_; }
    std::vector<QStringList>& Frames() { return frames_; }
    int MinX() const { return minX_; }
    int MinY() const { return minY_; }
    void SetMinX(int x) { minX_ = x; }
    void SetMinY(int y) { minY_ = y; }
    LayerStack& IE1() { return ie1_; }
    const LayerStack& IE1() const { return ie1_; }

    // What drawing needs (picture folder, callbacks), and the texts of the current language.
    void SetRenderContext(const RenderContext& context) { renderContext_ = context; }
    const RenderContext& GetRenderContext() const { return renderContext_; }
    void SetTexts(const ProjectTexts& texts) { texts_ = texts; }
    const ProjectTexts& Texts() const { return texts_; }

    // The window caption: the file name without folder, "*" appended while modified.
    QString Caption() const;

    // Makes this an unmodified new project of one default frame under the placeholder path
    // `samplesFolder`/untitled-N.mrp, N the smallest number not used by `openProjectPaths` (the file names
    // of the other open projects), and shows frame 1.
    void NewProject(const QStringList& openProjectPaths, const QString& samplesFolder);
    // Makes this an unmodified project read from `fileName` and shows frame 1. `frames` holds frame 1 first;
    // an empty vector is taken as one empty frame.
    void LoadFrames(std::vector<QStringList> frames, const QString& fileName);
    // After a successful save under `fileName`: not new, not modified.
    void MarkSaved(const QString& fileName);

    // Copies the layers' lines of IE1 into the current frame's entry.
    void StoreCurrentFrame();
    // Shows frame n on IE1 (n from 1 to FrameCount, otherwise nothing happens) and makes layer
    // `layerToSelect` current, or layer 0 when it does not exist. Does not store the frame that was live.
    void ShowFrame(int n, int layerToSelect);

    // Inserts a copy of the current frame after it and shows the copy.
    void AddFrame();
    // Removes the current frame and shows the one that follows it, or the new last frame. Refused with
    // kCouldNotDeleteFrameMessage when it is the only frame; returns whether a frame was removed.
    bool RemoveFrame();
    // Reverses the frame order; the frame now at the current number is shown.
    void ReverseFrames();

    // Navigation: each stores the live frame and shows its target with the same layer selected; a target
    // equal to CurrentFrame or outside 1 to FrameCount does nothing.
    void NextFrame();
    void PreviousFrame();
    void FirstFrame();
    void LastFrame();
    void ChangeFrame(int frame);
    // Text accepted in the frame number box. Returns the text the box shows afterwards ("Frame 7"): the
    // typed text never stays in the box.
    QString EFrameNrAcceptText(const QString& typed);

    // Sets Modified and updates the caption (when there is a file name).
    void ChildChanged(bool modified);

private:
    void GoToFrame(int target);
    ProjectObserver& observer() { return observer_ ? *observer_ : nullObserver_; }

    ProjectObserver* observer_;
    ProjectObserver nullObserver_;
    RenderContext renderContext_;
    ProjectTexts texts_;
    QString fileName_;
    bool isNew_ = false;
    bool modified_ = false;
    int currentFrame_ = 0;
    std::vector<QStringList> frames_ = std::vector<QStringList>(1); // the scratch entry only
    int minX_ = 0;
    int minY_ = 0;
    LayerStack ie1_;
};

} // namespace morlo

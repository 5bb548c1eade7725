#include "model/project.h"

#include "model/default_lines.h"
#include "model/frame_layers.h"
#include "model/frame_texts.h"
#include "model/untitled_name.h"

#include <algorithm>

namespace morlo {

Project::Project(ProjectObserver* observer) : observer_(observer) {}

QString Project::Caption() const {
    return FileNameWithoutFolder(fileName_) + (modified_ ? QStringLiteral("*") : QString());
}

void Project::NewProject(const QStringList& openProjectPaths, const QString& samplesFolder) {
    isNew_ = true;
    modified_ = false;
    fileName_ = UntitledProjectPath(samplesFolder, openProjectPaths);
    frames_.assign(2, QStringList());
    frames_[1] = {DefaultBackgroundLine(), DefaultBorderLine()};
    currentFrame_ = 1;
    ie1_.clearLayers();
    ShowFrame(1, 0);
}

void Project::LoadFrames(std::vector<QStringList> frames, const QString& fileName) {
    if (frames.empty()) {
        frames.emplace_back();
    }
    frames.insert(frames.begin(), QStringList());
    frames_ = std::move(frames);
    isNew_ = false;
    modified_ = false;
    fileName_ = fileName;
    currentFrame_ = 1;
    ie1_.clearLayers();
    ShowFrame(1, 0);
}

void Project::MarkSaved(const QString& fileName) {
    fileName_ = fileName;
    isNew_ = false;
    ChildChanged(false);
}

void Project::StoreCurrentFrame() {
    if (currentFrame_ < 1 || currentFrame_ > FrameCount()) {
        return;
    }
    frames_[static_cast<size_t>(currentFrame_)] = FrameLinesOf(ie1_);
}

void Project::ShowFrame(int n, int layerToSelect) {
    if (n < 1 || n > FrameCount()) {
        return;
    }
    ProjectObserver& windows = observer();
    windows.setNavigationEnabled(false);
    currentFrame_ = n;
    windows.setStatusText(texts_.waitText);
    windows.frameRebuildStarting();
    windows.setFrameList(FrameListEntries(FrameCount(), texts_.frameWord), n);
    windows.setFrameSizeEditable(n == 1);

    BuildFrameLayers(ie1_, frames_[static_cast<size_t>(n)], renderContext_, false);

    const bool selectable = layerToSelect >= 0 && layerToSelect < ie1_.count();
    if (selectable) {
        ie1_.setCurrentLayer(layerToSelect);
        windows.showProperties();
    }
    windows.frameRebuildFinished();
    windows.setStatusText(kFrameShownStatus);
    ie1_.setCurrentLayer(selectable ? layerToSelect : 0);
    windows.setNavigationEnabled(true);
}

void Project::AddFrame() {
    if (currentFrame_ < 1) {
        return;
    }
    StoreCurrentFrame();
    const auto current = frames_.begin() + currentFrame_;
    frames_.insert(current + 1, *current);
    ++currentFrame_;
    ChildChanged(true);
    ShowFrame(currentFrame_, ie1_.currentLayer());
}

bool Project::RemoveFrame() {
    if (currentFrame_ < 1) {
        return false;
    }
    if (FrameCount() == 1) {
        observer().showError(kCouldNotDeleteFrameMessage);
        return false;
    }
    // The live state of the removed frame is discarded, so it is not stored first.
    frames_.erase(frames_.begin() + currentFrame_);
    currentFrame_ = std::min(currentFrame_, FrameCount());
    ChildChanged(true);
    ShowFrame(currentFrame_, 0);
    return true;
}

void Project::ReverseFrames() {
    if (currentFrame_ < 1 || FrameCount() <= 1) {
        return;
    }
    StoreCurrentFrame();
    std::reverse(frames_.begin() + 1, frames_.end());
    ChildChanged(true);
    ShowFrame(currentFrame_, 0);
}

void Project::GoToFrame(int target) {
    if (currentFrame_ < 1 || target == currentFrame_ || target < 1 || target > FrameCount()) {
        return;
    }
    StoreCurrentFrame();
    currentFrame_ = target;
    ShowFrame(target, ie1_.currentLayer());
}

void Project::NextFrame() {
    GoToFrame(currentFrame_ + 1);
}

void Project::PreviousFrame() {
    GoToFrame(currentFrame_ - 1);
}

void Project::FirstFrame() {
    GoToFrame(1);
}

void Project::LastFrame() {
    GoToFrame(FrameCount());
}

void Project::ChangeFrame(int frame) {
    GoToFrame(frame);
}

QString Project::EFrameNrAcceptText(const QString& typed) {
    GoToFrame(ParseFrameNumberText(typed, texts_.frameWord));
    return FrameNumberBoxText(texts_.frameWord, currentFrame_);
}

void Project::ChildChanged(bool modified) {
    modified_ = modified;
    if (!fileName_.isEmpty()) {
        observer().setCaption(Caption());
    }
}

} // namespace morlo

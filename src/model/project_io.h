#pragma once
// Opening and saving project files: the project file format joined to the project document and to the
// temporary folder that holds the pictures while a project is open.

#include "model/project.h"
#include "model/project_file.h"
#include "model/temp_folder.h"
#include "render/layer_stack.h"
#include "render/render_context.h"

#include <QHash>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace morlo {

struct ProjectFileTexts {
    QString couldNotOpen = QStringLiteral("Could not open the file %f"); // %f: the file name without folder
};

struct OpenFailure {
    QString message;
    // True when the program only beeps (the file could not be read at all); false when `message` is shown.
    bool beepOnly = false;
};

// Puts every picture of a read project file into the temporary folder (registered for deletion at exit).
// A picture whose name already holds different bytes is stored under a new name, recorded in *renamed
// (file name -> stored name). False with *error when a picture cannot be stored.
bool ExtractAllImages(const ProjectFileContent& content, TempFolder& temp, QHash<QString, QString>* renamed,
                      QString* error);

// Reads the project file at `path`, puts its pictures into the temporary folder (a picture whose name is
// taken by different bytes gets a new name, and the lines are changed to name it) and returns its frames,
// frame 1 first. Nothing is written when the file is refused.
std::optional<std::vector<QStringList>> ReadProjectForOpen(const QString& path, TempFolder& temp,
                                                           OpenFailure* failure,
                                                           const ProjectFileTexts& texts = {});

// An open window's project may take the opened file instead of a new window: a new project without changes.
bool CanReceiveOpenedFile(const Project& project);

// Opens `path` into `project` (which the caller chose with CanReceiveOpenedFile or created) and shows
// frame 1. The project is unchanged on failure.
bool FileOpen(Project& project, const QString& path, TempFolder& temp, OpenFailure* failure,
              const ProjectFileTexts& texts = {});

// Stores the live frame and writes the project to `path` safely (the previous file survives any failure).
// On success the project becomes a saved, unmodified project under `path`; on failure its file name and
// state are as they were and *error says why (a missing picture, a picture name that is not a plain file
// name, a write error).
bool SaveProjectFile(Project& project, const QString& path, const TempFolder& temp, QString* error);

// The first frame of a project file drawn on `view` (its tag set to 1, flattened), for the preview of the
// file dialogs; extracts the file's pictures like opening does. Returns the frame size (W and H of the
// first line), or nullopt when the file is not a project file, leaving `view` flattened and empty.
std::optional<QSize> OpenDialog1PreviewFile(LayerStack& view, const QString& path, TempFolder& temp,
                                            const RenderContext& context);

} // namespace morlo

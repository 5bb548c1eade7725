#pragma once
// Building the output of a project: every frame rebuilt from its lines on a composition stack, flattened,
// cut to the frame size, and then written as BMP files or reduced and assembled into the animated GIF.

#include "gif/gif_image.h"
#include "model/project.h"
#include "model/temp_folder.h"
#include "render/layer_stack.h"

#include <QImage>
#include <QString>
#include <functional>

namespace morlo {

enum class CreateGifMode {
    CreateGif,    // the animation in GifOutput::OutputGIF
    ExportFrame,  // the shown frame as one BMP file
    ExportFrames, // every frame as a BMP file in one folder
};

// What GIF output keeps between runs: the last animation, the name "Save GIF..." offers, the hidden
// composition stack (tag 1: always drawn) and the scratch bitmap's palette source.
struct GifOutput {
    gif::TGIFImage OutputGIF;
    QString GIFFileName;
    LayerStack compositionView;
    GifOutput() { compositionView.tag = 1; }
};

struct CreateGifTexts {
    QString couldNotWrite = QStringLiteral(
        "Could not write file to output folder %f . Check permissions or remove write protection.");
    QString fileCreated = QStringLiteral("The file %f1 has been successfully created!");
};

struct CreateGifRequest {
    CreateGifMode mode = CreateGifMode::CreateGif;
    // ExportFrame: the BMP file to write. ExportFrames: the folder the frames go to.
    QString exportPath;
    // Percent done, 0 to 100; may be empty.
    std::function<void(int percent)> progress;
    CreateGifTexts texts;
};

struct CreateGifResult {
    bool ok = false;
    QString error;       // why the run stopped (a warning for an unwritable folder, or a failure)
    QString information; // ExportFrame: the file-created message
    // Create GIF: what the run chose.
    int bestFrame = 0;
    bool sharedPalette = false;
    bool dithered = false;
};

// Runs one mode on the project. The live frame is stored first. In create-GIF mode a transparent project
// gets the transparent colour that the colour table really holds written back into every frame (and is
// then marked modified).
CreateGifResult CreateGIF(Project& project, GifOutput& output, TempFolder& temp,
                          const CreateGifRequest& request);

// The composed picture of frame `frameNumber` (1 to FrameCount) at the frame size, opaque RGB32.
QImage ComposeFrame(Project& project, LayerStack& compositionView, int frameNumber);

// The BMP name of one frame: the project's file name without folder and extension, "-", the frame number,
// ".bmp" (untitled-1-3.bmp).
QString FrameBmpFileName(const Project& project, int frameNumber);

// Number of hundredths of a second for a delay in milliseconds: rounded to the nearest integer with halves
// to the even neighbour, low 16 bits kept.
std::uint16_t DelayToHundredths(int milliseconds);

} // namespace morlo

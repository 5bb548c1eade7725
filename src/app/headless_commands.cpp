#include "app/headless_commands.h"

#include "gif/create_gif.h"
#include "gif/gif_writer.h"
#include "model/object_line.h"
#include "model/project_io.h"
#include "model/safe_save.h"

#include <QFileInfo>
#include <cstdio>
#include <optional>
#include <unistd.h>

namespace morlo {
namespace {

int fail(const QString& message) {
    std::fprintf(stderr, "morlo: %s\n", qPrintable(message));
    return 1;
}

// A project opened from a file, with the temporary folder that holds its pictures.
struct OpenedProject {
    std::optional<TempFolder> temp;
    Project project;
};

bool openProject(OpenedProject& opened, const QString& path) {
    QString error;
    opened.temp = TempFolder::Open(&error);
    if (!opened.temp) {
        fail(error);
        return false;
    }
    RenderContext context;
    context.tempDir = opened.temp->path();
    opened.project.SetRenderContext(context);
    OpenFailure failure;
    if (!FileOpen(opened.project, path, *opened.temp, &failure)) {
        fail(failure.beepOnly ? failure.message : QStringLiteral("%1: %2").arg(path, failure.message));
        return false;
    }
    return true;
}

std::function<void(int)> terminalProgress() {
    if (!::isatty(STDERR_FILENO))
        return {};
    return [](int percent) {
        std::fprintf(stderr, "\r%3d %%", percent);
        if (percent >= 100)
            std::fputc('\n', stderr);
        std::fflush(stderr);
    };
}

int runExport(OpenedProject& opened, CreateGifMode mode, const QString& path) {
    GifOutput output;
    CreateGifRequest request;
    request.mode = mode;
    request.exportPath = path;
    request.progress = terminalProgress();
    const CreateGifResult result = CreateGIF(opened.project, output, *opened.temp, request);
    if (!result.ok)
        return fail(result.error);
    return 0;
}

} // namespace

int ExportGifCommand(const QString& gifPath, const QString& projectPath) {
    OpenedProject opened;
    if (!openProject(opened, projectPath))
        return 1;
    GifOutput output;
    CreateGifRequest request;
    request.progress = terminalProgress();
    const CreateGifResult result = CreateGIF(opened.project, output, *opened.temp, request);
    if (!result.ok)
        return fail(QStringLiteral("%1: %2").arg(projectPath, result.error));
    std::vector<std::uint8_t> bytes;
    try {
        bytes = gif::WriteGIF(output.OutputGIF);
    } catch (const gif::GIFError& e) {
        return fail(QStringLiteral("%1: %2").arg(gifPath, QString::fromStdString(e.what())));
    }
    QString error;
    if (!SaveFileSafely(
            gifPath,
            QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())),
            &error))
        return fail(error);
    return 0;
}

int ExportBmpCommand(const QString& folder, const QString& projectPath) {
    OpenedProject opened;
    if (!openProject(opened, projectPath))
        return 1;
    if (!QFileInfo(folder).isDir())
        return fail(QStringLiteral("%1: not a folder").arg(folder));
    return runExport(opened, CreateGifMode::ExportFrames, folder);
}

int ExportFrameCommand(int frameNumber, const QString& bmpPath, const QString& projectPath) {
    OpenedProject opened;
    if (!openProject(opened, projectPath))
        return 1;
    Project& project = opened.project;
    if (frameNumber < 1 || frameNumber > project.FrameCount())
        return fail(projectPath + QStringLiteral(": there is no frame %1 (the project has %2 frames)")
                                      .arg(frameNumber)
                                      .arg(project.FrameCount()));
    project.ChangeFrame(frameNumber);
    return runExport(opened, CreateGifMode::ExportFrame, bmpPath);
}

int InfoCommand(const QString& projectPath) {
    OpenedProject opened;
    if (!openProject(opened, projectPath))
        return 1;
    const Project& project = opened.project;
    const std::vector<QStringList>& frames = project.Frames();
    const QString background = frames[1].isEmpty() ? QString() : frames[1].front();
    std::printf("File: %s\n", qPrintable(QFileInfo(projectPath).fileName()));
    std::printf("Frame size: %d x %d\n", DecodeInt(background, QStringLiteral("W")),
                DecodeInt(background, QStringLiteral("H")));
    std::printf("Frames: %d\n", project.FrameCount());
    for (int i = 1; i <= project.FrameCount(); ++i) {
        const QStringList& lines = frames[static_cast<size_t>(i)];
        const int delay = lines.isEmpty() ? 0 : DecodeInt(lines.front(), QStringLiteral("Delay"));
        // The drawn objects lie between the background line (first) and the border line (last).
        int objects = static_cast<int>(lines.size());
        if (!lines.isEmpty() && lines.front().startsWith(QLatin1String("Main Background")))
            --objects;
        if (lines.size() > 1 && lines.back().startsWith(QLatin1String("Border")))
            --objects;
        std::printf("Frame %d: delay %d ms, %d object%s\n", i, delay, objects, objects == 1 ? "" : "s");
    }
    return 0;
}

} // namespace morlo

#include "model/project_io.h"

#include "model/frame_layers.h"
#include "model/limits.h"
#include "model/object_line.h"
#include "model/project_file.h"
#include "model/safe_save.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace morlo {
namespace {

QString couldNotOpen(const ProjectFileTexts& texts, const QString& path) {
    QString message = texts.couldNotOpen;
    const qsizetype at = message.indexOf(QLatin1String("%f"));
    if (at >= 0)
        message.replace(at, 2, QFileInfo(path).fileName());
    return message;
}

std::optional<QByteArray> readWholeFile(const QString& path, QString* error) {
    // A pipe or device would block the program or never end; only regular files are read.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        *error = QStringLiteral("it is not a regular file");
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return std::nullopt;
    }
    if (file.size() > limits::kMaxProjectFileBytes) {
        *error = QStringLiteral("it is larger than %1 MiB").arg(limits::kMaxProjectFileBytes / (1024 * 1024));
        return std::nullopt;
    }
    QByteArray data = file.read(limits::kMaxProjectFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return std::nullopt;
    }
    return data;
}

// Points every Picture line that names a renamed picture at its new name.
void renamePictures(std::vector<QStringList>& frames, const QHash<QString, QString>& renamed) {
    if (renamed.isEmpty())
        return;
    for (QStringList& frame : frames) {
        for (QString& line : frame) {
            if (!line.startsWith(QLatin1String("Picture")))
                continue;
            const auto it = renamed.constFind(DecodeStr(line, QStringLiteral("FileName")));
            if (it != renamed.constEnd())
                line = ReplaceValue(line, QStringLiteral("FileName="), *it);
        }
    }
}

} // namespace

bool ExtractAllImages(const ProjectFileContent& content, TempFolder& temp, QHash<QString, QString>* renamed,
                      QString* error) {
    for (const EmbeddedPicture& picture : content.pictures) {
        const QString stored = temp.StorePicture(picture.name, picture.bytes, error);
        if (stored.isEmpty())
            return false;
        if (stored != picture.name)
            renamed->insert(picture.name, stored);
    }
    return true;
}

namespace {

// Opening once the file's bytes are read: parsing, the pictures into the temporary folder, the renames.
std::optional<std::vector<QStringList>> openFromData(const QByteArray& data, const QString& path,
                                                     TempFolder& temp, OpenFailure* failure,
                                                     const ProjectFileTexts& texts) {
    ProjectFileError parseError;
    std::optional<ProjectFileContent> content = ParseProjectFile(data, &parseError);
    if (!content) {
        failure->beepOnly = false;
        failure->message = parseError.notAProjectFile
                               ? couldNotOpen(texts, path)
                               : couldNotOpen(texts, path) + QStringLiteral(": ") + parseError.reason + ".";
        return std::nullopt;
    }
    QHash<QString, QString> renamed;
    QString storeError;
    if (!ExtractAllImages(*content, temp, &renamed, &storeError)) {
        failure->beepOnly = false;
        failure->message = couldNotOpen(texts, path) + QStringLiteral(": ") + storeError + ".";
        return std::nullopt;
    }
    renamePictures(content->frames, renamed);
    return std::move(content->frames);
}

} // namespace

std::optional<std::vector<QStringList>> ReadProjectForOpen(const QString& path, TempFolder& temp,
                                                           OpenFailure* failure,
                                                           const ProjectFileTexts& texts) {
    QString readError;
    const std::optional<QByteArray> data = readWholeFile(path, &readError);
    if (!data) {
        const bool tooLarge = QFileInfo(path).size() > limits::kMaxProjectFileBytes;
        failure->beepOnly = !tooLarge;
        failure->message = tooLarge ? couldNotOpen(texts, path) + QStringLiteral(": ") + readError + "."
                                    : QStringLiteral("Could not read %1: %2").arg(path, readError);
        return std::nullopt;
    }
    return openFromData(*data, path, temp, failure, texts);
}

bool CanReceiveOpenedFile(const Project& project) {
    return project.IsNew() && !project.Modified();
}

bool FileOpen(Project& project, const QString& path, TempFolder& temp, OpenFailure* failure,
              const ProjectFileTexts& texts) {
    std::optional<std::vector<QStringList>> frames = ReadProjectForOpen(path, temp, failure, texts);
    if (!frames)
        return false;
    project.LoadFrames(std::move(*frames), path);
    return true;
}

bool SaveProjectFile(Project& project, const QString& path, const TempFolder& temp, QString* error) {
    project.StoreCurrentFrame();
    const std::vector<QStringList>& all = project.Frames();
    const std::vector<QStringList> frames(all.begin() + 1, all.end());
    const std::optional<QByteArray> bytes = BuildProjectFile(
        frames, [&temp](const QString& name, QString* why) { return temp.ReadPicture(name, why); }, error);
    if (!bytes) {
        *error = QStringLiteral("Could not save %1: %2").arg(QFileInfo(path).fileName(), *error);
        return false;
    }
    if (!SaveFileSafely(path, *bytes, error))
        return false;
    project.MarkSaved(path);
    return true;
}

std::optional<QSize> OpenDialog1PreviewFile(LayerStack& view, const QString& path, TempFolder& temp,
                                            const RenderContext& context) {
    view.tag = 1;
    BuildFrameLayers(view, {}, context, true);
    QString readError;
    const std::optional<QByteArray> data = readWholeFile(path, &readError);
    if (!data)
        return std::nullopt;
    std::optional<QStringList> lines = ParseFirstFrame(*data);
    if (!lines)
        return std::nullopt;
    // A file that opening would refuse shows nothing; otherwise its pictures are extracted as opening does,
    // and the first frame's lines name them as the opened project will.
    OpenFailure failure;
    const std::optional<std::vector<QStringList>> frames = openFromData(*data, path, temp, &failure, {});
    if (!frames)
        return std::nullopt;
    lines = frames->front();
    BuildFrameLayers(view, *lines, context, true);
    view.mergeAll();
    if (lines->isEmpty())
        return QSize();
    return QSize(DecodeInt(lines->front(), QStringLiteral("W")),
                 DecodeInt(lines->front(), QStringLiteral("H")));
}

} // namespace morlo

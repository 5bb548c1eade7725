#pragma once
// The project file: a text file that holds the frames of a project as object lines and embeds, in base64,
// every picture that a Picture line uses. Reading and writing here work on bytes in memory; the project
// document and the temporary folder are joined to them in project_io.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace morlo {

inline constexpr const char* kProjectFileHeader = "[Morlo Project File v.2.0]";

struct EmbeddedPicture {
    QString name; // as written after "{Picture=": not yet checked
    QByteArray bytes;
};

struct ProjectFileContent {
    std::vector<EmbeddedPicture> pictures; // in file order; a block cut off by the end of the file is dropped
    std::vector<QStringList> frames;       // frames[0] is frame 1; size is the announced frame count
};

struct ProjectFileError {
    // True when the file is refused as not a project file of ours (the could-not-open message applies);
    // false when it breaks a limit, in which case `reason` names the limit.
    bool notAProjectFile = true;
    QString reason;
};

// Reads a whole project file. Lines end in LF with an optional CR before it. Refuses a first line other
// than the header, a file without a frame count line, a frame count that is not a number from 1 to the
// frame limit, a picture name that is not a bare file name, base64 with errors, and anything beyond the
// limits. Frame sections after the announced count are ignored; frames without a section stay empty.
std::optional<ProjectFileContent> ParseProjectFile(const QByteArray& data, ProjectFileError* error);

// The lines of the first frame only, for a preview; nullopt when the file is not a project file.
std::optional<QStringList> ParseFirstFrame(const QByteArray& data);

// Writes a project file: the header, one picture block per distinct picture name in order of first use
// (asked of `readPicture`, which returns nullopt with a message in its second argument to stop the save),
// the frame count and the frame sections. Every line ends in CR LF. Returns nullopt with *error on failure.
using PictureReader = std::function<std::optional<QByteArray>(const QString& name, QString* error)>;
std::optional<QByteArray> BuildProjectFile(const std::vector<QStringList>& frames,
                                           const PictureReader& readPicture, QString* error);

// The names of the pictures used by the frames, each once, in order of first use.
QStringList PictureNamesInUse(const std::vector<QStringList>& frames);

} // namespace morlo

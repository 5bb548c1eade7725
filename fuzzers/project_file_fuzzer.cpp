// Fuzz target of the project file reader. The input is a whole project file. Every accepted picture name
// is a bare file name; an accepted project written again (with the pictures it embeds) reads back to the
// same frames and pictures; the preview of the first frame agrees with the full reader.

#include "fuzzers/fuzz_input.h"
#include "model/file_name_rules.h"
#include "model/project_file.h"

#include <QHash>

extern "C" int MORLO_FUZZ_ENTRY(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    morlo::ProjectFileError error;
    const auto content = morlo::ParseProjectFile(bytes, &error);
    const auto firstFrame = morlo::ParseFirstFrame(bytes);
    if (!content) {
        FUZZ_CHECK(!error.reason.isEmpty());
        return 0;
    }
    FUZZ_CHECK(!content->frames.empty());

    // Opening keeps the first picture of a name.
    QHash<QString, QByteArray> pictures;
    for (const morlo::EmbeddedPicture& picture : content->pictures) {
        FUZZ_CHECK(morlo::IsBareFileName(picture.name));
        if (!pictures.contains(picture.name))
            pictures.insert(picture.name, picture.bytes);
    }
    if (firstFrame) {
        // The preview reads the section right after the frame count, which is frame 1 when it opens it.
        FUZZ_CHECK(*firstFrame == content->frames.front());
    }

    QString buildError;
    const auto rebuilt = morlo::BuildProjectFile(
        content->frames,
        [&pictures](const QString& name, QString* why) -> std::optional<QByteArray> {
            if (!pictures.contains(name)) {
                *why = QStringLiteral("missing");
                return std::nullopt;
            }
            return pictures.value(name);
        },
        &buildError);
    if (!rebuilt)
        return 0; // a line names a picture the file does not embed, or a name that is not bare
    morlo::ProjectFileError reopenError;
    const auto reopened = morlo::ParseProjectFile(*rebuilt, &reopenError);
    FUZZ_CHECK(reopened);
    FUZZ_CHECK(reopened->frames == content->frames);
    QHash<QString, QByteArray> reopenedPictures;
    for (const morlo::EmbeddedPicture& picture : reopened->pictures)
        if (!reopenedPictures.contains(picture.name))
            reopenedPictures.insert(picture.name, picture.bytes);
    for (const QString& name : morlo::PictureNamesInUse(content->frames))
        FUZZ_CHECK(reopenedPictures.value(name) == pictures.value(name) && reopenedPictures.contains(name));
    return 0;
}

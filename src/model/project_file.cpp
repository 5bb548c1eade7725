#include "model/project_file.h"

#include "model/file_name_rules.h"
#include "model/limits.h"
#include "model/object_line.h"
#include "model/text_encoding.h"

#include <QSet>

namespace morlo {
namespace {

constexpr QByteArrayView kPictureStart = "{Picture=";
constexpr QByteArrayView kPictureEnd = "}";
constexpr QByteArrayView kFramesStart = "[Frames=";
constexpr QByteArrayView kFrameStart = "[Frame=";
constexpr int kBase64LineLength = 76;

// Splits the file into lines without copying: each view excludes its LF and one CR before it. A last line
// without LF counts; an empty file has no lines.
std::vector<QByteArrayView> splitLines(const QByteArray& data) {
    std::vector<QByteArrayView> lines;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = data.indexOf('\n', start);
        const qsizetype next = end < 0 ? data.size() : end + 1;
        if (end < 0)
            end = data.size();
        qsizetype stop = end;
        if (stop > start && data[stop - 1] == '\r')
            --stop;
        lines.emplace_back(data.constData() + start, stop - start);
        start = next;
    }
    return lines;
}

bool longestLineWithinLimit(const std::vector<QByteArrayView>& lines) {
    for (const auto& line : lines)
        if (line.size() > limits::kMaxLineBytes)
            return false;
    return true;
}

std::optional<ProjectFileContent> fail(ProjectFileError* error, bool notAProjectFile, const QString& reason) {
    error->notAProjectFile = notAProjectFile;
    error->reason = reason;
    return std::nullopt;
}

// Frame count from "[Frames=N]": the text between "[Frames=" and the line's last character.
std::optional<int> frameCountOf(QByteArrayView line) {
    if (line.size() <= kFramesStart.size())
        return std::nullopt;
    const QByteArrayView digits = line.sliced(kFramesStart.size(), line.size() - kFramesStart.size() - 1);
    bool ok = false;
    const int count = digits.toByteArray().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return count;
}

// The frame size is set by a frame's background line; other first lines (an odd frame) set nothing.
bool frameSizeWithinLimit(const QString& firstLine) {
    if (!firstLine.startsWith(QLatin1String("Main Background")))
        return true;
    const int w = DecodeInt(firstLine, QStringLiteral("W"));
    const int h = DecodeInt(firstLine, QStringLiteral("H"));
    return w <= limits::kMaxFrameSide && h <= limits::kMaxFrameSide;
}

QString tooManyFramesReason() {
    return QStringLiteral("it has more than %1 frames").arg(limits::kMaxFrames);
}
QString frameTooLargeReason() {
    return QStringLiteral("its frames are larger than %1 by %1 pixels").arg(limits::kMaxFrameSide);
}
QString frameTooFullReason() {
    return QStringLiteral("it has a frame of more than %1 lines").arg(limits::kMaxLinesPerFrame);
}
QString lineTooLongReason() {
    return QStringLiteral("it has a line longer than %1 MiB").arg(limits::kMaxLineBytes / (1024 * 1024));
}

// Line breaks, and blanks at the ends of lines, carry no meaning in base64 text.
void appendBase64Line(QByteArray& base64, QByteArrayView line) {
    for (const char c : line)
        if (c != ' ' && c != '\t' && c != '\r')
            base64.append(c);
}

bool checkPictureName(const QString& name, ProjectFileError* error) {
    if (IsBareFileName(name))
        return true;
    error->notAProjectFile = true;
    error->reason = QStringLiteral("the picture name \"%1\" is not a plain file name").arg(name);
    return false;
}

QString pictureNameOf(QByteArrayView line) {
    return DecodeFileLine(line.sliced(kPictureStart.size()).toByteArray());
}

// Every picture block of the file, from its first line on. A block runs to the next line that is exactly
// "}". A block cut off by the end of the file is dropped; so is every block after it, since no "}" follows,
// but their names are still checked.
bool extractPictures(const std::vector<QByteArrayView>& lines, ProjectFileContent* content,
                     ProjectFileError* error) {
    qint64 totalBytes = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith(kPictureStart))
            continue;
        const QString name = pictureNameOf(lines[i]);
        if (!checkPictureName(name, error))
            return false;
        size_t end = i + 1;
        while (end < lines.size() && lines[end] != kPictureEnd)
            ++end;
        if (end == lines.size()) {
            for (size_t k = i + 1; k < lines.size(); ++k)
                if (lines[k].startsWith(kPictureStart) && !checkPictureName(pictureNameOf(lines[k]), error))
                    return false;
            return true;
        }
        QByteArray base64;
        size_t j = i + 1;
        for (; j < end; ++j) {
            if (base64.size() + lines[j].size() > limits::kMaxPictureBytes / 3 * 4 + 4) {
                error->notAProjectFile = false;
                error->reason = QStringLiteral("the picture %2 is larger than %1 MiB")
                                    .arg(limits::kMaxPictureBytes / (1024 * 1024))
                                    .arg(name);
                return false;
            }
            appendBase64Line(base64, lines[j]);
        }
        auto decoded = QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded) {
            error->notAProjectFile = false; // the reason is shown with the could-not-open message
            error->reason = QStringLiteral("the picture %1 is damaged").arg(name);
            return false;
        }
        totalBytes += decoded.decoded.size();
        if (content->pictures.size() >= static_cast<size_t>(limits::kMaxPicturesPerProject)) {
            error->notAProjectFile = false;
            error->reason =
                QStringLiteral("it holds more than %1 pictures").arg(limits::kMaxPicturesPerProject);
            return false;
        }
        if (totalBytes > limits::kMaxAllPictureBytes) {
            error->notAProjectFile = false;
            error->reason = QStringLiteral("its pictures together are larger than %1 MiB")
                                .arg(limits::kMaxAllPictureBytes / (1024 * 1024));
            return false;
        }
        content->pictures.push_back({name, std::move(decoded.decoded)});
        i = j;
    }
    return true;
}

} // namespace

std::optional<ProjectFileContent> ParseProjectFile(const QByteArray& data, ProjectFileError* error) {
    if (data.size() > limits::kMaxProjectFileBytes)
        return fail(
            error, false,
            QStringLiteral("it is larger than %1 MiB").arg(limits::kMaxProjectFileBytes / (1024 * 1024)));
    const std::vector<QByteArrayView> lines = splitLines(data);
    if (lines.empty() || lines.front() != QByteArrayView(kProjectFileHeader))
        return fail(error, true, QStringLiteral("it does not begin with the project file header"));
    if (!longestLineWithinLimit(lines))
        return fail(error, false, lineTooLongReason());

    ProjectFileContent content;
    if (!extractPictures(lines, &content, error))
        return std::nullopt;

    size_t i = 1;
    while (i < lines.size() && !lines[i].startsWith(kFramesStart))
        ++i;
    if (i == lines.size())
        return fail(error, true, QStringLiteral("it has no frame count"));
    const std::optional<int> count = frameCountOf(lines[i]);
    if (!count || *count < 1)
        return fail(error, true, QStringLiteral("its frame count is not a number from 1 up"));
    if (*count > limits::kMaxFrames)
        return fail(error, false, tooManyFramesReason());

    content.frames.resize(static_cast<size_t>(*count));
    int frame = 0; // 0: before the first section; sections past the count are read into nothing
    for (++i; i < lines.size(); ++i) {
        if (lines[i].startsWith(kFrameStart)) {
            ++frame;
            continue;
        }
        if (frame < 1 || frame > *count)
            continue;
        QStringList& target = content.frames[static_cast<size_t>(frame - 1)];
        if (target.size() >= limits::kMaxLinesPerFrame)
            return fail(error, false, frameTooFullReason());
        target.append(DecodeFileLine(lines[i].toByteArray()));
    }
    for (const QStringList& lines_ : content.frames) {
        if (!lines_.isEmpty() && !frameSizeWithinLimit(lines_.front()))
            return fail(error, false, frameTooLargeReason());
    }
    return content;
}

std::optional<QStringList> ParseFirstFrame(const QByteArray& data) {
    if (data.size() > limits::kMaxProjectFileBytes)
        return std::nullopt;
    const std::vector<QByteArrayView> lines = splitLines(data);
    if (lines.empty() || lines.front() != QByteArrayView(kProjectFileHeader))
        return std::nullopt;
    size_t i = 1;
    while (i < lines.size() && !lines[i].startsWith(kFramesStart))
        ++i;
    if (i + 1 >= lines.size() || !lines[i + 1].startsWith(kFrameStart))
        return std::nullopt;
    QStringList frame;
    for (i += 2; i < lines.size() && !lines[i].startsWith(kFrameStart); ++i) {
        if (lines[i].size() > limits::kMaxLineBytes)
            return std::nullopt;
        frame.append(DecodeFileLine(lines[i].toByteArray()));
    }
    if (!frame.isEmpty() && !frameSizeWithinLimit(frame.front()))
        return std::nullopt;
    return frame;
}

QStringList PictureNamesInUse(const std::vector<QStringList>& frames) {
    QStringList names;
    QSet<QString> seen;
    for (const QStringList& frame : frames) {
        for (const QString& line : frame) {
            if (!line.startsWith(QLatin1String("Picture")))
                continue;
            const QString name = DecodeStr(line, QStringLiteral("FileName"));
            if (!seen.contains(name)) {
                seen.insert(name);
                names.append(name);
            }
        }
    }
    return names;
}

std::optional<QByteArray> BuildProjectFile(const std::vector<QStringList>& frames,
                                           const PictureReader& readPicture, QString* error) {
    // A file that reading would refuse is not written: the limits hold for saving as well.
    if (frames.size() > static_cast<size_t>(limits::kMaxFrames)) {
        *error = tooManyFramesReason();
        return std::nullopt;
    }
    for (const QStringList& frame : frames) {
        if (!frame.isEmpty() && !frameSizeWithinLimit(frame.front())) {
            *error = frameTooLargeReason();
            return std::nullopt;
        }
        if (frame.size() > limits::kMaxLinesPerFrame) {
            *error = frameTooFullReason();
            return std::nullopt;
        }
    }
    QByteArray out;
    const auto appendLine = [&out](QByteArrayView line) {
        out.append(line.data(), line.size());
        out.append("\r\n");
    };
    appendLine(kProjectFileHeader);
    for (const QString& name : PictureNamesInUse(frames)) {
        if (!IsBareFileName(name)) {
            *error = QStringLiteral("the picture name \"%1\" is not a plain file name").arg(name);
            return std::nullopt;
        }
        const std::optional<QByteArray> bytes = readPicture(name, error);
        if (!bytes)
            return std::nullopt;
        appendLine(QByteArray(kPictureStart.data(), kPictureStart.size()) + name.toUtf8());
        const QByteArray base64 = bytes->toBase64();
        if (base64.isEmpty())
            appendLine("");
        for (qsizetype at = 0; at < base64.size(); at += kBase64LineLength)
            appendLine(QByteArrayView(base64).sliced(
                at, std::min<qsizetype>(kBase64LineLength, base64.size() - at)));
        appendLine(kPictureEnd);
    }
    appendLine(QByteArray("[Frames=") + QByteArray::number(static_cast<qlonglong>(frames.size())) + "]");
    for (size_t f = 0; f < frames.size(); ++f) {
        appendLine(QByteArray("[Frame=") + QByteArray::number(static_cast<qulonglong>(f + 1)) + "]");
        for (const QString& line : frames[f]) {
            const QByteArray bytes = line.toUtf8();
            if (bytes.size() > limits::kMaxLineBytes) {
                *error = lineTooLongReason();
                return std::nullopt;
            }
            appendLine(bytes);
        }
    }
    return out;
}

} // namespace morlo

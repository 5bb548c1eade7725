#include "gif/create_gif.h"

#include "gif/bmp_writer.h"
#include "gif/color_table_merge.h"
#include "gif/compaction.h"
#include "gif/frame_color_count.h"
#include "gif/quantize.h"
#include "model/frame_layers.h"
#include "model/object_line.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryFile>
#include <cmath>
#include <set>

namespace morlo {
namespace {

int reductionBits(int maxColors) {
    switch (maxColors) {
    case 256:
        return 8;
    case 128:
        return 7;
    case 64:
        return 6;
    case 32:
        return 5;
    case 16:
        return 4;
    case 8:
        return 3;
    default:
        return 0;
    }
}

// Floyd-Steinberg for the whole run when any frame has a gradient background or any object a gradient fill.
bool anyGradient(const std::vector<QStringList>& frames) {
    for (size_t f = 1; f < frames.size(); ++f) {
        const QStringList& lines = frames[f];
        if (!lines.isEmpty() && DecodeInt(lines.front(), QStringLiteral("AddGrad")) == 1)
            return true;
        for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
            const int fillType = DecodeInt(lines[i], QStringLiteral("FillType"));
            const int fill = DecodeInt(lines[i], QStringLiteral("Fill"));
            if ((fillType >= 1 && fillType <= 4) || (fill >= 1 && fill <= 4))
                return true;
        }
    }
    return false;
}

// Rounds half to even, as the progress bar and the delays do.
long roundHalfEven(double value) {
    return std::lrint(value);
}

QString replaceFirst(QString text, const QString& placeholder, const QString& value) {
    const qsizetype at = text.indexOf(placeholder);
    if (at >= 0)
        text.replace(at, placeholder.size(), value);
    return text;
}

gif::RgbBitmap toRgbBitmap(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    return gif::RgbBitmap::fromXrgb32(rgb.constBits(), rgb.width(), rgb.height(), rgb.bytesPerLine());
}

// Frame files of GIF output live in a folder of this process inside the temporary folder, apart from the
// picture files of open projects.
QString frameFilePath(const QString& folder, int frame) {
    return folder + QStringLiteral("/%1.bmp").arg(frame);
}

// Frame files are scratch data of this process in its private folder: written plainly (every write
// checked), without the flush to disk that a user's file gets.
bool writeFrameFile(const QImage& frame, const QString& path, QString* error) {
    const QByteArray bytes = EncodeBmp24(frame);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
        !file.flush()) {
        *error = QStringLiteral("Could not write the frame file %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

std::optional<gif::RgbBitmap> loadFrameFile(const QString& path, QString* error) {
    QImageReader reader(path, "bmp");
    const QImage image = reader.read();
    if (image.isNull()) {
        *error = QStringLiteral("Could not read the frame file %1: %2").arg(path, reader.errorString());
        return std::nullopt;
    }
    return toRgbBitmap(image);
}

// Whether every frame may be mapped onto the palette of the most colourful frame: compared as web-safe
// reductions, each other frame must take at least 90 % of its distinct colours from that frame's set.
bool IsUsePalette(gif::TGIFImage& scratch, const QString& folder, int bestFrame, int frameCount) {
    try {
        const auto webSafeTable = [&](int frame) {
            QString error;
            const std::optional<gif::RgbBitmap> bitmap = loadFrameFile(frameFilePath(folder, frame), &error);
            if (!bitmap)
                throw gif::GIFError(error.toStdString());
            scratch.ClearImage();
            scratch.AppendBitmap(*bitmap);
            gif::MergeColorTables(scratch);
            return scratch.globalColorMap().entries();
        };
        const std::vector<gif::RgbColor> reference = webSafeTable(bestFrame);
        std::set<std::uint32_t> referenceSet;
        for (const gif::RgbColor& colour : reference)
            referenceSet.insert(colour.toColorRef());
        for (int i = 1; i <= frameCount; ++i) {
            if (i == bestFrame)
                continue;
            const std::vector<gif::RgbColor> table = webSafeTable(i);
            if (table.empty())
                return false;
            int shared = 0;
            for (const gif::RgbColor& colour : table)
                shared += referenceSet.count(colour.toColorRef()) ? 1 : 0;
            if (static_cast<double>(shared) / static_cast<double>(table.size()) < 0.9)
                return false;
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

CreateGifResult failed(const QString& message) {
    CreateGifResult result;
    result.error = message;
    return result;
}

} // namespace

std::uint16_t DelayToHundredths(int milliseconds) {
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(roundHalfEven(milliseconds / 10.0)) &
                                      0xFFFFu);
}

QString FrameBmpFileName(const Project& project, int frameNumber) {
    // Concatenated, not formatted: a file name may itself hold "%1".
    return QFileInfo(project.FileName()).completeBaseName() + QLatin1Char('-') +
           QString::number(frameNumber) + QStringLiteral(".bmp");
}

QImage ComposeFrame(Project& project, LayerStack& compositionView, int frameNumber) {
    const QSize frameSize = project.IE1().layer(0).bitmap.size();
    // The layers stay from one frame to the next, so that objects that only move are not drawn again. All
    // layers composed over the frame area give what merging them into the background and cutting that to
    // the frame size gives: the background keeps its origin, and what lies beyond is cut away.
    UpdateFrameLayers(compositionView, project.Frames()[static_cast<size_t>(frameNumber)],
                      project.GetRenderContext());
    QImage frame(frameSize, QImage::Format_RGB32);
    if (frame.isNull())
        return frame;
    const QImage composed = compositionView.compose(QRect(compositionView.layer(0).position, frameSize));
    if (composed.isNull())
        return QImage();
    for (int y = 0; y < frameSize.height(); ++y) {
        const auto* source = reinterpret_cast<const QRgb*>(composed.constScanLine(y));
        auto* target = reinterpret_cast<QRgb*>(frame.scanLine(y));
        for (int x = 0; x < frameSize.width(); ++x)
            target[x] = qUnpremultiply(source[x]) | 0xFF000000u;
    }
    return frame;
}

CreateGifResult CreateGIF(Project& project, GifOutput& output, TempFolder& temp,
                          const CreateGifRequest& request) {
    if (project.FrameCount() < 1)
        return failed(QStringLiteral("The project has no frames."));
    const auto progress = [&request](int percent) {
        if (request.progress)
            request.progress(percent);
    };

    QString exportFolder;
    if (request.mode == CreateGifMode::ExportFrames) {
        exportFolder = request.exportPath;
        if (!exportFolder.endsWith(QLatin1Char('/')))
            exportFolder += QLatin1Char('/');
        // The write test uses a fresh name of its own, so that a file the user keeps there is never touched.
        QTemporaryFile probe(exportFolder + QStringLiteral(".morlo-write-test-XXXXXX"));
        if (!probe.open())
            return failed(replaceFirst(request.texts.couldNotWrite, QStringLiteral("%f"), exportFolder));
    }
    progress(0);

    project.StoreCurrentFrame();
    const std::vector<QStringList>& frames = project.Frames();
    const int frameCount = project.FrameCount();
    const QString firstBackground = frames[1].isEmpty() ? QString() : frames[1].front();
    const int bits = reductionBits(DecodeInt(firstBackground, QStringLiteral("MaxColors")));
    const bool loop = DecodeInt(firstBackground, QStringLiteral("Loop")) == 1;
    const bool transparent = DecodeInt(firstBackground, QStringLiteral("Transp")) == 1;
    const gif::DitherMode dither =
        anyGradient(frames) ? gif::DitherMode::DitherFloydSteinberg : gif::DitherMode::DitherNearest;

    const bool createGif = request.mode == CreateGifMode::CreateGif;
    QString frameFolder;
    if (createGif) {
        frameFolder = temp.frameFilesDir();
        if (frameFolder.isEmpty())
            return failed(QStringLiteral("Could not create a folder for frame files in %1").arg(temp.path()));
    }
    const int first = request.mode == CreateGifMode::ExportFrame ? project.CurrentFrame() : 1;
    const int last = request.mode == CreateGifMode::ExportFrame ? project.CurrentFrame() : frameCount;

    int bestCount = 0;
    int bestFrame = 1;
    for (int c = first; c <= last; ++c) {
        progress(static_cast<int>(std::min<long>(99, roundHalfEven(c * 100.0 / frameCount))));
        const QImage frame = ComposeFrame(project, output.compositionView, c);
        if (frame.isNull())
            return failed(QStringLiteral("Frame %1 has no pixels to write.").arg(c));
        QString error;
        if (createGif) {
            const QString path = frameFilePath(frameFolder, c);
            if (!writeFrameFile(frame, path, &error))
                return failed(error);
            temp.AddToTempList(path);
            const int colours = CountColors(frame);
            if (colours > bestCount) {
                bestCount = colours;
                bestFrame = c;
            }
        } else {
            const QString path = request.mode == CreateGifMode::ExportFrames
                                     ? exportFolder + FrameBmpFileName(project, c)
                                     : request.exportPath;
            if (!WriteBmp24(frame, path, &error))
                return failed(error);
        }
    }

    CreateGifResult result;
    if (!createGif) {
        progress(100);
        result.ok = true;
        if (request.mode == CreateGifMode::ExportFrame && QFile::exists(request.exportPath))
            result.information = replaceFirst(request.texts.fileCreated, QStringLiteral("%f1"),
                                              QFileInfo(request.exportPath).fileName());
        return result;
    }

    gif::TGIFImage& image = output.OutputGIF;
    const bool usePalette = IsUsePalette(image, frameFolder, bestFrame, frameCount);
    result.bestFrame = bestFrame;
    result.sharedPalette = usePalette;
    result.dithered = dither == gif::DitherMode::DitherFloydSteinberg;
    try {
        // The most colourful frame's own reduction gives the shared palette; it is computed once, before the
        // frames that map onto it, and is that frame's picture as well.
        std::optional<gif::IndexedBitmap> bestReduced;
        const auto reduceOwn = [&](const gif::RgbBitmap& bitmap) {
            return gif::QuantizeBitmap(bitmap, gif::ReduceMode::ReduceOctree, dither, bits);
        };
        if (usePalette) {
            QString error;
            const std::optional<gif::RgbBitmap> bitmap =
                loadFrameFile(frameFilePath(frameFolder, bestFrame), &error);
            if (!bitmap)
                return failed(error);
            bestReduced = reduceOwn(*bitmap);
        }
        image.ClearImage();
        for (int i = 1; i <= frameCount; ++i) {
            if (frameCount <= 10 || i == frameCount / 2)
                progress(100);
            gif::IndexedBitmap reduced;
            if (bestReduced && i == bestFrame) {
                reduced = *bestReduced;
            } else {
                QString error;
                const std::optional<gif::RgbBitmap> bitmap =
                    loadFrameFile(frameFilePath(frameFolder, i), &error);
                if (!bitmap)
                    return failed(error);
                reduced = usePalette ? gif::QuantizeBitmap(*bitmap, gif::ReduceMode::ReduceToPalette, dither,
                                                           bits, bestReduced->palette)
                                     : reduceOwn(*bitmap);
            }
            gif::TGIFSubImage& subImage = image.AppendBitmap(reduced);
            if (loop && i == 1 && frameCount > 1)
                subImage.addLoopExtension(0);
        }

        gif::MergeColorTables(image);

        int transparentIndex = 0;
        if (transparent) {
            const std::uint32_t wanted =
                static_cast<std::uint32_t>(DecodeInt(firstBackground, QStringLiteral("TrColor")));
            transparentIndex = std::max(0, image.globalColorMap().IndexOfColor(wanted));
            const std::uint32_t kept = image.globalColorMap().entry(transparentIndex).toColorRef();
            const QString value = QString::number(kept);
            LayerStack& ie1 = project.IE1();
            ie1.layer(0).name = ReplaceValue(ie1.layer(0).name, QStringLiteral("TrColor="), value);
            for (int i = 1; i <= frameCount; ++i) {
                QStringList& lines = project.Frames()[static_cast<size_t>(i)];
                if (!lines.isEmpty())
                    lines.front() = ReplaceValue(lines.front(), QStringLiteral("TrColor="), value);
            }
            project.ChildChanged(true);
        }
        for (int i = 1; i <= frameCount; ++i) {
            gif::TGIFSubImage& subImage = image.frame(i - 1);
            gif::TGIFGraphicControlExtension& control = subImage.addControlExtension();
            if (transparent) {
                control.disposal = 2;
                control.setTransparent(true);
                control.setTransparentIndex(transparentIndex);
            }
            const QStringList& lines = project.Frames()[static_cast<size_t>(i)];
            control.delay =
                DelayToHundredths(lines.isEmpty() ? 0 : DecodeInt(lines.front(), QStringLiteral("Delay")));
        }

        image.FoldSingleTable();
        if (image.globalColorMap().count() > 1 && !transparent) {
            gif::CompactOptions options;
            options.crop = options.merge = options.cleanup = options.sortColors = options.reduce = true;
            gif::CompactAnimation(image, options);
            options.merge = false;
            gif::CompactAnimation(image, options);
        }
    } catch (const gif::GIFError& e) {
        return failed(QString::fromStdString(e.what()));
    }

    const QString& fileName = project.FileName();
    const QString suffix = QFileInfo(fileName).suffix();
    output.GIFFileName = (suffix.isEmpty() ? fileName + QLatin1Char('.') : fileName.chopped(suffix.size())) +
                         QStringLiteral("gif");
    result.ok = true;
    return result;
}

} // namespace morlo

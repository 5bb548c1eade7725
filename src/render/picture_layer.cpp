#include "render/picture_layer.h"

#include "model/file_name_rules.h"
#include "model/limits.h"
#include "model/object_line.h"
#include "render/layer_placement.h"
#include "render/scratch_surfaces.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <algorithm>

namespace morlo {
namespace {

bool WithinImageLimits(QSize size) {
    return size.isValid() && size.width() > 0 && size.height() > 0 && size.width() <= limits::kMaxImageSide &&
           size.height() <= limits::kMaxImageSide &&
           static_cast<std::int64_t>(size.width()) * size.height() <= limits::kMaxImagePixels;
}

} // namespace

bool LoadPictureFile(const QString& folder, const QString& fileName, QImage& image) {
    image = QImage();
    if (folder.isEmpty() || !IsBareFileName(fileName))
        return false;
    const QString path = QDir(folder).filePath(fileName);
    const QFileInfo info(path);
    // A link could lead out of the folder and a special file (a pipe) could block the reader.
    if (info.isSymLink() || !info.isFile())
        return false;
    QImageReader reader(path);
    // The picture is shown as stored, at the natural size recorded in its line (W0, H0).
    reader.setAutoTransform(false);
    // The header's size is checked against our own limit before any pixel memory is reserved.
    if (!WithinImageLimits(reader.size()))
        return false;
    QImage decoded;
    if (!reader.read(&decoded) || !WithinImageLimits(decoded.size()))
        return false;
    image = decoded.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return !image.isNull();
}

void PaintPictureLayer(Layer& layer, const QString& line, const QString& folder) {
    layer.position = QPoint(DecodeInt(line, "X"), DecodeInt(line, "Y"));
    layer.transparency =
        DecodeInt(line, "Visible") == 1 ? TransparencyFromLine(DecodeInt(line, "Transp")) : 0;
    layer.rotation = RotationFromAngle(DecodeInt(line, "Angle"));
    const bool natural = DecodeInt(line, "AutoSize") != 0;
    const int w = DecodeInt(line, natural ? "W0" : "W");
    const int h = DecodeInt(line, natural ? "H0" : "H");
    if (w > kMaxLayerSide || h > kMaxLayerSide ||
        !LoadPictureFile(folder, DecodeStr(line, "FileName"), layer.bitmap)) {
        ClearLayerPicture(layer);
        return;
    }
    // The bitmap keeps its natural size; the view scales it. 0 or less means the natural size of that side.
    layer.displayWidth = std::max(w, 0);
    layer.displayHeight = std::max(h, 0);
}

} // namespace morlo

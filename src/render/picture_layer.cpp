#include "render/picture_layer.h"

#include "model/file_name_rules.h"
#include "model/object_line.h"
#include "render/image_loading.h"
#include "render/layer_placement.h"
#include "render/scratch_surfaces.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace morlo {

bool LoadPictureFile(const QString& folder, const QString& fileName, QImage& image) {
    image = QImage();
    if (folder.isEmpty() || !IsBareFileName(fileName))
        return false;
    const QString path = QDir(folder).filePath(fileName);
    // A link could lead out of the folder.
    if (QFileInfo(path).isSymLink())
        return false;
    const std::optional<QImage> decoded = ReadImageSafely(path, nullptr);
    if (!decoded)
        return false;
    image = decoded->convertToFormat(QImage::Format_ARGB32_Premultiplied);
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

#pragma once
// Drawing of "Picture" layers from image files in the program's temporary folder.

#include "render/layer_stack.h"

#include <QImage>
#include <QString>

namespace morlo {

// Reads the picture `fileName` from `folder` into `image` (Format_ARGB32_Premultiplied). Only a bare file
// name (IsBareFileName) naming a file that is not a link is read, through ReadImageSafely (formats, header
// size within the decoded-image limits); returns false otherwise or when the file cannot be decoded.
bool LoadPictureFile(const QString& folder, const QString& fileName, QImage& image);

// Draws a Picture line into `layer`: the file FileName from `folder` at its natural size, displayed at
// W0 x H0 (AutoSize not 0) or W x H; transparency Transp when Visible is 1, else 0. A display side of 0 or
// less shows that side at its natural size; one beyond kMaxLayerSide, or a file that cannot be read, gives
// an empty layer.
void PaintPictureLayer(Layer& layer, const QString& line, const QString& folder);

} // namespace morlo

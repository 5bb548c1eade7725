#include "render/layer_placement.h"

#include <algorithm>

namespace morlo {

void ClearLayerPicture(Layer& layer) {
    layer.bitmap = QImage();
    layer.displayWidth = 0;
    layer.displayHeight = 0;
}

double RotationFromAngle(int angle) {
    return static_cast<double>(angle % 360);
}

int TransparencyFromLine(int transp) {
    return std::clamp(transp, 0, 255);
}

} // namespace morlo

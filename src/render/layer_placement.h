#pragma once
// Small rules shared by every kind of layer: empty layers, rotation and transparency from line values.

#include "render/layer_stack.h"

namespace morlo {

// Leaves the layer without a picture: a null bitmap and display size 0, so nothing of an earlier drawing
// stays visible or can be hit. Used for sizes that have no picture (0 or less, or beyond the limits).
void ClearLayerPicture(Layer& layer);

// The layer rotation for an `Angle` value: degrees modulo 360 (an integral multiple of 360 is none).
double RotationFromAngle(int angle);

// A `Transp` value clamped to the layer's 0..255.
int TransparencyFromLine(int transp);

// The values of a line that decide its picture: all but the placement (position, opacity, rotation).
template <class Values> Values WithoutPlacement(Values values) {
    values.x = values.y = values.transp = values.angle = 0;
    return values;
}

} // namespace morlo

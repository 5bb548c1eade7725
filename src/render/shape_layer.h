#pragma once
// Drawing of the four shape kinds: Rectangle, Rounded Rectangle, Ellipse and Polygon.

#include "model/object_kind.h"
#include "render/layer_stack.h"
#include "render/scratch_surfaces.h"

#include <QPoint>
#include <QString>
#include <QVector>

namespace morlo {

// Scale factor at which a shape kind is drawn before the view shrinks it: 1 for rectangles, 4 for the
// curved and slanted kinds.
int ShapeScaleFactor(ObjectKind kind);

// Vertices of a polygon with `count` corners (its Radius value) for a W x H object with outline BorderW, on
// the display grid (multiply by the scale factor for the surface). Vertex i = 1..count lies at
// (Round(sin(2 pi i / count) * rx + W/2), Round(cos(2 pi i / count) * ry + H/2)), rx = W/2 - BorderW/2 - 1,
// ry likewise, Round to nearest with ties to even. The result is the closed path: vertex count, then
// vertices 1..count. Empty for count < 1; count is bounded by kMaxPolygonVertices.
inline constexpr int kMaxPolygonVertices = 16384;
QVector<QPoint> PolygonVertices(int count, int width, int height, int borderWidth);

// Draws `line` of a shape kind into `layer`: position, display size, transparency, rotation and bitmap.
// Sizes of 0 or less or beyond kMaxLayerSide give an empty layer.
void PaintShapeLayer(Layer& layer, ObjectKind kind, const QString& line, ScratchSurfaces& surfaces);

// Sets what a shape line says of the layer's placement alone: position, opacity and rotation.
void PlaceShapeLayer(Layer& layer, const QString& line);

// True when two lines of one shape kind give the same picture: they differ at most in placement.
bool SameShapePicture(const QString& a, const QString& b);

} // namespace morlo

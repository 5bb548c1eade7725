#include "render/shape_layer.h"

#include "model/line_builder.h"
#include "model/object_line.h"
#include "render/color_ref.h"
#include "render/gdi_drawing.h"
#include "render/gradient.h"
#include "render/key_color_pass.h"
#include "render/layer_placement.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace morlo {
namespace {

// Round to nearest, ties to even. Values within 1e-9 of a half are taken as that half, so that the
// rounding of a vertex whose exact position is a tie (sin(pi) is 0, not 1e-16) does not depend on the last
// bit of the sine.
int RoundVertex(long double value) {
    const long double half = std::floor(value) + 0.5L;
    if (std::abs(value - half) < 1e-9L)
        value = half;
    return static_cast<int>(std::nearbyint(value));
}

} // namespace

int ShapeScaleFactor(ObjectKind kind) {
    return kind == ObjectKind::Rectangle ? 1 : 4;
}

QVector<QPoint> PolygonVertices(int count, int width, int height, int borderWidth) {
    QVector<QPoint> path;
    if (count < 1)
        return path;
    count = std::min(count, kMaxPolygonVertices);
    const long double rx = width / 2.0L - borderWidth / 2.0L - 1;
    const long double ry = height / 2.0L - borderWidth / 2.0L - 1;
    auto vertex = [&](int i) {
        const long double angle = 2 * std::numbers::pi_v<long double> * i / count;
        return QPoint(RoundVertex(std::sin(angle) * rx + width / 2.0L),
                      RoundVertex(std::cos(angle) * ry + height / 2.0L));
    };
    path.reserve(count + 1);
    path.append(vertex(count));
    for (int i = 1; i <= count; ++i)
        path.append(vertex(i));
    return path;
}

namespace {

void placeShape(Layer& layer, const ShapeValues& v) {
    layer.position = QPoint(v.x, v.y);
    layer.transparency = TransparencyFromLine(v.transp);
    layer.rotation = RotationFromAngle(v.angle);
}

} // namespace

void PlaceShapeLayer(Layer& layer, const QString& line) {
    placeShape(layer, DecodeShapeValues(line));
}

bool SameShapePicture(const QString& a, const QString& b) {
    return WithoutPlacement(DecodeShapeValues(a)) == WithoutPlacement(DecodeShapeValues(b));
}

void PaintShapeLayer(Layer& layer, ObjectKind kind, const QString& line, ScratchSurfaces& surfaces) {
    const ShapeValues v = DecodeShapeValues(line);
    placeShape(layer, v);

    const int s = FittingScaleFactor(v.w, v.h, ShapeScaleFactor(kind));
    if (s == 0 || !PrepareSurface(surfaces.scratch, s * v.w, s * v.h, QImage::Format_RGB32,
                                  RgbFromColorRef(kTransparentKeyColor))) {
        ClearLayerPicture(layer);
        return;
    }
    layer.displayWidth = v.w;
    layer.displayHeight = v.h;
    QImage& scratch = surfaces.scratch;
    const int w = scratch.width();
    const int h = scratch.height();

    int brush = kTransparentKeyColor;
    if (v.fillType == 0)
        brush = v.backgrColor;
    else if (IsGradientKind(v.fillType))
        brush = kGradientKeyColor;
    // A negative outline width is treated as none. Scaling cannot overflow: s * W fits the surface limits,
    // and a wider outline than the surface covers it all anyway.
    const int borderW = std::clamp(v.borderW, 0, kMaxLayerSide);
    const int penWidth = s * borderW;
    const QRgb brushRgb = RgbFromColorRef(brush);
    const GdiPen pen{penWidth, RgbFromColorRef(penWidth > 0 ? v.borderColor : brush)};

    const bool visible = v.visible == 1;
    if (visible) {
        switch (kind) {
        case ObjectKind::Ellipse: {
            const int p = penWidth / 2;
            GdiEllipse(scratch, {p, p, w - p, h - p}, pen, brushRgb);
            break;
        }
        case ObjectKind::RoundedRectangle: {
            const int p = penWidth / 2 + 1;
            const long long corner =
                static_cast<long long>(s) * std::clamp(v.radius, -kMaxLayerSide, kMaxLayerSide);
            GdiRoundRect(scratch, {p, p, w - p, h - p}, static_cast<int>(corner), static_cast<int>(corner),
                         pen, brushRgb);
            break;
        }
        case ObjectKind::Polygon: {
            QVector<QPoint> points = PolygonVertices(v.radius, v.w, v.h, v.borderW);
            for (QPoint& point : points)
                point *= s;
            GdiPolygon(scratch, points, pen, brushRgb);
            break;
        }
        default: { // Rectangle: the fill, then BorderW nested 1-pixel outlines inside the box
            scratch.fill(brushRgb);
            const int rings = std::min(borderW, (std::max(w, h) + 1) / 2);
            for (int i = 0; i < rings; ++i)
                GdiRing(scratch, i, pen.color, pen.color, pen.color, pen.color);
            break;
        }
        }
    }

    KeyColorPass pass;
    if (visible && IsGradientKind(v.fillType)) {
        GradientLineColors(w, h, v.gradColor1, v.gradColor2, v.fillType, surfaces.gradientLines);
        pass.gradientLines = &surfaces.gradientLines;
        pass.gradientByRow = GradientRunsByRow(v.fillType);
    }
    if (kind == ObjectKind::Ellipse)
        pass.softEdges = SoftEdges::AllSides;
    else if (kind == ObjectKind::RoundedRectangle)
        pass.softEdges = SoftEdges::TopAndLeft;
    if (!ResolveKeyColors(scratch, pass, layer.bitmap))
        ClearLayerPicture(layer);
}

} // namespace morlo

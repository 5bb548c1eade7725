#pragma once
// The drawing primitives with the meaning pictures were designed for: integer pixel coordinates, right and
// bottom bounds exclusive, outlines centred on the figure's edge, interiors filled with the brush, and no
// anti-aliasing. All functions draw on a Format_RGB32 image and clip to it.

#include <QImage>
#include <QPoint>
#include <QRgb>
#include <QVector>

namespace morlo {

// A bounding box from (left, top) to (right, bottom), right and bottom exclusive. Boxes given the wrong
// way round are normalised.
struct GdiBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// A solid pen. A width of 0 or less draws as a 1-pixel pen.
struct GdiPen {
    int width = 1;
    QRgb color = 0xff000000u;
};

// The ellipse inscribed in `box`: its outline (through the centres of the box's outermost pixels) stroked
// with `pen`, its interior filled with `brush`.
void GdiEllipse(QImage& image, GdiBox box, GdiPen pen, QRgb brush);

// The rectangle `box` with corners rounded by ellipses `cornerWidth` x `cornerHeight` (diameters), stroked
// and filled like GdiEllipse.
void GdiRoundRect(QImage& image, GdiBox box, int cornerWidth, int cornerHeight, GdiPen pen, QRgb brush);

// The closed polygon through `points` (pixel coordinates), filled with `brush` by the even-odd rule and
// stroked with `pen` with round joins. Fewer than three points fill nothing.
void GdiPolygon(QImage& image, const QVector<QPoint>& points, GdiPen pen, QRgb brush);

// A 1-pixel horizontal or vertical line from `from` towards `to`, including `from` and excluding `to`.
// Diagonal requests draw nothing.
void GdiAxisLine(QImage& image, QPoint from, QPoint to, QRgb color);

// The closed 1-pixel ring at distance `inset` from the image's edge: (d, d) -> (w-d-1, d) -> (w-d-1, h-d-1)
// -> (d, h-d-1) -> (d, d), each edge including its start and excluding its end, so the top-left corner takes
// the top colour, the top-right the right colour, the bottom-right the bottom colour and the bottom-left the
// left colour.
void GdiRing(QImage& image, int inset, QRgb top, QRgb right, QRgb bottom, QRgb left);

} // namespace morlo

#pragma once
// Geometry of a layer's scaling and rotation, shared by composition, hit testing and the bounding
// rectangle so that all three agree on where a layer lies.

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QSize>

namespace morlo {

// A rotation reduced to [0, 360) degrees; NaN and infinities count as no rotation. quarterTurns is
// 0..3 when the angle is an exact multiple of 90 degrees, -1 otherwise.
struct Rotation {
    double degrees = 0;
    int quarterTurns = 0;
    double cosine = 1;
    double sine = 0;
};
Rotation normaliseRotation(double degrees);

// The pixels covered by a display rectangle of `display` size whose top-left corner is at the origin,
// after rotating it about its centre (positive degrees counter-clockwise on screen). Exact quarter
// turns give an exact rectangle of the swapped size about the same centre; other angles the smallest
// pixel rectangle that holds the rotated one. Coordinates are clamped to +-2^29 so that huge sizes
// cannot overflow.
QRect rotatedRect(QSize display, const Rotation& rotation);

// Maps a point (relative to the display rectangle's unrotated top-left corner) through the inverse
// rotation into display coordinates, where the display rectangle is [0, w) x [0, h).
QPointF toDisplayCoordinates(QPointF point, QSize display, const Rotation& rotation);

// Rotates a bitmap already scaled to its display size. The result covers rotatedRect(scaled.size(),
// rotation); pixels are sampled bilinearly between pixel centres, with transparency outside the bitmap,
// so that the edges of a rotated layer are smooth. Quarter turns move pixels exactly.
QImage rotateScaledBitmap(const QImage& scaled, const Rotation& rotation);

} // namespace morlo

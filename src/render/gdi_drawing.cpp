#include "render/gdi_drawing.h"

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <limits>

namespace morlo {
namespace {

// A rounded box in continuous coordinates (pixel x covers [x, x + 1), its centre is x + 0.5). The outline's
// centre line runs through the centres of the box's outermost pixels; corners are quarter ellipses with
// semi-axes rx, ry (rx = ry = half the box for an ellipse).
struct RoundedBox {
    double centerX, centerY;
    double halfWidth, halfHeight;
    double rx, ry;

    // Half the width of the row at pixel-centre height py, for the box grown by d (shrunk when d < 0);
    // negative when the row misses the box. A pixel lies inside when |x + 0.5 - centerX| <= this value.
    double halfSpan(double py, double d) const {
        const double ax = rx + d;
        const double ay = ry + d;
        const double uy = std::abs(py - centerY) - (halfHeight - ry);
        if (uy > ay)
            return -1;
        if (uy <= 0 || ax <= 0)
            return halfWidth - rx + ax;
        const double t = uy / ay;
        return halfWidth - rx + ax * std::sqrt(std::max(0.0, 1.0 - t * t));
    }
};

void FillSpan(QRgb* row, int width, double centerX, double halfSpan, QRgb color) {
    if (halfSpan < 0)
        return;
    // A pixel belongs to the span when its centre lies less than half a pixel beyond the span's ends:
    // |x + 0.5 - centerX| < halfSpan + 0.5. So a curve touches the pixel it passes through, while a
    // straight edge on pixel centres covers exactly its own pixels.
    const double first = std::floor(centerX - halfSpan - 1) + 1;
    const double last = std::ceil(centerX + halfSpan) - 1;
    const int from = static_cast<int>(std::max(first, 0.0));
    const int to = static_cast<int>(std::min(last, static_cast<double>(width - 1)));
    if (from <= to)
        std::fill(row + from, row + to + 1, color);
}

GdiBox Normalised(GdiBox box) {
    if (box.left > box.right)
        std::swap(box.left, box.right);
    if (box.top > box.bottom)
        std::swap(box.top, box.bottom);
    return box;
}

void DrawRoundedBox(QImage& image, GdiBox box, double cornerWidth, double cornerHeight, GdiPen pen,
                    QRgb brush) {
    box = Normalised(box);
    if (box.left == box.right || box.top == box.bottom || image.isNull())
        return;
    RoundedBox shape;
    shape.halfWidth = (box.right - box.left - 1) / 2.0;
    shape.halfHeight = (box.bottom - box.top - 1) / 2.0;
    shape.centerX = box.left + 0.5 + shape.halfWidth;
    shape.centerY = box.top + 0.5 + shape.halfHeight;
    shape.rx = std::clamp(cornerWidth / 2.0, 0.0, shape.halfWidth);
    shape.ry = std::clamp(cornerHeight / 2.0, 0.0, shape.halfHeight);
    const double halfPen = std::max(pen.width, 1) / 2.0;

    const int first = std::max(0, static_cast<int>(std::floor(box.top - halfPen)));
    const int last = std::min(image.height() - 1, static_cast<int>(std::ceil(box.bottom + halfPen)));
    for (int y = first; y <= last; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        const double py = y + 0.5;
        FillSpan(row, image.width(), shape.centerX, shape.halfSpan(py, halfPen), pen.color | 0xff000000u);
        FillSpan(row, image.width(), shape.centerX, shape.halfSpan(py, -halfPen), brush | 0xff000000u);
    }
}

} // namespace

void GdiEllipse(QImage& image, GdiBox box, GdiPen pen, QRgb brush) {
    box = Normalised(box);
    DrawRoundedBox(image, box, box.right - box.left, box.bottom - box.top, pen, brush);
}

void GdiRoundRect(QImage& image, GdiBox box, int cornerWidth, int cornerHeight, GdiPen pen, QRgb brush) {
    DrawRoundedBox(image, box, std::abs(cornerWidth), std::abs(cornerHeight), pen, brush);
}

void GdiPolygon(QImage& image, const QVector<QPoint>& points, GdiPen pen, QRgb brush) {
    if (points.isEmpty() || image.isNull())
        return;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Point coordinates name pixels; the painter's coordinates name pixel corners.
    painter.translate(0.5, 0.5);
    QPen qpen(QColor::fromRgb(pen.color), std::max(pen.width, 1), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(qpen);
    painter.setBrush(QColor::fromRgb(brush));
    if (points.size() >= 3)
        painter.drawPolygon(points.constData(), static_cast<int>(points.size()), Qt::OddEvenFill);
    else if (points.size() == 2)
        painter.drawLine(points[0], points[1]);
    else
        painter.drawPoint(points[0]);
}

void GdiAxisLine(QImage& image, QPoint from, QPoint to, QRgb color) {
    // The pixels of [from, to) along one axis, clipped to 0..size-1 of that axis.
    auto clippedRange = [](int start, int end, int size, int& low, int& high) {
        if (end > start) {
            low = std::max(start, 0);
            high = std::min(end - 1, size - 1);
        } else {
            low = std::max(end + 1, 0);
            high = std::min(start, size - 1);
        }
        return low <= high;
    };
    int low = 0;
    int high = 0;
    if (from.y() == to.y() && from.x() != to.x()) {
        if (from.y() < 0 || from.y() >= image.height() ||
            !clippedRange(from.x(), to.x(), image.width(), low, high))
            return;
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(from.y()));
        std::fill(row + low, row + high + 1, color | 0xff000000u);
    } else if (from.x() == to.x() && from.y() != to.y()) {
        if (from.x() < 0 || from.x() >= image.width() ||
            !clippedRange(from.y(), to.y(), image.height(), low, high))
            return;
        for (int y = low; y <= high; ++y)
            reinterpret_cast<QRgb*>(image.scanLine(y))[from.x()] = color | 0xff000000u;
    }
}

void GdiRing(QImage& image, int inset, QRgb top, QRgb right, QRgb bottom, QRgb left) {
    const int d = inset;
    const int r = image.width() - d - 1;
    const int b = image.height() - d - 1;
    GdiAxisLine(image, {d, d}, {r, d}, top);
    GdiAxisLine(image, {r, d}, {r, b}, right);
    GdiAxisLine(image, {r, b}, {d, b}, bottom);
    GdiAxisLine(image, {d, b}, {d, d}, left);
}

} // namespace morlo

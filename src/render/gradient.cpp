#include "render/gradient.h"

#include "render/color_ref.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace morlo {
namespace {

int Channel(int color, int shift) {
    return (static_cast<unsigned>(color) >> shift) & 0xff;
}

// Round to nearest with ties to even (the default floating-point rounding mode).
long double RoundEven(long double value) {
    return std::nearbyint(value);
}

} // namespace

bool IsGradientKind(int kind) {
    return kind >= kGradientRows && kind <= kGradientColumnsMirrored;
}

bool GradientRunsByRow(int kind) {
    return kind == kGradientRows || kind == kGradientRowsMirrored;
}

int CorrectColor(double value) {
    if (std::isnan(value))
        return 0;
    const double rounded = std::nearbyint(value);
    return static_cast<int>(std::clamp(rounded, 0.0, 255.0));
}

int MergeColorExt(int color1, int color2, std::uint8_t percent) {
    int result = 0;
    for (int shift : {0, 8, 16}) {
        // Each product is divided by 100 before the sum, in extended precision.
        const long double value = static_cast<long double>(Channel(color1, shift)) * percent / 100.0L +
                                  static_cast<long double>(100 - percent) * Channel(color2, shift) / 100.0L;
        result |= CorrectColor(static_cast<double>(value)) << shift;
    }
    return result;
}

void GradientLineColors(int width, int height, int color1, int color2, int kind, std::vector<QRgb>& out) {
    out.clear();
    if (!IsGradientKind(kind) || width <= 0 || height <= 0)
        return;
    const bool rows = GradientRunsByRow(kind);
    const bool mirrored = kind == kGradientRowsMirrored || kind == kGradientColumnsMirrored;
    const int lines = rows ? height : width;
    const long double length = mirrored ? static_cast<long double>(lines) / 2.0L : lines;

    float step[3];
    int start[3];
    for (int c = 0; c < 3; ++c) {
        start[c] = Channel(color1, 8 * c);
        // The step is computed in extended precision and then held in single precision.
        step[c] = static_cast<float>(static_cast<long double>(Channel(color2, 8 * c) - start[c]) / length);
    }
    auto colorOfLine = [&](int i) {
        int value[3];
        for (int c = 0; c < 3; ++c) {
            // A float times a small integer plus a byte is exact in long double, as in extended precision.
            const long double exact = start[c] + static_cast<long double>(i) * step[c];
            value[c] = static_cast<int>(std::clamp(RoundEven(exact), 0.0L, 255.0L));
        }
        return qRgb(value[0], value[1], value[2]);
    };

    out.resize(static_cast<size_t>(lines));
    if (!mirrored) {
        for (int i = 0; i < lines; ++i)
            out[static_cast<size_t>(i)] = colorOfLine(i);
        return;
    }
    // Lines i and lines - i share the colour of step i for i = 0 .. lines div 2; line `lines` itself lies
    // outside the picture.
    for (int i = 0; i <= lines / 2; ++i) {
        const QRgb color = colorOfLine(i);
        out[static_cast<size_t>(i)] = color;
        if (i > 0)
            out[static_cast<size_t>(lines - i)] = color;
    }
}

void DrawGradient(QImage& image, int width, int height, int color1, int color2, int kind) {
    // Line colours follow the requested size; only the painting is clipped to the image.
    std::vector<QRgb> lines;
    GradientLineColors(width, height, color1, color2, kind, lines);
    const int paintWidth = std::min(width, image.width());
    const int paintHeight = std::min(height, image.height());
    if (lines.empty() || paintWidth <= 0 || paintHeight <= 0)
        return;
    const bool rows = GradientRunsByRow(kind);
    if (image.depth() != 32) {
        QPainter painter(&image);
        const int count = rows ? paintHeight : paintWidth;
        for (int i = 0; i < count; ++i) {
            const QRect line = rows ? QRect(0, i, paintWidth, 1) : QRect(i, 0, 1, paintHeight);
            painter.fillRect(line, QColor::fromRgb(lines[static_cast<size_t>(i)]));
        }
        return;
    }
    for (int y = 0; y < paintHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        if (rows)
            std::fill(row, row + paintWidth, lines[static_cast<size_t>(y)]);
        else
            std::copy(lines.begin(), lines.begin() + paintWidth, row);
    }
}

void DrawGradient(LayerStack& view, int width, int height, int color1, int color2, int kind) {
    DrawGradient(view.current().bitmap, width, height, color1, color2, kind);
}

} // namespace morlo

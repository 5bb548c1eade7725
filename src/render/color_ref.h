#pragma once
// Colours as object lines store them: a 24-bit value with red in the low byte, green in the middle byte and
// blue in the high byte. Also the two key colours that the renderer reserves on its scratch surface.

#include <QRgb>

namespace morlo {

// Scratch pixels of this colour (red 129, green 129, blue 130) become fully transparent.
inline constexpr int kTransparentKeyColor = 8552833;
// Scratch pixels of this colour (red 129, green 129, blue 131) are replaced by the gradient of the fill.
inline constexpr int kGradientKeyColor = 8618369;

// The opaque QRgb of a line colour; bits above the low 24 are ignored.
constexpr QRgb RgbFromColorRef(int colorRef) {
    const auto value = static_cast<unsigned>(colorRef);
    return 0xff000000u | ((value & 0xffu) << 16) | (value & 0xff00u) | ((value >> 16) & 0xffu);
}

// The line colour of a QRgb; alpha is ignored.
constexpr int ColorRefFromRgb(QRgb rgb) {
    return static_cast<int>(((rgb >> 16) & 0xffu) | (rgb & 0xff00u) | ((rgb & 0xffu) << 16));
}

} // namespace morlo

#pragma once
// Drawing of "Text" layers: one line of text with a font, a solid or gradient face and a solid extrusion
// towards the upper right, drawn without anti-aliasing at a multiple of its display size.

#include "render/layer_stack.h"
#include "render/scratch_surfaces.h"

#include <QFont>
#include <QString>

namespace morlo {

// Whether the text holds a UTF-16 code unit of the Arabic blocks (U+0600..U+07FF).
bool IsArabic(const QString& text);
// Whether the text holds a UTF-16 code unit of the Hebrew blocks (U+0590..U+05FF, U+0800..U+083F,
// U+FB1D..U+FB40).
bool IsHerbew(const QString& text);

// Scale factor of a text line: 4 with AutoSize 1, else 8; 1 when Antialiasing is 0 or Visible is not 1.
int TextScaleFactor(int autoSize, int antialiasing, int visible);

// Pixel size of a font of `points` points at 96 dots per inch: points * 96 / 72 rounded half away from 0.
int FontPixelSize(std::int64_t points);

// The font of a text layer: family `family` (fontconfig substitutes unknown names, so "Arial" becomes
// Liberation Sans), `pixelSize` pixels, without anti-aliasing or kerning, outline fonts preferred.
QFont TextLayerFont(const QString& family, int pixelSize, bool bold, bool italic, bool underline,
                    bool strikeOut);

// Texts longer than this many UTF-16 code units are not drawn (no single-line banner text comes close).
inline constexpr int kMaxTextLength = 65536;

// Draws a Text line into `layer`: position, display size, transparency, rotation and bitmap. A display
// size of 0 or less (a text narrowed by a strongly negative Spacing, a font size of 0 or less), one beyond
// kMaxLayerSide, or a text beyond kMaxTextLength gives an empty layer.
void PaintTextLayer(Layer& layer, const QString& line, ScratchSurfaces& surfaces);

// Sets what a Text line says of the layer's placement alone: position, opacity and rotation.
void PlaceTextLayer(Layer& layer, const QString& line);

// True when two Text lines give the same picture: they differ at most in placement.
bool SameTextPicture(const QString& a, const QString& b);

} // namespace morlo

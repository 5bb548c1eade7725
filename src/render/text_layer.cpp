#include "render/text_layer.h"

#include "model/object_line.h"
#include "render/color_ref.h"
#include "render/gradient.h"
#include "render/key_color_pass.h"
#include "render/layer_placement.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstdint>

namespace morlo {
namespace {

struct TextValues {
    int x, y, w, h, transp, visible, autoSize, antialiasing, fill, size;
    bool bold, italic, underline, strikeOut;
    int fColor, borderW, borderColor, spacing, gradColor1, gradColor2, angle;
    QString text, fontName;
    bool rightToLeft;

    friend bool operator==(const TextValues&, const TextValues&) = default;
};

TextValues ReadText(const QString& line) {
    TextValues v;
    v.x = DecodeInt(line, "X");
    v.y = DecodeInt(line, "Y");
    v.w = DecodeInt(line, "W");
    v.h = DecodeInt(line, "H");
    v.transp = DecodeInt(line, "Transp");
    v.visible = DecodeInt(line, "Visible");
    v.autoSize = DecodeInt(line, "AutoSize");
    v.antialiasing = DecodeInt(line, "Antialiasing");
    v.fill = DecodeInt(line, "Fill");
    // "Size" is found inside "FSize", which comes before "AutoSize" in a Text line.
    v.size = DecodeInt(line, "Size");
    v.bold = DecodeInt(line, "FBold") == 1;
    v.italic = DecodeInt(line, "FItalic") == 1;
    v.underline = DecodeInt(line, "FUnderline") == 1;
    v.strikeOut = DecodeInt(line, "FStrikeout") == 1;
    v.fColor = DecodeInt(line, "FColor");
    v.borderW = DecodeInt(line, "BorderW");
    v.borderColor = DecodeInt(line, "BorderColor");
    v.spacing = DecodeInt(line, "Spacing");
    v.gradColor1 = DecodeInt(line, "GradColor1");
    v.gradColor2 = DecodeInt(line, "GradColor2");
    v.angle = DecodeInt(line, "Angle");
    v.fontName = DecodeStr(line, "FName");
    v.text = DecodeText(line);
    if (v.text.isEmpty())
        v.text = QStringLiteral(" ");
    v.rightToLeft = IsArabic(v.text) || IsHerbew(v.text);
    return v;
}

// Number of UTF-16 code units of the character at `k`: 2 for a surrogate pair, which is one character on
// screen but two code units in the count of characters.
int CharacterUnits(const QString& text, int k) {
    return text.at(k).isHighSurrogate() && k + 1 < text.size() && text.at(k + 1).isLowSurrogate() ? 2 : 1;
}

std::int64_t SumOfAdvances(const QFontMetrics& metrics, const QString& text) {
    std::int64_t sum = 0;
    for (int k = 0; k < text.size();) {
        const int units = CharacterUnits(text, k);
        sum += metrics.horizontalAdvance(text.mid(k, units));
        k += units;
    }
    return sum;
}

// The font and the measured layer at one scale factor.
struct TextLayout {
    int scale = 0;
    QFont font;
    int ascent = 0;
    int glyphHeight = 0; // height of the text (ascent + descent) on the surface
    int displayWidth = 0;
    int displayHeight = 0;
};

// Measures the text at scale `scale`, falling back to smaller factors when the surface would be too large.
// Returns a layout with scale 0 when the text has no picture.
TextLayout LayoutText(const TextValues& v, int scale) {
    TextLayout layout;
    if (v.size <= 0 || v.text.size() > kMaxTextLength)
        return layout;
    // A font taller than the largest layer cannot fit at any scale.
    if (FontPixelSize(v.size) > kMaxLayerSide)
        return layout;
    for (;;) {
        QFont font = TextLayerFont(v.fontName, FontPixelSize(static_cast<std::int64_t>(v.size) * scale),
                                   v.bold, v.italic, v.underline, v.strikeOut);
        const QFontMetrics metrics(font);
        // The bar makes the measured width include the last character's overhang; it is never drawn.
        // Left-to-right text is drawn character by character, so it is measured as the sum of the
        // characters' widths; right-to-left text is drawn and measured as one string.
        const std::int64_t tw =
            v.rightToLeft ? metrics.horizontalAdvance(v.text + QLatin1Char('|'))
                          : SumOfAdvances(metrics, v.text) + metrics.horizontalAdvance(QLatin1Char('|'));
        const std::int64_t th = metrics.height();
        const std::int64_t len = v.text.size();
        const std::int64_t width =
            tw + len * scale * v.spacing + static_cast<std::int64_t>(scale) * v.borderW;
        const std::int64_t displayWidth = width / scale;
        const std::int64_t displayHeight = th / scale;
        const int fitting = FittingScaleFactor(displayWidth, displayHeight, scale);
        if (fitting == 0)
            return layout;
        if (fitting == scale) {
            layout.scale = scale;
            layout.font = font;
            layout.ascent = metrics.ascent();
            layout.glyphHeight = static_cast<int>(th);
            layout.displayWidth = static_cast<int>(displayWidth);
            layout.displayHeight = static_cast<int>(displayHeight);
            return layout;
        }
        scale = fitting;
    }
}

// Paints the glyphs of the text in white on the cleared mask, the cell of character 0 at (left, 0): the
// whole text as one string for right-to-left text, else character by character at the widths of the
// characters before it plus the letter spacing.
void PaintGlyphMask(QImage& mask, const TextValues& v, const TextLayout& layout, int left, bool rightToLeft) {
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(layout.font);
    painter.setPen(Qt::white);
    const int baseline = layout.ascent;
    if (rightToLeft) {
        // Right-to-left runs are reordered within a left-to-right line, as the platform's plain text output
        // does; a text that begins with a right-to-left character does not turn the whole line around.
        painter.setLayoutDirection(Qt::LeftToRight);
        painter.drawText(QPointF(left, baseline), v.text);
        return;
    }
    const QFontMetrics metrics(layout.font);
    const std::int64_t spacing = static_cast<std::int64_t>(v.spacing) * layout.scale;
    std::int64_t advance = 0;
    const int length = static_cast<int>(v.text.size());
    for (int k = 0; k < length;) {
        const int units = CharacterUnits(v.text, k);
        const QString character = v.text.mid(k, units);
        const std::int64_t x = left + advance + k * spacing;
        if (x <= mask.width())
            painter.drawText(QPointF(static_cast<double>(x), baseline), character);
        advance += metrics.horizontalAdvance(character);
        k += units;
    }
}

// One row of the extrusion reach, from the glyphs of the row and the reach of the row below (null when no
// glyph of the rows below is within reach): 0 on a glyph, else the reach of the pixel one step down-left
// (`shift` 1) or straight down (`shift` 0) plus one, capped at `unreached`. Returns the row's smallest reach.
// Plain loops without aliasing, so that the compiler can vectorise them.
std::uint32_t ReachRow(const uchar* __restrict glyphs, const std::uint32_t* __restrict below,
                       std::uint32_t* __restrict current, int width, int shift, std::uint32_t unreached) {
    if (!below) {
        for (int x = 0; x < width; ++x)
            current[x] = glyphs[x] ? 0u : unreached;
    } else {
        for (int x = 0; x < shift && x < width; ++x)
            current[x] = glyphs[x] ? 0u : unreached;
        for (int x = shift; x < width; ++x) {
            const std::uint32_t reach = std::min(below[x - shift] + 1, unreached);
            current[x] = glyphs[x] ? 0u : reach;
        }
    }
    std::uint32_t nearest = unreached;
    for (int x = 0; x < width; ++x)
        nearest = std::min(nearest, current[x]);
    return nearest;
}

} // namespace

bool IsArabic(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= 0x0600 && c.unicode() <= 0x07FF; });
}

bool IsHerbew(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x0800 && u <= 0x083F) || (u >= 0x0590 && u <= 0x05FF) || (u >= 0xFB1D && u <= 0xFB40);
    });
}

int TextScaleFactor(int autoSize, int antialiasing, int visible) {
    if (visible != 1 || antialiasing == 0)
        return 1;
    return autoSize == 1 ? 4 : 8;
}

int FontPixelSize(std::int64_t points) {
    const std::int64_t scaled = points * 96;
    const std::int64_t rounded = scaled >= 0 ? (2 * scaled + 72) / 144 : -((-2 * scaled + 72) / 144);
    return static_cast<int>(std::clamp<std::int64_t>(rounded, -(1 << 24), 1 << 24));
}

QFont TextLayerFont(const QString& family, int pixelSize, bool bold, bool italic, bool underline,
                    bool strikeOut) {
    QFont font(family);
    font.setPixelSize(std::max(pixelSize, 1));
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strikeOut);
    // Character positions are the sums of the characters' own widths, as the measuring assumes.
    font.setKerning(false);
    // Glyph pixels must carry exactly the colour they are drawn with, so that key colours stay exact.
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferOutline | QFont::NoAntialias));
    return font;
}

namespace {

void placeText(Layer& layer, const TextValues& v) {
    layer.position = QPoint(v.x, v.y);
    layer.transparency = v.visible == 1 ? TransparencyFromLine(v.transp) : 0;
    layer.rotation = RotationFromAngle(v.angle);
}

} // namespace

void PlaceTextLayer(Layer& layer, const QString& line) {
    placeText(layer, ReadText(line));
}

bool SameTextPicture(const QString& a, const QString& b) {
    return WithoutPlacement(ReadText(a)) == WithoutPlacement(ReadText(b));
}

void PaintTextLayer(Layer& layer, const QString& line, ScratchSurfaces& surfaces) {
    const TextValues v = ReadText(line);
    placeText(layer, v);

    const TextLayout layout = LayoutText(v, TextScaleFactor(v.autoSize, v.antialiasing, v.visible));
    const bool stretched = v.autoSize == 0 && v.w > 0 && v.h > 0;
    if (layout.scale == 0 || (stretched && (v.w > kMaxLayerSide || v.h > kMaxLayerSide))) {
        ClearLayerPicture(layer);
        return;
    }
    const int s = layout.scale;
    const int w = s * layout.displayWidth;
    const int h = s * layout.displayHeight;

    // The extrusion repeats the glyphs at (c, -c) for c = 0 .. s * BorderW (right-to-left text: (0, -c)).
    // Glyphs lie within the first glyphHeight rows plus an overhang, so a deeper extrusion adds nothing
    // visible: the depth used is bounded by that.
    const std::int64_t depth = static_cast<std::int64_t>(s) * v.borderW;
    const bool extruded = depth >= 0;
    const int pixelSize = layout.font.pixelSize();
    const int overhang = pixelSize / 2 + 1;
    const int reachLimit =
        static_cast<int>(std::clamp<std::int64_t>(depth, 0, layout.glyphHeight + overhang));
    const bool rightToLeft = v.rightToLeft;

    // The glyph mask holds, besides the surface, the glyph parts that the extrusion moves into view: those
    // left of the surface (a negative bearing, or characters moved left by a negative Spacing; straight-up
    // extrusions of right-to-left text move nothing sideways) and those below it (descents beyond the
    // measured height). Margins beyond the extrusion depth are never needed. A mask beyond the pixel limit
    // (only for absurd combinations of Spacing and BorderW) goes without margins.
    const std::int64_t leftward =
        v.spacing < 0 ? static_cast<std::int64_t>(-v.spacing) * s * v.text.size() : 0;
    int leftMargin =
        rightToLeft ? 0 : static_cast<int>(std::min<std::int64_t>(reachLimit, leftward + overhang));
    int bottomMargin = std::min(reachLimit, std::max(0, layout.glyphHeight - h) + overhang);
    if (static_cast<std::int64_t>(w + leftMargin) * (h + bottomMargin) > kMaxScratchPixels)
        leftMargin = bottomMargin = 0;
    const int maskWidth = w + leftMargin;
    const int maskHeight = h + bottomMargin;
    if (!PrepareSurface(surfaces.glyphMask, maskWidth, maskHeight, QImage::Format_Alpha8, 0) ||
        !PrepareLayerBitmap(layer.bitmap, w, h)) {
        ClearLayerPicture(layer);
        return;
    }
    PaintGlyphMask(surfaces.glyphMask, v, layout, leftMargin, rightToLeft);

    // Face and extrusion colours with the key colours resolved: a colour equal to the transparent key
    // becomes transparent, the gradient key (a gradient face) becomes the gradient of its row or column.
    int face = v.borderColor;
    if (v.fill == 0)
        face = v.fColor;
    else if (IsGradientKind(v.fill))
        face = kGradientKeyColor;
    const QRgb faceRgb = RgbFromColorRef(face);
    const QRgb borderRgb = RgbFromColorRef(v.borderColor);
    const bool gradient = IsGradientKind(v.fill);
    const bool gradientByColumn = gradient && !GradientRunsByRow(v.fill);
    if (gradient)
        GradientLineColors(w, h, v.gradColor1, v.gradColor2, v.fill, surfaces.gradientLines);
    std::vector<QRgb> faceByColumn;
    std::vector<QRgb> borderByColumn;
    if (gradientByColumn) {
        faceByColumn.resize(static_cast<size_t>(w));
        borderByColumn.resize(static_cast<size_t>(w));
        for (size_t x = 0; x < static_cast<size_t>(w); ++x) {
            faceByColumn[x] = ResolveKeyColor(faceRgb, &surfaces.gradientLines[x]);
            borderByColumn[x] = ResolveKeyColor(borderRgb, &surfaces.gradientLines[x]);
        }
    }

    // reach(x, y): how many steps down-left (down for right-to-left text) from mask pixel (x, y) the nearest
    // glyph pixel lies, capped at reachLimit + 1. A pixel belongs to the extrusion when its reach is at most
    // the depth. Rows are computed bottom-up from the row below, two rows at a time; rows with no glyph
    // within reach are skipped.
    const int shift = rightToLeft ? 0 : 1;
    const std::uint32_t limit = static_cast<std::uint32_t>(reachLimit);
    const std::uint32_t unreached = limit + 1;
    surfaces.reach.resize(2 * static_cast<size_t>(maskWidth));
    std::uint32_t* below = surfaces.reach.data();
    std::uint32_t* current = below + maskWidth;
    bool belowOutOfReach = true;
    const QImage& mask = surfaces.glyphMask;
    for (int y = maskHeight - 1; y >= 0; --y) {
        const uchar* glyphs = mask.constScanLine(y);
        const bool glyphRow = std::any_of(glyphs, glyphs + maskWidth, [](uchar g) { return g != 0; });
        bool currentOutOfReach = true;
        if (extruded && (glyphRow || !belowOutOfReach))
            currentOutOfReach = ReachRow(glyphs, belowOutOfReach ? nullptr : below, current, maskWidth, shift,
                                         unreached) > limit;
        if (y < h) {
            auto* out = reinterpret_cast<QRgb*>(layer.bitmap.scanLine(y));
            if (!glyphRow && currentOutOfReach) {
                std::fill(out, out + w, 0u);
            } else {
                const QRgb* rowGradient =
                    gradient && !gradientByColumn ? &surfaces.gradientLines[static_cast<size_t>(y)] : nullptr;
                const QRgb faceRow = ResolveKeyColor(faceRgb, rowGradient);
                const QRgb borderRow = ResolveKeyColor(borderRgb, rowGradient);
                const uchar* glyphsInView = glyphs + leftMargin;
                const std::uint32_t* reachInView = current + leftMargin;
                for (int x = 0; x < w; ++x) {
                    QRgb pixel = 0;
                    if (glyphsInView[x])
                        pixel = gradientByColumn ? faceByColumn[static_cast<size_t>(x)] : faceRow;
                    else if (!currentOutOfReach && reachInView[x] <= limit)
                        pixel = gradientByColumn ? borderByColumn[static_cast<size_t>(x)] : borderRow;
                    out[x] = pixel;
                }
            }
        }
        std::swap(below, current);
        belowOutOfReach = currentOutOfReach;
    }
    layer.displayWidth = stretched ? v.w : layout.displayWidth;
    layer.displayHeight = stretched ? v.h : layout.displayHeight;
}

} // namespace morlo

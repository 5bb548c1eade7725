#pragma once
// Whole-line rebuilds: the values of one object as plain data, read from a line and written back as a
// complete line in its kind's fixed key order. Decoding follows the lookup rule of the codec (an absent or
// unreadable key yields 0 or empty text), and a rebuild drops every key that is not in its kind's layout.
// The default values live in default_lines.h; these structs start at zero.

#include "model/object_kind.h"

#include <QString>

namespace morlo {

// "Rectangle", "Rounded Rectangle", "Ellipse", "Polygon".
struct ShapeValues {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    int transp = 0;
    int backgrColor = 0;
    int borderColor = 0;
    int borderW = 0;
    int fillType = 0;
    int radius = 0;
    int angle = 0;
    int gradColor1 = 0;
    int gradColor2 = 0;
    int visible = 0;

    friend bool operator==(const ShapeValues&, const ShapeValues&) = default;
};

// "Text".
struct TextValues {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    int transp = 0;
    QString fName; // written with commas and line breaks as spaces (FieldSafeText)
    int fSize = 0;
    int fColor = 0;
    int fBold = 0;
    int fItalic = 0;
    int fUnderline = 0;
    int fStrikeout = 0;
    int borderColor = 0;
    int borderW = 0;
    int autoSize = 0;
    int fill = 0;
    int gradColor1 = 0;
    int gradColor2 = 0;
    int angle = 0;
    int antialiasing = 0;
    int visible = 0;
    int spacing = 0;
    QString escapedTxt; // the text in its stored form (EscapeText / UnescapeText), carried over as it is
};

// "Picture".
struct PictureValues {
    int x = 0;
    int y = 0;
    int w0 = 0;
    int h0 = 0;
    int w = 0;
    int h = 0;
    int autoSize = 0;
    int angle = 0;
    int transp = 0;
    int visible = 0;
    QString fileName; // bare file name in the picture folder; callers choose a name without commas
};

// "Main Background", line 0 of every frame.
struct BackgroundValues {
    int deskTopColor = 0;
    int w = 0;
    int h = 0;
    int delay = 0;
    int backgrColor = 0;
    int addGrad = 0;
    int gradient = 0;
    int gradColor1 = 0;
    int gradColor2 = 0;
    int loop = 0;
    int transp = 0;
    int trColor = 0;
    int maxColors = 0;
};

// "Border", the last line of every frame.
struct BorderValues {
    int w1 = 0;
    int w2 = 0;
    int addBorders = 0;
    int outerStyle = 0;
    int innerStyle = 0;
    int col1 = 0;
    int col2 = 0;
    int col3 = 0;
};

ShapeValues DecodeShapeValues(const QString& line);
TextValues DecodeTextValues(const QString& line);
PictureValues DecodePictureValues(const QString& line);
BackgroundValues DecodeBackgroundValues(const QString& line);
BorderValues DecodeBorderValues(const QString& line);

// `shapeKind` must be one of the four shape kinds; it supplies the kind word.
QString BuildShapeLine(ObjectKind shapeKind, const ShapeValues& values);
QString BuildTextLine(const TextValues& values);
QString BuildPictureLine(const PictureValues& values);
QString BuildBackgroundLine(const BackgroundValues& values);
QString BuildBorderLine(const BorderValues& values);

} // namespace morlo

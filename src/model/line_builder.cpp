#include "model/line_builder.h"

#include "model/object_line.h"

namespace morlo {
namespace {

// Appends ",Key=Value" fields to a kind word.
class LineWriter {
public:
    explicit LineWriter(const QString& kindWord) : line_(kindWord) {}
    LineWriter& add(QStringView key, int value) { return add(key, QString::number(value)); }
    LineWriter& add(QStringView key, const QString& value) {
        line_ += u',';
        line_ += key;
        line_ += u'=';
        line_ += value;
        return *this;
    }
    QString line() const { return line_; }

private:
    QString line_;
};

int Int(const QString& line, const char16_t* key) {
    return DecodeInt(line, QString::fromUtf16(key));
}
QString Str(const QString& line, const char16_t* key) {
    return DecodeStr(line, QString::fromUtf16(key));
}

} // namespace

ShapeValues DecodeShapeValues(const QString& line) {
    ShapeValues v;
    v.x = Int(line, u"X");
    v.y = Int(line, u"Y");
    v.w = Int(line, u"W");
    v.h = Int(line, u"H");
    v.transp = Int(line, u"Transp");
    v.backgrColor = Int(line, u"BackgrColor");
    v.borderColor = Int(line, u"BorderColor");
    v.borderW = Int(line, u"BorderW");
    v.fillType = Int(line, u"FillType");
    v.radius = Int(line, u"Radius");
    v.angle = Int(line, u"Angle");
    v.gradColor1 = Int(line, u"GradColor1");
    v.gradColor2 = Int(line, u"GradColor2");
    v.visible = Int(line, u"Visible");
    return v;
}

TextValues DecodeTextValues(const QString& line) {
    TextValues v;
    v.x = Int(line, u"X");
    v.y = Int(line, u"Y");
    v.w = Int(line, u"W");
    v.h = Int(line, u"H");
    v.transp = Int(line, u"Transp");
    v.fName = Str(line, u"FName");
    v.fSize = Int(line, u"FSize");
    v.fColor = Int(line, u"FColor");
    v.fBold = Int(line, u"FBold");
    v.fItalic = Int(line, u"FItalic");
    v.fUnderline = Int(line, u"FUnderline");
    v.fStrikeout = Int(line, u"FStrikeout");
    v.borderColor = Int(line, u"BorderColor");
    v.borderW = Int(line, u"BorderW");
    v.autoSize = Int(line, u"AutoSize");
    v.fill = Int(line, u"Fill");
    v.gradColor1 = Int(line, u"GradColor1");
    v.gradColor2 = Int(line, u"GradColor2");
    v.angle = Int(line, u"Angle");
    v.antialiasing = Int(line, u"Antialiasing");
    v.visible = Int(line, u"Visible");
    v.spacing = Int(line, u"Spacing");
    v.escapedTxt = Str(line, u"Txt");
    return v;
}

PictureValues DecodePictureValues(const QString& line) {
    PictureValues v;
    v.x = Int(line, u"X");
    v.y = Int(line, u"Y");
    v.w0 = Int(line, u"W0");
    v.h0 = Int(line, u"H0");
    v.w = Int(line, u"W");
    v.h = Int(line, u"H");
    v.autoSize = Int(line, u"AutoSize");
    v.angle = Int(line, u"Angle");
    v.transp = Int(line, u"Transp");
    v.visible = Int(line, u"Visible");
    v.fileName = Str(line, u"FileName");
    return v;
}

BackgroundValues DecodeBackgroundValues(const QString& line) {
    BackgroundValues v;
    v.deskTopColor = Int(line, u"DeskTopColor");
    v.w = Int(line, u"W");
    v.h = Int(line, u"H");
    v.delay = Int(line, u"Delay");
    v.backgrColor = Int(line, u"BackgrColor");
    v.addGrad = Int(line, u"AddGrad");
    v.gradient = Int(line, u"Gradient");
    v.gradColor1 = Int(line, u"GradColor1");
    v.gradColor2 = Int(line, u"GradColor2");
    v.loop = Int(line, u"Loop");
    v.transp = Int(line, u"Transp");
    v.trColor = Int(line, u"TrColor");
    v.maxColors = Int(line, u"MaxColors");
    return v;
}

BorderValues DecodeBorderValues(const QString& line) {
    BorderValues v;
    v.w1 = Int(line, u"W1");
    v.w2 = Int(line, u"W2");
    v.addBorders = Int(line, u"AddBorders");
    v.outerStyle = Int(line, u"OuterStyle");
    v.innerStyle = Int(line, u"InnerStyle");
    v.col1 = Int(line, u"Col1");
    v.col2 = Int(line, u"Col2");
    v.col3 = Int(line, u"Col3");
    return v;
}

QString BuildShapeLine(ObjectKind shapeKind, const ShapeValues& v) {
    return LineWriter(KindName(shapeKind))
        .add(u"X", v.x)
        .add(u"Y", v.y)
        .add(u"W", v.w)
        .add(u"H", v.h)
        .add(u"Transp", v.transp)
        .add(u"BackgrColor", v.backgrColor)
        .add(u"BorderColor", v.borderColor)
        .add(u"BorderW", v.borderW)
        .add(u"FillType", v.fillType)
        .add(u"Radius", v.radius)
        .add(u"Angle", v.angle)
        .add(u"GradColor1", v.gradColor1)
        .add(u"GradColor2", v.gradColor2)
        .add(u"Visible", v.visible)
        .line();
}

QString BuildTextLine(const TextValues& v) {
    return LineWriter(KindName(ObjectKind::Text))
        .add(u"X", v.x)
        .add(u"Y", v.y)
        .add(u"W", v.w)
        .add(u"H", v.h)
        .add(u"Transp", v.transp)
        .add(u"FName", FieldSafeText(v.fName))
        .add(u"FSize", v.fSize)
        .add(u"FColor", v.fColor)
        .add(u"FBold", v.fBold)
        .add(u"FItalic", v.fItalic)
        .add(u"FUnderline", v.fUnderline)
        .add(u"FStrikeout", v.fStrikeout)
        .add(u"BorderColor", v.borderColor)
        .add(u"BorderW", v.borderW)
        .add(u"AutoSize", v.autoSize)
        .add(u"Fill", v.fill)
        .add(u"GradColor1", v.gradColor1)
        .add(u"GradColor2", v.gradColor2)
        .add(u"Angle", v.angle)
        .add(u"Antialiasing", v.antialiasing)
        .add(u"Visible", v.visible)
        .add(u"Spacing", v.spacing)
        .add(u"Txt", v.escapedTxt)
        .line();
}

QString BuildPictureLine(const PictureValues& v) {
    return LineWriter(KindName(ObjectKind::Picture))
        .add(u"X", v.x)
        .add(u"Y", v.y)
        .add(u"W0", v.w0)
        .add(u"H0", v.h0)
        .add(u"W", v.w)
        .add(u"H", v.h)
        .add(u"AutoSize", v.autoSize)
        .add(u"Angle", v.angle)
        .add(u"Transp", v.transp)
        .add(u"Visible", v.visible)
        .add(u"FileName", v.fileName)
        .line();
}

QString BuildBackgroundLine(const BackgroundValues& v) {
    return LineWriter(KindName(ObjectKind::MainBackground))
        .add(u"DeskTopColor", v.deskTopColor)
        .add(u"W", v.w)
        .add(u"H", v.h)
        .add(u"Delay", v.delay)
        .add(u"BackgrColor", v.backgrColor)
        .add(u"AddGrad", v.addGrad)
        .add(u"Gradient", v.gradient)
        .add(u"GradColor1", v.gradColor1)
        .add(u"GradColor2", v.gradColor2)
        .add(u"Loop", v.loop)
        .add(u"Transp", v.transp)
        .add(u"TrColor", v.trColor)
        .add(u"MaxColors", v.maxColors)
        .line();
}

QString BuildBorderLine(const BorderValues& v) {
    return LineWriter(KindName(ObjectKind::Border))
        .add(u"W1", v.w1)
        .add(u"W2", v.w2)
        .add(u"AddBorders", v.addBorders)
        .add(u"OuterStyle", v.outerStyle)
        .add(u"InnerStyle", v.innerStyle)
        .add(u"Col1", v.col1)
        .add(u"Col2", v.col2)
        .add(u"Col3", v.col3)
        .line();
}

} // namespace morlo

#include "model/default_lines.h"

#include "model/object_line.h"

namespace morlo {

ShapeValues DefaultShapeValues(ObjectKind shapeKind) {
    ShapeValues v;
    v.x = 0;
    v.y = 0;
    v.w = 80;
    v.h = 40;
    v.transp = 255;
    v.backgrColor = 8978431; // light yellow
    v.borderColor = 255;     // red
    v.borderW = 3;
    v.fillType = 0;
    v.radius = shapeKind == ObjectKind::RoundedRectangle ? 25 : shapeKind == ObjectKind::Polygon ? 4 : 0;
    v.angle = 0;
    v.gradColor1 = 16777215; // white
    v.gradColor2 = 16746700;
    v.visible = 1;
    return v;
}

TextValues DefaultTextValues() {
    TextValues v;
    v.x = 0;
    v.y = 0;
    v.w = 100;
    v.h = 50;
    v.transp = 255;
    v.fName = QStringLiteral("Arial");
    v.fSize = 36;
    v.fColor = 16746496;
    v.borderColor = 8930304;
    v.borderW = 2;
    v.autoSize = 1;
    v.fill = 1;
    v.gradColor1 = 16777215;
    v.gradColor2 = 16746496;
    v.angle = 0;
    v.antialiasing = 1;
    v.visible = 1;
    v.spacing = 1;
    v.escapedTxt = QStringLiteral("Text");
    return v;
}

BackgroundValues DefaultBackgroundValues() {
    BackgroundValues v;
    v.deskTopColor = 11184810; // grey
    v.w = 468;
    v.h = 60;
    v.delay = 100;
    v.backgrColor = 16777215;
    v.addGrad = 0;
    v.gradient = 0;
    v.gradColor1 = 16777215;
    v.gradColor2 = 11184640;
    v.loop = 1;
    v.transp = 0;
    v.trColor = 0;
    v.maxColors = 256;
    return v;
}

BorderValues DefaultBorderValues() {
    BorderValues v;
    v.w1 = 1;
    v.w2 = 4;
    v.addBorders = 0;
    v.outerStyle = 2; // raised
    v.innerStyle = 1; // inset
    v.col1 = 16746496;
    v.col2 = 16767147;
    v.col3 = 11033088;
    return v;
}

QString DefaultBackgroundLine() {
    return BuildBackgroundLine(DefaultBackgroundValues());
}

QString DefaultBorderLine() {
    return BuildBorderLine(DefaultBorderValues());
}

QString NewObjectLine(ObjectKind kind) {
    if (IsShapeKind(kind)) {
        return BuildShapeLine(kind, DefaultShapeValues(kind));
    }
    if (kind == ObjectKind::Text) {
        return BuildTextLine(DefaultTextValues());
    }
    return QString();
}

QString NewObjectLineAbove(ObjectKind kind, const QString& lineBelow) {
    const QString name = KindName(kind);
    if ((IsShapeKind(kind) || kind == ObjectKind::Text) && lineBelow.startsWith(name)) {
        return ReplaceValue(ReplaceValue(lineBelow, QStringLiteral("X="), 0), QStringLiteral("Y="), 0);
    }
    return NewObjectLine(kind);
}

bool IsLargePicture(QSize naturalSize, QSize frameSize) {
    return naturalSize.width() > frameSize.width() && naturalSize.height() > frameSize.height();
}

void SetPictureSource(PictureValues& values, QSize naturalSize, QSize frameSize, const QString& fileName) {
    values.w0 = naturalSize.width();
    values.h0 = naturalSize.height();
    values.fileName = fileName;
    if (IsLargePicture(naturalSize, frameSize)) {
        values.w = 100;
        values.h = 100;
        values.autoSize = 0;
    } else {
        values.w = naturalSize.width();
        values.h = naturalSize.height();
        values.autoSize = 1;
    }
}

QString NewPictureLine(QSize naturalSize, QSize frameSize, const QString& fileName) {
    PictureValues v;
    v.angle = 0;
    v.transp = 255;
    v.visible = 1;
    SetPictureSource(v, naturalSize, frameSize, fileName);
    return BuildPictureLine(v);
}

} // namespace morlo

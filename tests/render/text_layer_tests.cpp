#include "common/test_registry.h"
#include "model/default_lines.h"
#include "model/object_line.h"
#include "render/gradient.h"
#include "render/layer_renderer.h"
#include "render/render_test_support.h"
#include "render/text_layer.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QSet>
#include <QTest>

using namespace morlo;
using namespace morlo::test;

namespace {

constexpr int kFace = 0x0000ff;   // red
constexpr int kBorder = 0x00ff00; // green

// A Text line with a solid face and an extrusion in distinct colours.
QString SolidText(const QString& text, std::initializer_list<std::pair<const char*, int>> values) {
    QString line = LineWith(ObjectKind::Text, {{"Fill=", 0}, {"FColor=", kFace}, {"BorderColor=", kBorder}});
    return LineWith(ReplaceText(line, text), values);
}

// Bounding rectangle of the opaque pixels of one colour.
QRect BoundsOf(const QImage& image, int color) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (AlphaAt(image, x, y) == 255 && ColorAt(image, x, y) == color)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

QSet<int> AlphasOf(const QImage& image) {
    QSet<int> alphas;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            alphas.insert(AlphaAt(image, x, y));
    return alphas;
}

QSet<int> OpaqueColorsOf(const QImage& image) {
    QSet<int> colors;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (AlphaAt(image, x, y) == 255)
                colors.insert(ColorAt(image, x, y));
    return colors;
}

// The measured size of a text in Arial (Liberation Sans) at `points` x `scale`, as the layer computes it.
QSize MeasuredDisplaySize(const QString& text, int points, int scale, int spacing, int borderW) {
    const QFont font = TextLayerFont("Arial", FontPixelSize(points * scale), false, false, false, false);
    const QFontMetrics metrics(font);
    // Left-to-right text: the sum of the characters' widths, as they are drawn one by one.
    int tw = metrics.horizontalAdvance(QLatin1Char('|'));
    for (QChar c : text)
        tw += metrics.horizontalAdvance(c);
    return {(tw + static_cast<int>(text.size()) * scale * spacing + scale * borderW) / scale,
            metrics.height() / scale};
}

} // namespace

class TextLayerTests : public QObject {
    Q_OBJECT
private slots:
    void rightToLeftTests_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("arabic");
        QTest::addColumn<bool>("hebrew");
        QTest::newRow("latin") << "Text" << false << false;
        QTest::newRow("arabic first") << QString(QChar(0x0627)) + "bc" << true << false;
        QTest::newRow("hebrew last") << "ab" + QString(QChar(0x05D0)) << false << true;
        QTest::newRow("arabic block end") << QString(QChar(0x07FF)) << true << false;
        QTest::newRow("samaritan") << QString(QChar(0x0800)) << false << true;
        QTest::newRow("beyond samaritan") << QString(QChar(0x0840)) << false << false;
        QTest::newRow("hebrew block start") << QString(QChar(0x0590)) << false << true;
        QTest::newRow("before hebrew") << QString(QChar(0x058F)) << false << false;
        QTest::newRow("presentation forms") << QString(QChar(0xFB1D)) + QChar(0xFB40) << false << true;
        QTest::newRow("beyond presentation forms") << QString(QChar(0xFB41)) << false << false;
    }
    void rightToLeftTests() {
        QFETCH(QString, text);
        QFETCH(bool, arabic);
        QFETCH(bool, hebrew);
        QCOMPARE(IsArabic(text), arabic);
        QCOMPARE(IsHerbew(text), hebrew);
    }

    void scaleFactorsAndPixelSizes() {
        QCOMPARE(TextScaleFactor(1, 1, 1), 4);
        QCOMPARE(TextScaleFactor(0, 1, 1), 8);
        QCOMPARE(TextScaleFactor(2, 1, 1), 8);
        QCOMPARE(TextScaleFactor(1, 0, 1), 1);
        QCOMPARE(TextScaleFactor(0, 1, 0), 1);
        QCOMPARE(FontPixelSize(36 * 4), 192); // 96 dots per inch
        QCOMPARE(FontPixelSize(10), 13);      // 13.33
        QCOMPARE(FontPixelSize(11), 15);      // 14.67
        QCOMPARE(FontPixelSize(9), 12);
    }

    void arialIsAnOutlineFontWithoutSmoothing() {
        const QFont font = TextLayerFont("Arial", 48, false, false, false, false);
        QCOMPARE(QFontInfo(font).family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(QFontInfo(font).pixelSize(), 48);
        QVERIFY(font.styleStrategy() & QFont::NoAntialias);
        // An unknown family falls back to a scalable font, never to a bitmap font.
        const QFontInfo fallback(TextLayerFont("No Such Family Anywhere", 48, false, false, false, false));
        QVERIFY(QFontDatabase::isSmoothlyScalable(fallback.family(), fallback.styleName()));
        QCOMPARE(fallback.pixelSize(), 48);
        const QFont styled = TextLayerFont("Arial", 48, true, true, true, true);
        QVERIFY(styled.bold() && styled.italic() && styled.underline() && styled.strikeOut());
    }

    void defaultTextIsDrawnAtScaleFourAndShrunkToItsMeasure() {
        OneObject object(NewObjectLine(ObjectKind::Text));
        const Layer& layer = object.layer();
        const QSize display = MeasuredDisplaySize("Text", 36, 4, 1, 2);
        QCOMPARE(QSize(layer.displayWidth, layer.displayHeight), display);
        QCOMPARE(layer.bitmap.size(), display * 4);
        // Glyphs are not smoothed: alpha is 0 or 255, and neither key colour survives.
        QCOMPARE(AlphasOf(layer.bitmap), (QSet<int>{0, 255}));
        const QSet<int> colors = OpaqueColorsOf(layer.bitmap);
        QVERIFY(colors.contains(8930304)); // the extrusion
        QVERIFY(!colors.contains(kTransparentKeyColor));
        QVERIFY(!colors.contains(kGradientKeyColor));
        QVERIFY(colors.size() > 10);
        // Every other opaque pixel is the face, in the colour of its row of the white-to-orange gradient.
        std::vector<QRgb> rows;
        GradientLineColors(layer.bitmap.width(), layer.bitmap.height(), 16777215, 16746496, kGradientRows,
                           rows);
        for (int y = 0; y < layer.bitmap.height(); ++y)
            for (int x = 0; x < layer.bitmap.width(); ++x)
                if (AlphaAt(layer.bitmap, x, y) == 255 && ColorAt(layer.bitmap, x, y) != 8930304)
                    QCOMPARE(ColorAt(layer.bitmap, x, y), ColorRefFromRgb(rows[static_cast<size_t>(y)]));
    }

    void emptyTextIsMeasuredAsASpace() {
        OneObject empty(ReplaceText(NewObjectLine(ObjectKind::Text), ""));
        OneObject space(ReplaceText(NewObjectLine(ObjectKind::Text), " "));
        QCOMPARE(empty.layer().displayWidth, space.layer().displayWidth);
        QCOMPARE(empty.layer().displayWidth, MeasuredDisplaySize(" ", 36, 4, 1, 2).width());
        // Character widths are summed whole pixels, so rounding of a whole-string measure cannot clip the
        // last character.
        OneObject longer(ReplaceText(NewObjectLine(ObjectKind::Text), "office fluff"));
        QCOMPARE(longer.layer().displayWidth, MeasuredDisplaySize("office fluff", 36, 4, 1, 2).width());
        QVERIFY(empty.layer().displayWidth > 0);
    }

    void scaleOneWithoutSmoothingOrWhenHidden() {
        OneObject plain(LineWith(ObjectKind::Text, {{"Antialiasing=", 0}}));
        QCOMPARE(plain.layer().bitmap.size(), QSize(plain.layer().displayWidth, plain.layer().displayHeight));
        QCOMPARE(plain.layer().transparency, 255);
        OneObject hidden(LineWith(ObjectKind::Text, {{"Visible=", 0}, {"Transp=", 200}}));
        QCOMPARE(hidden.layer().bitmap.size(),
                 QSize(hidden.layer().displayWidth, hidden.layer().displayHeight));
        QCOMPARE(hidden.layer().transparency, 0);
    }

    void fixedSizeTextIsDrawnAtScaleEightAndStretched() {
        OneObject object(LineWith(ObjectKind::Text, {{"AutoSize=", 0}, {"W=", 200}, {"H=", 60}}));
        const QSize measured = MeasuredDisplaySize("Text", 36, 8, 1, 2);
        QCOMPARE(object.layer().bitmap.size(), measured * 8);
        QCOMPARE(object.layer().displayWidth, 200);
        QCOMPARE(object.layer().displayHeight, 60);
        // Without a size of its own the measured size stays.
        object.redraw(LineWith(ObjectKind::Text, {{"AutoSize=", 0}, {"W=", 0}, {"H=", 60}}));
        QCOMPARE(object.layer().displayWidth, measured.width());
    }

    void extrusionReachesScaleTimesBorderWidthUpAndRight() {
        // "I" is a straight stem: the extrusion's far edge lies exactly s * BorderW = 8 pixels to the right
        // of and above the face's.
        OneObject object(SolidText("I", {{"BorderW=", 2}, {"Spacing=", 0}}));
        const QRect face = BoundsOf(object.bitmap(), kFace);
        const QRect border = BoundsOf(object.bitmap(), kBorder);
        QVERIFY(!face.isEmpty() && !border.isEmpty());
        QCOMPARE(border.right() - face.right(), 8);
        QCOMPARE(face.top() - border.top(), 8);
        QCOMPARE(border.left(), face.left() + 1); // the face covers the copies at c = 0
        QCOMPARE(border.bottom(), face.bottom() - 1);
        // With BorderW 0 the border lies wholly under the face.
        object.redraw(SolidText("I", {{"BorderW=", 0}}));
        QVERIFY(BoundsOf(object.bitmap(), kBorder).isEmpty());
    }

    void spacingMovesEveryCharacter() {
        OneObject tight(SolidText("II", {{"BorderW=", 0}, {"Spacing=", 0}}));
        OneObject spaced(SolidText("II", {{"BorderW=", 0}, {"Spacing=", 5}}));
        QCOMPARE(spaced.layer().displayWidth - tight.layer().displayWidth, 10);
        // The second stem moves by 4 * 5 pixels on the scale-4 surface, the first stays.
        QCOMPARE(BoundsOf(spaced.bitmap(), kFace).left(), BoundsOf(tight.bitmap(), kFace).left());
        QCOMPARE(BoundsOf(spaced.bitmap(), kFace).right(), BoundsOf(tight.bitmap(), kFace).right() + 20);
    }

    void rightToLeftTextIgnoresSpacingButIsWidened_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("hebrew") << QString::fromUtf8("\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d");
        QTest::newRow("only the last one hebrew") << QString::fromUtf8("abc\xd7\x90");
        QTest::newRow("only the first one arabic") << QString::fromUtf8("\xd8\xa7xyz");
    }
    void rightToLeftTextIgnoresSpacingButIsWidened() {
        QFETCH(QString, text); // four code units in every row
        OneObject tight(SolidText(text, {{"BorderW=", 1}, {"Spacing=", 0}}));
        OneObject spaced(SolidText(text, {{"BorderW=", 1}, {"Spacing=", 5}}));
        QCOMPARE(spaced.layer().displayWidth - tight.layer().displayWidth, 20);
        const QImage& a = tight.bitmap();
        const QImage& b = spaced.bitmap();
        QVERIFY(!BoundsOf(a, kFace).isEmpty());
        QCOMPARE(BoundsOf(b, kFace), BoundsOf(a, kFace));
        QCOMPARE(BoundsOf(b, kBorder), BoundsOf(a, kBorder));
        // The extrusion of right-to-left text goes straight up.
        QCOMPARE(BoundsOf(a, kBorder).right(), BoundsOf(a, kFace).right());
        QCOMPARE(BoundsOf(a, kFace).top() - BoundsOf(a, kBorder).top(), 4);
    }

    void faceColourFollowsFill() {
        // A gradient of one colour paints every face pixel in it; the extrusion keeps its colour.
        OneObject gradient(
            SolidText("Ab", {{"Fill=", 3}, {"GradColor1=", 0x123456}, {"GradColor2=", 0x123456}}));
        const QSet<int> colors = OpaqueColorsOf(gradient.bitmap());
        QCOMPARE(colors, (QSet<int>{0x123456, kBorder}));
        // Fill beyond 4: the face takes the border colour.
        OneObject other(SolidText("Ab", {{"Fill=", 7}}));
        QCOMPARE(OpaqueColorsOf(other.bitmap()), QSet<int>{kBorder});
        // A face colour equal to the transparent key leaves only the extrusion's visible rim.
        OneObject keyed(SolidText("Ab", {{"FColor=", kTransparentKeyColor}}));
        QCOMPARE(OpaqueColorsOf(keyed.bitmap()), QSet<int>{kBorder});
        QVERIFY(AlphasOf(keyed.bitmap()).contains(0));
    }

    void stylesChangeTheGlyphs() {
        OneObject plain(SolidText("Ab", {{"BorderW=", 0}}));
        OneObject bold(SolidText("Ab", {{"BorderW=", 0}, {"FBold=", 1}}));
        OneObject underlined(SolidText("Ab", {{"BorderW=", 0}, {"FUnderline=", 1}}));
        QVERIFY(bold.layer().displayWidth > plain.layer().displayWidth);
        QVERIFY(BoundsOf(underlined.bitmap(), kFace).bottom() > BoundsOf(plain.bitmap(), kFace).bottom());
    }

    void textsWithoutAPictureLeaveAnEmptyLayer_data() {
        QTest::addColumn<QString>("line");
        QTest::newRow("strongly negative spacing") << LineWith(ObjectKind::Text, {{"Spacing=", -100}});
        QTest::newRow("font size 0") << LineWith(ObjectKind::Text, {{"FSize=", 0}});
        QTest::newRow("negative font size") << LineWith(ObjectKind::Text, {{"FSize=", -20}});
        QTest::newRow("enormous font") << LineWith(ObjectKind::Text, {{"FSize=", 99999999}});
        QTest::newRow("stretched beyond a frame")
            << LineWith(ObjectKind::Text, {{"AutoSize=", 0}, {"W=", 5000}});
        QTest::newRow("enormous extrusion") << LineWith(ObjectKind::Text, {{"BorderW=", 99999999}});
        QTest::newRow("too long") << ReplaceText(NewObjectLine(ObjectKind::Text),
                                                 QString(kMaxTextLength + 1, 'x'));
    }
    void textsWithoutAPictureLeaveAnEmptyLayer() {
        QFETCH(QString, line);
        OneObject object(NewObjectLine(ObjectKind::Text));
        QVERIFY(!object.bitmap().isNull());
        object.redraw(line);
        QVERIFY(object.bitmap().isNull());
        QCOMPARE(object.layer().effectiveWidth(), 0);
    }

    void largeTextsFallBackToASmallerScale() {
        // 400 points at scale 8 would need a surface beyond the pixel limit.
        OneObject object(LineWith(ObjectKind::Text, {{"FSize=", 400}, {"AutoSize=", 0}, {"W=", 0}}));
        const QImage& bitmap = object.bitmap();
        QVERIFY(!bitmap.isNull());
        QVERIFY(static_cast<std::int64_t>(bitmap.width()) * bitmap.height() <= kMaxScratchPixels);
        QCOMPARE(bitmap.width(), 4 * object.layer().displayWidth);
        // Negative extrusion depths draw no extrusion; deep ones stay bounded.
        object.redraw(SolidText("I", {{"BorderW=", -3}, {"Spacing=", 10}}));
        QVERIFY(BoundsOf(object.bitmap(), kBorder).isEmpty());
        object.redraw(SolidText("I", {{"BorderW=", 300}, {"FSize=", 8}}));
        QVERIFY(!BoundsOf(object.bitmap(), kBorder).isEmpty());
        // Characters pulled left of the layer by a negative Spacing come back into view by a deep extrusion.
        object.redraw(SolidText("IIIIIIII", {{"Spacing=", -20}, {"BorderW=", 60}}));
        QVERIFY(!object.bitmap().isNull());
        QVERIFY(!BoundsOf(object.bitmap(), kBorder).isEmpty());
    }
};

MORLO_TEST(TextLayerTests)
#include "text_layer_tests.moc"

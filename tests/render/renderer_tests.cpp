#include "common/test_registry.h"
#include "model/default_lines.h"
#include "model/object_line.h"
#include "render/key_color_pass.h"
#include "render/layer_renderer.h"
#include "render/render_test_support.h"
#include "render/shape_layer.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace morlo;
using namespace morlo::test;

namespace {

constexpr int kRed = 255;
constexpr int kYellow = 8978431;

// True when every pixel of the rectangle has the colour and alpha.
bool AllPixels(const QImage& image, QRect area, int color, int alpha) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (AlphaAt(image, x, y) != alpha || (alpha == 255 && ColorAt(image, x, y) != color))
                return false;
    return true;
}

bool AllTransparent(const QImage& image) {
    return AllPixels(image, image.rect(), 0, 0);
}

} // namespace

class ShapeLayerTests : public QObject {
    Q_OBJECT
private slots:
    void rectangleHasNestedRingsInsideItsBox() {
        OneObject object(LineWith(ObjectKind::Rectangle, {{"X=", 7}, {"Y=", -3}, {"Transp=", 128}}));
        const QImage& bitmap = object.bitmap();
        QCOMPARE(bitmap.size(), QSize(80, 40));
        QCOMPARE(object.layer().effectiveWidth(), 80);
        QCOMPARE(object.layer().position, QPoint(7, -3));
        QCOMPARE(object.layer().transparency, 128);
        for (int ring = 0; ring < 3; ++ring) {
            QVERIFY(AllPixels(bitmap, QRect(ring, ring, 80 - 2 * ring, 1), kRed, 255));
            QVERIFY(AllPixels(bitmap, QRect(ring, 39 - ring, 80 - 2 * ring, 1), kRed, 255));
            QVERIFY(AllPixels(bitmap, QRect(79 - ring, ring, 1, 40 - 2 * ring), kRed, 255));
        }
        QVERIFY(AllPixels(bitmap, QRect(3, 3, 74, 34), kYellow, 255));
    }

    void rectangleWithoutFillKeepsOnlyItsRings() {
        OneObject object(LineWith(ObjectKind::Rectangle, {{"FillType=", 5}}));
        QVERIFY(AllPixels(object.bitmap(), QRect(3, 3, 74, 34), 0, 0));
        QVERIFY(AllPixels(object.bitmap(), QRect(0, 0, 80, 3), kRed, 255));
    }

    void ellipseIsDrawnAtFourTimesItsSizeWithInsetOutline() {
        OneObject object(NewObjectLine(ObjectKind::Ellipse));
        const QImage& bitmap = object.bitmap();
        QCOMPARE(bitmap.size(), QSize(320, 160));
        QCOMPARE(object.layer().displayWidth, 80);
        QCOMPARE(object.layer().displayHeight, 40);
        // The 12-pixel pen is centred on the edge of the box inset by 6: across the middle row it covers
        // columns 0..11 and 308..319, the fill lies between.
        const int middle = 80;
        QCOMPARE(ColorAt(bitmap, 0, middle), kRed);
        QVERIFY(AllPixels(bitmap, QRect(2, middle, 10, 1), kRed, 255));
        QCOMPARE(ColorAt(bitmap, 12, middle), kYellow);
        QVERIFY(AllPixels(bitmap, QRect(308, middle, 10, 1), kRed, 255));
        QCOMPARE(ColorAt(bitmap, 319, middle), kRed);
        QCOMPARE(ColorAt(bitmap, 160, 80), kYellow);
        // Column 1 and w - 2 are softened; the corners of the box are outside the ellipse.
        QCOMPARE(AlphaAt(bitmap, 1, middle), 50);
        QCOMPARE(AlphaAt(bitmap, 318, middle), 50);
        QCOMPARE(AlphaAt(bitmap, 0, middle), 255);
        QCOMPARE(AlphaAt(bitmap, 0, 0), 0);
        QCOMPARE(AlphaAt(bitmap, 319, 159), 0);
        QCOMPARE(AlphaAt(bitmap, 160, 0), 0); // the top of the outline reaches row 1, not row 0
        QCOMPARE(AlphaAt(bitmap, 160, 1), 50);
        QCOMPARE(AlphaAt(bitmap, 160, 158), 50);
        QCOMPARE(AlphaAt(bitmap, 160, 2), 255);
    }

    void roundedRectangleSoftensOnlyTopAndLeft() {
        OneObject object(NewObjectLine(ObjectKind::RoundedRectangle));
        const QImage& bitmap = object.bitmap();
        QCOMPARE(bitmap.size(), QSize(320, 160));
        // Pen 12, inset 7: the outline runs from column 1 to column 318 across the middle.
        QCOMPARE(AlphaAt(bitmap, 0, 80), 0);
        QCOMPARE(AlphaAt(bitmap, 1, 80), 50);
        QCOMPARE(ColorAt(bitmap, 318, 80), kRed);
        QCOMPARE(AlphaAt(bitmap, 318, 80), 255);
        QCOMPARE(AlphaAt(bitmap, 160, 1), 50);
        QCOMPARE(AlphaAt(bitmap, 160, 158), 255);
        QCOMPARE(AlphaAt(bitmap, 319, 80), 0);
        // Corners are rounded: the corner pixel of the box stays transparent, the centre is filled.
        QCOMPARE(AlphaAt(bitmap, 2, 2), 0);
        QCOMPARE(ColorAt(bitmap, 160, 80), kYellow);
    }

    void polygonVerticesRoundTiesToEven() {
        // rx = 40 - 1.5 - 1 = 37.5, ry = 17.5: Round(77.5) = 78, Round(2.5) = 2, Round(37.5) = 38.
        const QVector<QPoint> diamond = PolygonVertices(4, 80, 40, 3);
        QCOMPARE(diamond, (QVector<QPoint>{{40, 38}, {78, 20}, {40, 2}, {2, 20}, {40, 38}}));
        // Three corners: the last vertex is the bottom centre, so the triangle points down.
        const QVector<QPoint> triangle = PolygonVertices(3, 80, 40, 3);
        QCOMPARE(triangle.size(), 4);
        QCOMPARE(triangle.first(), QPoint(40, 38));
        QVERIFY(triangle[1].y() < 20 && triangle[2].y() < 20);
        // A tie that depends on sin(pi) being exactly 0: W 81 puts vertex 2 of 4 at x = 40.5 -> 40.
        QCOMPARE(PolygonVertices(4, 81, 40, 3)[2].x(), 40);
        QVERIFY(PolygonVertices(0, 80, 40, 3).isEmpty());
        QCOMPARE(PolygonVertices(1 << 30, 80, 40, 3).size(), kMaxPolygonVertices + 1);
    }

    void polygonIsDrawnThroughItsScaledVertices() {
        OneObject object(NewObjectLine(ObjectKind::Polygon));
        const QImage& bitmap = object.bitmap();
        QCOMPARE(bitmap.size(), QSize(320, 160));
        for (const QPoint vertex : PolygonVertices(4, 80, 40, 3))
            QCOMPARE(ColorAt(bitmap, vertex.x() * 4, vertex.y() * 4), kRed);
        QCOMPARE(ColorAt(bitmap, 160, 80), kYellow);
        QCOMPARE(AlphaAt(bitmap, 0, 0), 0);
        QCOMPARE(AlphaAt(bitmap, 319, 159), 0);
        // Two corners give no filled area: only the stroked line between them.
        object.redraw(LineWith(ObjectKind::Polygon, {{"Radius=", 2}}));
        QCOMPARE(object.bitmap().size(), QSize(320, 160));
        QCOMPARE(AlphaAt(object.bitmap(), 40, 80), 0);
    }

    void gradientReplacesTheGradientKeyButNotTheOutline() {
        // Rows from black to red over 40 rows; the 3 outline rings keep BorderColor.
        OneObject object(LineWith(
            ObjectKind::Rectangle,
            {{"FillType=", 1}, {"BorderColor=", 0xff0000}, {"GradColor1=", 0}, {"GradColor2=", 0x0000c8}}));
        const QImage& bitmap = object.bitmap();
        QCOMPARE(ColorAt(bitmap, 0, 10), 0xff0000);
        for (int y : {3, 10, 36})
            QCOMPARE(ColorAt(bitmap, 40, y), y * 5); // step 200 / 40 = 5
        // Mirrored columns on an ellipse, scale 4: the centre column has colour 2.
        OneObject ellipse(
            LineWith(ObjectKind::Ellipse, {{"FillType=", 4}, {"GradColor1=", 0}, {"GradColor2=", 0x0000c8}}));
        QCOMPARE(ColorAt(ellipse.bitmap(), 160, 80), 0x0000c8);
    }

    void userColoursEqualToKeyColours() {
        // A fill equal to the transparent key comes out transparent.
        OneObject clear(LineWith(ObjectKind::Rectangle, {{"BackgrColor=", kTransparentKeyColor}}));
        QCOMPARE(AlphaAt(clear.bitmap(), 40, 20), 0);
        QCOMPARE(ColorAt(clear.bitmap(), 0, 0), kRed);
        // A solid fill equal to the gradient key keeps its colour.
        OneObject solid(LineWith(ObjectKind::Rectangle, {{"BackgrColor=", kGradientKeyColor}}));
        QCOMPARE(ColorAt(solid.bitmap(), 40, 20), kGradientKeyColor);
        QCOMPARE(AlphaAt(solid.bitmap(), 40, 20), 255);
        // An outline equal to the gradient key takes the gradient when the fill is a gradient.
        OneObject outlined(LineWith(ObjectKind::Rectangle, {{"FillType=", 1},
                                                            {"BorderColor=", kGradientKeyColor},
                                                            {"GradColor1=", 0x00ff00},
                                                            {"GradColor2=", 0x00ff00}}));
        QCOMPARE(ColorAt(outlined.bitmap(), 0, 0), 0x00ff00);
    }

    void invisibleShapesAreTransparent() {
        OneObject object(LineWith(ObjectKind::Ellipse, {{"Visible=", 0}}));
        QCOMPARE(object.bitmap().size(), QSize(320, 160));
        QVERIFY(AllTransparent(object.bitmap()));
    }

    void outlineWidthZeroDrawsOnlyTheFill() {
        OneObject object(LineWith(ObjectKind::Ellipse, {{"BorderW=", 0}}));
        const QImage& bitmap = object.bitmap();
        for (int y = 0; y < bitmap.height(); ++y)
            for (int x = 0; x < bitmap.width(); ++x)
                QVERIFY(AlphaAt(bitmap, x, y) != 255 || ColorAt(bitmap, x, y) == kYellow);
        QCOMPARE(ColorAt(bitmap, 0, 80), kYellow);
    }

    void emptyAndOversizedShapesLeaveNoStaleBitmap_data() {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::newRow("zero width") << 0 << 40;
        QTest::newRow("zero height") << 80 << 0;
        QTest::newRow("negative") << -5 << 40;
        QTest::newRow("wider than a frame can be") << 4097 << 10;
        QTest::newRow("the 8-character value limit") << 99999999 << 99999999;
    }
    void emptyAndOversizedShapesLeaveNoStaleBitmap() {
        QFETCH(int, w);
        QFETCH(int, h);
        for (ObjectKind kind : {ObjectKind::Rectangle, ObjectKind::Ellipse, ObjectKind::Polygon}) {
            OneObject object(NewObjectLine(kind));
            QVERIFY(!object.bitmap().isNull());
            object.redraw(LineWith(kind, {{"W=", w}, {"H=", h}}));
            QVERIFY(object.bitmap().isNull());
            QCOMPARE(object.layer().effectiveWidth(), 0);
            QCOMPARE(object.stack.hitTest(QPoint(1, 1)), 0); // the background, not the empty layer
            QCOMPARE(ColorAt(object.stack.compose(QRect(0, 0, 4, 4)), 1, 1), 16777215);
        }
    }

    void hugeShapesAreDrawnAtASmallerScale() {
        OneObject object(LineWith(ObjectKind::Ellipse, {{"W=", 4000}, {"H=", 3000}}));
        const QImage& bitmap = object.bitmap();
        QCOMPARE(bitmap.size(), QSize(4000, 3000)); // scale 1: 4x and 2x exceed the surface limit
        QCOMPARE(object.layer().displayWidth, 4000);
        QVERIFY(static_cast<std::int64_t>(bitmap.width()) * bitmap.height() <= kMaxScratchPixels);
        QCOMPARE(ColorAt(bitmap, 2000, 1500), kYellow);
    }

    void hostileValuesStayBounded() {
        OneObject object(
            LineWith(ObjectKind::RoundedRectangle,
                     {{"BorderW=", 99999999}, {"Radius=", -99999999}, {"Transp=", 1000}, {"Angle=", 725}}));
        QCOMPARE(object.bitmap().size(), QSize(320, 160));
        QCOMPARE(object.layer().transparency, 255);
        QCOMPARE(object.layer().rotation, 5.0);
        object.redraw(LineWith(ObjectKind::Rectangle, {{"BorderW=", 99999999}}));
        QVERIFY(AllPixels(object.bitmap(), object.bitmap().rect(), kRed, 255));
        object.redraw(LineWith(ObjectKind::Polygon, {{"Radius=", 99999999}, {"BorderW=", -7}}));
        QCOMPARE(object.bitmap().size(), QSize(320, 160));
        // A hugely negative outline puts the vertices far outside the surface.
        object.redraw(LineWith(ObjectKind::Polygon, {{"Radius=", 5}, {"BorderW=", -99999999}}));
        QCOMPARE(object.bitmap().size(), QSize(320, 160));
    }
};

class FrameLayerTests : public QObject {
    Q_OBJECT
private slots:
    // A shape or text that only moves, turns or fades keeps its picture; anything else draws it again.
    void placementAloneKeepsThePicture_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("moved");
        QTest::addColumn<QString>("recoloured");
        const QString ellipse = NewObjectLine(ObjectKind::Ellipse);
        const QString text = NewObjectLine(ObjectKind::Text);
        QTest::newRow("ellipse") << ellipse
                                 << LineWith(ellipse,
                                             {{"X=", 40}, {"Y=", -3}, {"Angle=", 30}, {"Transp=", 99}})
                                 << LineWith(ellipse, {{"BackgrColor=", 255}});
        QTest::newRow("text") << text << LineWith(text, {{"X=", 7}, {"Angle=", 90}})
                              << LineWith(text, {{"FColor=", 255}});
    }
    void placementAloneKeepsThePicture() {
        QFETCH(QString, line);
        QFETCH(QString, moved);
        QFETCH(QString, recoloured);
        OneObject object(line);
        const qint64 drawn = object.bitmap().cacheKey();
        object.redraw(moved);
        QCOMPARE(object.bitmap().cacheKey(), drawn);
        OneObject fresh(moved);
        QCOMPARE(object.layer().position, fresh.layer().position);
        QCOMPARE(object.layer().rotation, fresh.layer().rotation);
        QCOMPARE(object.layer().transparency, fresh.layer().transparency);
        QCOMPARE(object.bitmap(), fresh.bitmap());
        object.redraw(recoloured);
        QVERIFY(object.bitmap().cacheKey() != drawn);
        QCOMPARE(object.bitmap(), OneObject(recoloured).bitmap());
        // A bitmap changed by anyone else is drawn again even for a move.
        object.layer().bitmap.fill(Qt::transparent);
        object.redraw(LineWith(recoloured, {{"X=", 1}}));
        QCOMPARE(object.bitmap(), OneObject(recoloured).bitmap());
    }

    void layersShareOneMemoryBudget() {
        // Room for three 100x100 rectangles: the fourth is drawn empty, and redrawing one that fits keeps it.
        RenderContext context;
        context.maxStackBitmapBytes = 3 * 100 * 100 * 4;
        LayerStack stack;
        const QString rectangle = LineWith(ObjectKind::Rectangle, {{"W=", 100}, {"H=", 100}});
        for (int i = 1; i <= 4; ++i) {
            stack.layer(stack.addLayer()).name = rectangle;
            RepaintLayer(stack, i, context);
        }
        QCOMPARE(stack.layer(3).bitmap.size(), QSize(100, 100));
        QVERIFY(stack.layer(4).bitmap.isNull());
        QCOMPARE(stack.layer(4).displayWidth, 0);
        RepaintLayer(stack, 2, context);
        QCOMPARE(stack.layer(2).bitmap.size(), QSize(100, 100));
        // A layer that grows beyond the budget loses its old picture instead of keeping a stale one.
        stack.layer(2).name = LineWith(ObjectKind::Rectangle, {{"W=", 200}, {"H=", 100}});
        RepaintLayer(stack, 2, context);
        QVERIFY(stack.layer(2).bitmap.isNull());
    }

    void backgroundFillsTheFrameAndSetsTheDeskColour() {
        LayerStack stack;
        stack.layer(0).name =
            LineWith(DefaultBackgroundLine(),
                     {{"W=", 30}, {"H=", 20}, {"BackgrColor=", 0x0000ff}, {"DeskTopColor=", 0x00ff00}});
        RepaintLayer(stack, 0, RenderContext{});
        const QImage& bitmap = stack.layer(0).bitmap;
        QCOMPARE(bitmap.size(), QSize(30, 20));
        QVERIFY(AllPixels(bitmap, bitmap.rect(), 0x0000ff, 255));
        QCOMPARE(stack.backgroundColor, QColor(0, 255, 0));

        stack.layer(0).name =
            LineWith(stack.layer(0).name,
                     {{"AddGrad=", 1}, {"Gradient=", 2}, {"GradColor1=", 0}, {"GradColor2=", 100}});
        RepaintLayer(stack, 0, RenderContext{});
        // Gradient 2 is kind 3: rows mirrored about the middle, L = 10, step 10.
        QCOMPARE(ColorAt(bitmap.isNull() ? stack.layer(0).bitmap : stack.layer(0).bitmap, 5, 0), 0);
        QCOMPARE(ColorAt(stack.layer(0).bitmap, 5, 3), 30);
        QCOMPARE(ColorAt(stack.layer(0).bitmap, 5, 17), 30);
        QCOMPARE(ColorAt(stack.layer(0).bitmap, 5, 10), 100);
    }

    void borderRingsFollowTheCornerRule() {
        LayerStack stack;
        stack.layer(0).name = LineWith(DefaultBackgroundLine(), {{"W=", 20}, {"H=", 14}});
        RepaintLayer(stack, 0, RenderContext{});
        stack.addLayer();
        const int top = stack.addLayer();
        // Col1 band, Col2 highlight, Col3 shadow; outer raised, inner inset.
        stack.layer(top).name = LineWith(DefaultBorderLine(), {{"AddBorders=", 1},
                                                               {"OuterStyle=", 2},
                                                               {"InnerStyle=", 1},
                                                               {"W1=", 1},
                                                               {"W2=", 4},
                                                               {"Col1=", 1},
                                                               {"Col2=", 2},
                                                               {"Col3=", 3}});
        RepaintLayer(stack, top, RenderContext{});
        const Layer& layer = stack.layer(top);
        const QImage& bitmap = layer.bitmap;
        QCOMPARE(bitmap.size(), QSize(20, 14));
        QCOMPARE(layer.position, QPoint(0, 0));
        QVERIFY(layer.locked);
        QCOMPARE(stack.currentLayer(), 0);

        // Ring 0, raised: top and left in Col2; the top-right and bottom-right corners take the right and
        // bottom edges' Col3, the bottom-left corner the left edge's Col2.
        QCOMPARE(ColorAt(bitmap, 0, 0), 2);
        QCOMPARE(ColorAt(bitmap, 10, 0), 2);
        QCOMPARE(ColorAt(bitmap, 19, 0), 3);
        QCOMPARE(ColorAt(bitmap, 19, 13), 3);
        QCOMPARE(ColorAt(bitmap, 0, 13), 2);
        QCOMPARE(ColorAt(bitmap, 10, 13), 3);
        // Rings 1 to 4 in Col1.
        for (int d = 1; d <= 4; ++d) {
            QCOMPARE(ColorAt(bitmap, d, d), 1);
            QCOMPARE(ColorAt(bitmap, 19 - d, 13 - d), 1);
        }
        // Ring 5, inset: top and left in Col3, right and bottom in Col2.
        QCOMPARE(ColorAt(bitmap, 5, 5), 3);
        QCOMPARE(ColorAt(bitmap, 14, 5), 2);
        QCOMPARE(ColorAt(bitmap, 10, 8), 2);
        QCOMPARE(ColorAt(bitmap, 5, 8), 3);
        // Everything inside is transparent.
        QVERIFY(AllPixels(bitmap, QRect(6, 6, 8, 2), 0, 0));

        // Without AddBorders the layer is wholly transparent.
        stack.layer(top).name = DefaultBorderLine();
        stack.setCurrentLayer(top);
        RepaintLayer(stack, top, RenderContext{});
        QVERIFY(AllTransparent(stack.layer(top).bitmap));
        QCOMPARE(stack.currentLayer(), 0);
    }

    void borderWithoutOuterBevelStartsWithTheBand() {
        LayerStack stack;
        stack.layer(0).name = LineWith(DefaultBackgroundLine(), {{"W=", 12}, {"H=", 12}});
        RepaintLayer(stack, 0, RenderContext{});
        const int top = stack.addLayer();
        stack.layer(top).name = LineWith(DefaultBorderLine(), {{"AddBorders=", 1},
                                                               {"OuterStyle=", 0},
                                                               {"W1=", 2},
                                                               {"W2=", 1},
                                                               {"Col1=", 1},
                                                               {"Col2=", 2},
                                                               {"Col3=", 3}});
        RepaintLayer(stack, top, RenderContext{});
        const QImage& bitmap = stack.layer(top).bitmap;
        QCOMPARE(ColorAt(bitmap, 0, 0), 1);
        QCOMPARE(ColorAt(bitmap, 1, 1), 3); // inner bevel, inset: top in Col3
        QCOMPARE(ColorAt(bitmap, 2, 2), 3);
        QCOMPARE(AlphaAt(bitmap, 3, 3), 0);
    }

    void editingViewsAreDrawnOnlyWhileAProjectIsActive() {
        LayerStack stack;
        stack.layer(0).name = DefaultBackgroundLine();
        int notified = 0;
        RenderContext context;
        context.objectListChanged = [&] { ++notified; };
        context.projectActive = false;
        RepaintLayer(stack, 0, context);
        QVERIFY(stack.layer(0).bitmap.isNull());
        QCOMPARE(notified, 0);

        stack.tag = 1; // a composition stack is always drawn, and has no object list
        RepaintLayer(stack, 0, context);
        QCOMPARE(stack.layer(0).bitmap.size(), QSize(468, 60));
        QCOMPARE(notified, 0);

        stack.tag = 0;
        context.projectActive = true;
        RepaintLayer(stack, 0, context);
        QCOMPARE(notified, 1);
    }

    void unknownLinesAndBadIndexesAreIgnored() {
        LayerStack stack;
        stack.tag = 1;
        stack.layer(0).name = DefaultBackgroundLine();
        RepaintLayer(stack, 0, RenderContext{});
        const int index = stack.addLayer();
        stack.layer(index).name = DefaultBackgroundLine(); // a background line above layer 0
        RepaintLayer(stack, index, RenderContext{});
        QVERIFY(stack.layer(index).bitmap.isNull());
        stack.layer(index).name = QStringLiteral("Hexagon,X=1");
        RepaintLayer(stack, index, RenderContext{});
        QVERIFY(stack.layer(index).bitmap.isNull());
        RepaintLayer(stack, -1, RenderContext{});
        RepaintLayer(stack, 7, RenderContext{});
    }

    void composedFrameShowsEveryLayer() {
        LayerStack stack;
        stack.tag = 1;
        RenderContext context;
        stack.layer(0).name =
            LineWith(DefaultBackgroundLine(), {{"W=", 100}, {"H=", 50}, {"BackgrColor=", 0xffffff}});
        RepaintLayer(stack, 0, context);
        const int rect = stack.addLayer();
        stack.layer(rect).name = LineWith(ObjectKind::Rectangle, {{"X=", 10}, {"Y=", 5}, {"BorderW=", 0}});
        RepaintLayer(stack, rect, context);
        const int border = stack.addLayer();
        stack.layer(border).name = LineWith(DefaultBorderLine(), {{"AddBorders=", 1}});
        RepaintLayer(stack, border, context);
        const QImage frame = stack.compose(QRect(0, 0, 100, 50));
        QCOMPARE(ColorAt(frame, 50, 25), kYellow);
        QCOMPARE(ColorAt(frame, 90, 40), 0xffffff);
        QCOMPARE(ColorAt(frame, 0, 0), DecodeInt(DefaultBorderLine(), "Col2"));
        QCOMPARE(ColorAt(frame, 3, 25), DecodeInt(DefaultBorderLine(), "Col1"));
    }
};

class PictureLayerTests : public QObject {
    Q_OBJECT
    QTemporaryDir folder_;

    QString PictureLine(const QString& name, std::initializer_list<std::pair<const char*, int>> values) {
        return LineWith(NewPictureLine(QSize(6, 4), QSize(468, 60), name), values);
    }

private slots:
    void initTestCase() {
        QVERIFY(folder_.isValid());
        QImage image(6, 4, QImage::Format_ARGB32);
        image.fill(qRgba(255, 0, 0, 255));
        image.setPixel(0, 0, qRgba(0, 0, 255, 0));
        QVERIFY(image.save(folder_.filePath("pic.png")));
        QVERIFY(QFile::link(folder_.filePath("pic.png"), folder_.filePath("link.png")));
        // A BMP header that claims 5000 x 5000 pixels, with no pixel data behind it.
        QByteArray header(54, '\0');
        auto put32 = [&](int at, quint32 value) {
            for (int i = 0; i < 4; ++i)
                header[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
        };
        header[0] = 'B';
        header[1] = 'M';
        put32(2, 54);
        put32(10, 54);
        put32(14, 40);
        put32(18, 5000);
        put32(22, 5000);
        header[26] = 1;
        header[28] = 24;
        QFile huge(folder_.filePath("huge.bmp"));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        huge.write(header);
    }

    void pictureIsReadAtItsNaturalSize() {
        LayerStack stack;
        stack.tag = 1;
        RenderContext context;
        context.tempDir = folder_.path();
        const int index = stack.addLayer();
        stack.layer(index).name =
            PictureLine("pic.png", {{"X=", 3}, {"Y=", 4}, {"Transp=", 99}, {"Angle=", 90}});
        RepaintLayer(stack, index, context);
        Layer& layer = stack.layer(index);
        QCOMPARE(layer.bitmap.size(), QSize(6, 4));
        QCOMPARE(layer.bitmap.format(), QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(AlphaAt(layer.bitmap, 0, 0), 0);
        QCOMPARE(ColorAt(layer.bitmap, 1, 0), kRed);
        QCOMPARE(layer.position, QPoint(3, 4));
        QCOMPARE(layer.transparency, 99);
        QCOMPARE(layer.rotation, 90.0);
        QCOMPARE(layer.effectiveWidth(), 6);

        // AutoSize 0: the display size is W x H while the bitmap keeps its size; invisible: transparency 0.
        stack.layer(index).name =
            PictureLine("pic.png", {{"AutoSize=", 0}, {"W=", 60}, {"H=", 0}, {"Visible=", 0}});
        RepaintLayer(stack, index, context);
        QCOMPARE(layer.bitmap.size(), QSize(6, 4));
        QCOMPARE(layer.effectiveWidth(), 60);
        QCOMPARE(layer.effectiveHeight(), 4); // 0 shows that side at its natural size
        QCOMPARE(layer.transparency, 0);
    }

    void unsafeOrUnreadablePicturesGiveAnEmptyLayer_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << "none.png";
        QTest::newRow("parent folder") << "../pic.png";
        QTest::newRow("sub folder") << "sub/pic.png";
        QTest::newRow("backslash") << "sub\\pic.png";
        QTest::newRow("dot dot") << "..";
        QTest::newRow("drive") << "c:pic.png";
        QTest::newRow("empty") << "";
        QTest::newRow("link") << "link.png";
        QTest::newRow("header beyond the pixel limit") << "huge.bmp";
        QTest::newRow("folder itself") << ".";
    }
    void unsafeOrUnreadablePicturesGiveAnEmptyLayer() {
        QFETCH(QString, name);
        LayerStack stack;
        stack.tag = 1;
        RenderContext context;
        context.tempDir = folder_.path();
        const int index = stack.addLayer();
        stack.layer(index).name = PictureLine("pic.png", {});
        RepaintLayer(stack, index, context);
        QVERIFY(!stack.layer(index).bitmap.isNull());
        stack.layer(index).name = ReplaceValue(PictureLine("pic.png", {}), "FileName=", name);
        RepaintLayer(stack, index, context);
        QVERIFY(stack.layer(index).bitmap.isNull());
        QCOMPARE(stack.layer(index).effectiveWidth(), 0);
    }

    void absoluteNamesAreNotJoinedToTheFolder() {
        LayerStack stack;
        stack.tag = 1;
        RenderContext context;
        context.tempDir = QStringLiteral("/nonexistent-folder");
        const int index = stack.addLayer();
        stack.layer(index).name =
            ReplaceValue(PictureLine("x", {}), "FileName=", folder_.filePath("pic.png"));
        RepaintLayer(stack, index, context);
        QVERIFY(stack.layer(index).bitmap.isNull());
    }
};

MORLO_TEST(ShapeLayerTests)
MORLO_TEST(FrameLayerTests)
MORLO_TEST(PictureLayerTests)
#include "renderer_tests.moc"

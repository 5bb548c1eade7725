// Layer rules, hit testing, merging, snapshots and composition of the layer stack.

#include "common/test_registry.h"
#include "render/layer_stack.h"

#include <QDataStream>
#include <QIODevice>
#include <QPainter>
#include <QTest>

using namespace morlo;

namespace {

QImage solid(QSize size, QColor colour) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

// Adds layers named "1", "2", ... so that tests can follow identities through restacking.
void addNamedLayers(LayerStack& stack, int howMany) {
    for (int i = 1; i <= howMany; ++i)
        stack.layer(stack.addLayer()).name = QString::number(i);
}

QString names(const LayerStack& stack) {
    QStringList result;
    for (int i = 0; i < stack.count(); ++i)
        result << (stack.layer(i).name.isEmpty() ? QStringLiteral("0") : stack.layer(i).name);
    return result.join(' ');
}

QRect opaqueBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

} // namespace

class LayerStackTests : public QObject {
    Q_OBJECT

private slots:
    void newStackAndAddedLayers() {
        LayerStack stack;
        QCOMPARE(stack.count(), 1);
        QVERIFY(stack.layer(0).locked);
        QCOMPARE(stack.currentLayer(), 0);
        QCOMPARE(stack.addLayer(), 1);
        QCOMPARE(stack.addLayer(), 2);
        QCOMPARE(stack.currentLayer(), 2);
        const Layer& added = stack.layer(2);
        QVERIFY(!added.locked && added.visible);
        QCOMPARE(added.position, QPoint(0, 0));
        QCOMPARE(added.transparency, 255);
        QCOMPARE(added.rotation, 0.0);
        stack.setCurrentLayer(1);
        stack.setCurrentLayer(3);
        stack.setCurrentLayer(-1);
        QCOMPARE(stack.currentLayer(), 1);
        stack.clearLayers();
        QCOMPARE(stack.count(), 1);
        QCOMPARE(stack.currentLayer(), 0);
    }

    void removeLayer_data() {
        QTest::addColumn<int>("layerCount"); // layers above layer 0
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("removed");
        QTest::addColumn<QString>("expectedNames");
        QTest::addColumn<QString>("expectedCurrentName");
        QTest::newRow("below current") << 3 << 2 << 1 << "0 2 3"
                                       << "2";
        QTest::newRow("above current") << 3 << 1 << 3 << "0 1 2"
                                       << "1";
        QTest::newRow("current in the middle: next one takes its index") << 3 << 2 << 2 << "0 1 3"
                                                                         << "3";
        QTest::newRow("current on top: new top") << 3 << 3 << 3 << "0 1 2"
                                                 << "2";
        QTest::newRow("layer 0 with others above") << 2 << 0 << 0 << "1 2"
                                                   << "1";
        QTest::newRow("bad index") << 2 << 1 << 3 << "0 1 2"
                                   << "1";
        QTest::newRow("negative index") << 2 << 1 << -1 << "0 1 2"
                                        << "1";
        QTest::newRow("only layer") << 0 << 0 << 0 << "0"
                                    << "0";
    }
    void removeLayer() {
        QFETCH(int, layerCount);
        QFETCH(int, current);
        QFETCH(int, removed);
        LayerStack stack;
        addNamedLayers(stack, layerCount);
        stack.setCurrentLayer(current);
        stack.removeLayer(removed);
        QTEST(names(stack), "expectedNames");
        const QString currentName =
            stack.current().name.isEmpty() ? QStringLiteral("0") : stack.current().name;
        QTEST(currentName, "expectedCurrentName");
    }

    void moveLayer_data() {
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("expectedNames");
        QTest::addColumn<int>("expectedCurrent");
        QTest::newRow("current moves up") << 1 << 1 << 3 << "0 2 3 1" << 3;
        QTest::newRow("current moves down") << 3 << 3 << 1 << "0 3 1 2" << 1;
        QTest::newRow("layer below current moves above it") << 2 << 1 << 3 << "0 2 3 1" << 1;
        QTest::newRow("layer above current moves below it") << 2 << 3 << 1 << "0 3 1 2" << 3;
        QTest::newRow("unrelated move") << 1 << 2 << 3 << "0 1 3 2" << 1;
        QTest::newRow("bad target") << 1 << 2 << 4 << "0 1 2 3" << 1;
        QTest::newRow("bad source") << 1 << -1 << 2 << "0 1 2 3" << 1;
    }
    void moveLayer() {
        QFETCH(int, current);
        QFETCH(int, from);
        QFETCH(int, to);
        LayerStack stack;
        addNamedLayers(stack, 3);
        stack.setCurrentLayer(current);
        stack.moveLayer(from, to);
        QTEST(names(stack), "expectedNames");
        QTEST(stack.currentLayer(), "expectedCurrent");
    }

    void hitTestHonoursAlphaVisibilityAndDisplaySize() {
        LayerStack stack;
        stack.layer(0).bitmap = solid(QSize(100, 100), Qt::white);
        Layer& holed = stack.layer(stack.addLayer());
        holed.bitmap = solid(QSize(10, 10), Qt::red);
        holed.bitmap.setPixel(0, 0, 0); // a transparent pixel, shown 2x2 at the layer's corner
        holed.position = QPoint(20, 20);
        holed.displayWidth = 20;
        holed.displayHeight = 20;
        QCOMPARE(stack.hitTest(QPoint(20, 20)), 0);
        QCOMPARE(stack.hitTest(QPoint(21, 21)), 0);
        QCOMPARE(stack.hitTest(QPoint(22, 20)), 1);
        QCOMPARE(stack.hitTest(QPoint(39, 39)), 1); // inside the display size, beyond the bitmap size
        QCOMPARE(stack.hitTest(QPoint(40, 39)), 0);
        holed.visible = false;
        QCOMPARE(stack.hitTest(QPoint(30, 30)), 0);
        QCOMPARE(stack.hitTest(QPoint(100, 0)), -1);
    }

    void hitTestOnRotatedLayer() {
        LayerStack stack;
        Layer& layer = stack.layer(stack.addLayer());
        layer.bitmap = solid(QSize(40, 20), Qt::blue);
        QPainter painter(&layer.bitmap);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(0, 0, 20, 20, Qt::transparent); // only the right half can be hit
        painter.end();
        layer.position = QPoint(100, 100);
        // Unrotated the layer spans x 100..139, y 100..119.
        QCOMPARE(stack.hitTest(QPoint(135, 110)), 1);
        QCOMPARE(stack.hitTest(QPoint(102, 110)), -1);
        QCOMPARE(stack.hitTest(QPoint(120, 95)), -1);
        layer.rotation = 90; // now x 110..129, y 90..129, the right half turned to the top
        QCOMPARE(stack.hitTest(QPoint(135, 110)), -1);
        QCOMPARE(stack.hitTest(QPoint(120, 95)), 1);
        QCOMPARE(stack.hitTest(QPoint(120, 109)), 1);
        QCOMPARE(stack.hitTest(QPoint(120, 125)), -1);
        QCOMPARE(stack.hitTest(QPoint(120, 130)), -1);
        layer.rotation = 45; // the right half turned to the upper right
        QCOMPARE(stack.hitTest(QPoint(128, 102)), 1);
        QCOMPARE(stack.hitTest(QPoint(112, 118)), -1);
        // The corners of the bounding rectangle lie outside the rotated shape.
        QCOMPARE(stack.hitTest(layer.boundingRect().topRight()), -1);
    }

    void mergeAllKeepsOriginAndGrowsRightAndDown() {
        LayerStack stack;
        stack.layer(0).bitmap = solid(QSize(10, 10), Qt::red);
        stack.layer(0).position = QPoint(5, 5);
        Layer& right = stack.layer(stack.addLayer());
        right.bitmap = solid(QSize(10, 10), Qt::blue);
        right.position = QPoint(12, 2); // sticks out above: clipped
        Layer& left = stack.layer(stack.addLayer());
        left.bitmap = solid(QSize(4, 4), Qt::green);
        left.position = QPoint(0, 20); // sticks out to the left: clipped, but grows the height
        left.displayWidth = 8;
        left.displayHeight = 8;
        Layer& hidden = stack.layer(stack.addLayer());
        hidden.bitmap = solid(QSize(50, 50), Qt::black);
        hidden.visible = false;
        stack.mergeAll();
        QCOMPARE(stack.count(), 1);
        QCOMPARE(stack.currentLayer(), 0);
        const Layer& merged = stack.layer(0);
        QCOMPARE(merged.position, QPoint(5, 5));
        QCOMPARE(merged.bitmap.size(), QSize(17, 23)); // right edge 22, bottom edge 28
        QCOMPARE(merged.bitmap.pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(merged.bitmap.pixel(7, 0), qRgb(0, 0, 255));
        QCOMPARE(merged.bitmap.pixel(16, 6), qRgb(0, 0, 255));
        QCOMPARE(merged.bitmap.pixel(0, 22), qRgb(0, 255, 0));
        QCOMPARE(qAlpha(merged.bitmap.pixel(10, 20)), 0);
        QCOMPARE(merged.bitmap.format(), QImage::Format_ARGB32_Premultiplied);
    }

    void hugeSizesStayWithinMemoryBounds() {
        LayerStack stack;
        Layer& huge = stack.layer(stack.addLayer());
        huge.bitmap = solid(QSize(4, 4), Qt::red);
        huge.displayWidth = 100000;
        huge.displayHeight = 100000;
        const QImage image = stack.compose(QRect(0, 0, 10, 10));
        QCOMPARE(image.size(), QSize(10, 10));
        QCOMPARE(qAlpha(image.pixel(5, 5)), 0); // too large to draw, but still there to be picked
        QCOMPARE(stack.hitTest(QPoint(5, 5)), 1);

        huge.displayWidth = 0;
        huge.displayHeight = 0;
        huge.position = QPoint(5000, 0);
        stack.mergeAll();
        QCOMPARE(stack.layer(0).bitmap.size(), QSize(4096, 4));
    }

    void snapshotRoundTrip() {
        LayerStack source;
        source.layer(0).bitmap = solid(QSize(3, 2), QColor(10, 20, 30));
        source.layer(0).name = QStringLiteral("Main Background,Width=3");
        Layer& layer = source.layer(source.addLayer());
        layer.name = QStringLiteral("Text,Txt=\u05e9\u05dc\u05d5\u05dd \u00e9");
        layer.position = QPoint(-7, 12);
        layer.displayWidth = 9;
        layer.displayHeight = 4;
        layer.transparency = 77;
        layer.rotation = 33.5;
        layer.visible = false;
        layer.bitmap = solid(QSize(2, 2), QColor(0, 0, 0, 0));
        layer.bitmap.setPixel(1, 0, qPremultiply(qRgba(200, 100, 50, 128)));
        source.addLayer();
        source.setCurrentLayer(1);

        LayerStack target;
        QVERIFY(target.loadAllLayers(source.saveAllLayers()));
        QCOMPARE(target.count(), 3);
        QCOMPARE(target.currentLayer(), 1);
        for (int i = 0; i < source.count(); ++i) {
            const Layer& a = source.layer(i);
            const Layer& b = target.layer(i);
            QCOMPARE(b.name, a.name);
            QCOMPARE(b.position, a.position);
            QCOMPARE(b.displayWidth, a.displayWidth);
            QCOMPARE(b.displayHeight, a.displayHeight);
            QCOMPARE(b.transparency, a.transparency);
            QCOMPARE(b.rotation, a.rotation);
            QCOMPARE(b.locked, a.locked);
            QCOMPARE(b.visible, a.visible);
            QCOMPARE(b.bitmap, a.bitmap);
        }
    }

    void corruptSnapshotLeavesStackUnchanged() {
        LayerStack source;
        source.layer(0).bitmap = solid(QSize(2, 2), Qt::red);
        source.layer(source.addLayer()).name = QStringLiteral("Ellipse");
        const QByteArray good = source.saveAllLayers();

        QList<QByteArray> bad;
        for (qsizetype length = 0; length < good.size(); ++length)
            bad << good.left(length); // every truncation
        bad << good + QByteArray(1, '\0');
        QByteArray flipped = good;
        flipped[0] = 'x';
        bad << flipped;
        QByteArray badPixel = good;
        // Layer 0's first pixel sits right after its width and height; make red exceed alpha.
        const qsizetype firstPixel = good.indexOf(QByteArray::fromHex("0000000200000002")) + 8;
        QVERIFY(firstPixel >= 8);
        badPixel[firstPixel + 3] = 10; // alpha byte of a little-endian ARGB pixel
        bad << badPixel;
        {
            // A hostile header that claims a huge bitmap must be refused before anything is allocated.
            QByteArray huge;
            QDataStream out(&huge, QIODevice::WriteOnly);
            out << quint32(0x4d4c5953) << quint16(1) << quint32(1) << qint32(0) << quint32(0) << qint32(0)
                << qint32(0) << qint32(0) << qint32(0) << qint32(255) << 0.0 << quint8(3) << quint32(100000)
                << quint32(100000);
            bad << huge;
        }

        LayerStack target;
        target.layer(0).name = QStringLiteral("kept");
        target.addLayer();
        for (const QByteArray& data : bad) {
            QVERIFY2(!target.loadAllLayers(data), qPrintable(QString::number(data.size())));
            QCOMPARE(target.count(), 2);
            QCOMPARE(target.layer(0).name, QStringLiteral("kept"));
            QCOMPARE(target.currentLayer(), 1);
        }
    }

    void shrinkingKeepsSolidColourInside() {
        LayerStack stack;
        Layer& full = stack.layer(stack.addLayer());
        full.bitmap = solid(QSize(32, 16), QColor(40, 160, 220));
        full.displayWidth = 8;
        full.displayHeight = 4;
        const QImage fullImage = stack.compose(QRect(0, 0, 8, 4));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x)
                QCOMPARE(fullImage.pixel(x, y), qRgb(40, 160, 220));

        // A solid square in the middle of a transparent 64x64 bitmap, shown at 16x16: the square covers
        // 4..11; only the pixels next to its edge may be partly transparent.
        Layer& square = stack.layer(1);
        square.bitmap = solid(QSize(64, 64), Qt::transparent);
        QPainter(&square.bitmap).fillRect(16, 16, 32, 32, QColor(40, 160, 220));
        square.displayWidth = 16;
        square.displayHeight = 16;
        const QImage image = stack.compose(QRect(0, 0, 16, 16));
        auto ring = [](int v) { return v == 3 || v == 4 || v == 11 || v == 12; };
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const int alpha = qAlpha(image.pixel(x, y));
                const bool inside = x >= 5 && x <= 10 && y >= 5 && y <= 10;
                const bool outside = x < 3 || x > 12 || y < 3 || y > 12;
                if (inside)
                    QCOMPARE(image.pixel(x, y), qRgb(40, 160, 220));
                else if (outside)
                    QCOMPARE(alpha, 0);
                else
                    QVERIFY2(alpha > 0 && alpha < 255 && (ring(x) || ring(y)),
                             qPrintable(QStringLiteral("%1,%2: %3").arg(x).arg(y).arg(alpha)));
            }
        }
    }

    void transparencyScalesTheWeight() {
        LayerStack stack;
        Layer& white = stack.layer(stack.addLayer());
        white.bitmap = solid(QSize(4, 4), Qt::white);
        white.transparency = 128;
        QCOMPARE(qAlpha(stack.compose(QRect(0, 0, 4, 4)).pixel(1, 1)), 128);
        stack.layer(0).bitmap = solid(QSize(4, 4), Qt::black);
        QCOMPARE(stack.compose(QRect(0, 0, 4, 4)).pixel(2, 2), qRgb(128, 128, 128));
        white.bitmap.setPixel(0, 0,
                              qPremultiply(qRgba(255, 255, 255, 128))); // pixel alpha and weight multiply
        QCOMPARE(stack.compose(QRect(0, 0, 4, 4)).pixel(0, 0), qRgb(64, 64, 64));
        white.transparency = 0;
        QCOMPARE(stack.compose(QRect(0, 0, 4, 4)).pixel(2, 2), qRgb(0, 0, 0));
    }

    void quarterTurnCoversSwappedSizeAboutTheSameCentre() {
        LayerStack stack;
        Layer& layer = stack.layer(stack.addLayer());
        layer.bitmap = solid(QSize(40, 20), Qt::blue);
        layer.bitmap.setPixel(39, 0, qRgb(255, 0, 0)); // top-right corner
        layer.position = QPoint(50, 50);
        layer.rotation = 90;
        QCOMPARE(layer.boundingRect(), QRect(60, 40, 20, 40));
        const QImage image = stack.compose(QRect(0, 0, 200, 200));
        QCOMPARE(opaqueBounds(image), QRect(60, 40, 20, 40));
        // Counter-clockwise: the top-right corner ends top-left.
        QCOMPARE(image.pixel(60, 40), qRgb(255, 0, 0));

        for (double none : {360.0, -720.0, 0.0}) {
            layer.rotation = none;
            QCOMPARE(layer.boundingRect(), QRect(50, 50, 40, 20));
            QCOMPARE(opaqueBounds(stack.compose(QRect(0, 0, 200, 200))), QRect(50, 50, 40, 20));
        }
        layer.rotation = 30; // rotation enlarges the covered rectangle; nothing is drawn outside it
        const QRect covered = layer.boundingRect();
        QVERIFY(covered.width() > 40 && covered.height() > 20);
        QCOMPARE(covered.center(), QRect(50, 50, 40, 20).center());
        QVERIFY(covered.contains(opaqueBounds(stack.compose(QRect(0, 0, 200, 200)))));
    }

    void rotatedCompositionAgreesWithHitTest() {
        LayerStack stack;
        Layer& layer = stack.layer(stack.addLayer());
        layer.bitmap = solid(QSize(40, 20), Qt::transparent);
        QPainter(&layer.bitmap).fillRect(20, 0, 20, 20, Qt::blue);
        layer.position = QPoint(50, 50);
        layer.displayWidth = 60;
        for (double angle : {30.0, 135.0, -100.0}) {
            layer.rotation = angle;
            const QRect covered = layer.boundingRect();
            const QImage image = stack.compose(covered);
            int hits = 0;
            for (int y = covered.top(); y <= covered.bottom(); ++y) {
                for (int x = covered.left(); x <= covered.right(); ++x) {
                    const int alpha = qAlpha(image.pixel(x - covered.left(), y - covered.top()));
                    const bool hit = stack.hitTest(QPoint(x, y)) == 1;
                    hits += hit;
                    QVERIFY2(!hit || alpha > 0, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
                    QVERIFY2(alpha < 255 || hit, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
                }
            }
            QVERIFY(hits > 500); // about half of the 60x20 display area
        }
    }

    void cachedLayersFollowChanges() {
        LayerStack stack;
        Layer& layer = stack.layer(stack.addLayer());
        layer.bitmap = solid(QSize(20, 20), Qt::red);
        layer.displayWidth = 10;
        layer.displayHeight = 10;
        QCOMPARE(stack.compose(QRect(0, 0, 30, 30)).pixel(5, 5), qRgb(255, 0, 0));
        layer.position = QPoint(15, 15);
        QImage moved = stack.compose(QRect(0, 0, 30, 30));
        QCOMPARE(qAlpha(moved.pixel(5, 5)), 0);
        QCOMPARE(moved.pixel(20, 20), qRgb(255, 0, 0));
        QPainter(&layer.bitmap).fillRect(0, 0, 20, 20, Qt::green); // same size, new content
        QCOMPARE(stack.compose(QRect(0, 0, 30, 30)).pixel(20, 20), qRgb(0, 255, 0));
        layer.displayWidth = 5;
        QCOMPARE(qAlpha(stack.compose(QRect(0, 0, 30, 30)).pixel(21, 20)), 0);
        // Composing a part of the stack gives the same pixels as that part of the whole.
        QCOMPARE(stack.compose(QRect(16, 18, 5, 4)), stack.compose(QRect(0, 0, 30, 30)).copy(16, 18, 5, 4));
    }
};

MORLO_TEST(LayerStackTests)
#include "layer_stack_tests.moc"

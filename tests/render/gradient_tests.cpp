#include "common/test_registry.h"
#include "render/color_ref.h"
#include "render/gradient.h"

#include <QTest>

using namespace morlo;

namespace {

// Low byte (red) of each row's first pixel, or of each column's pixel in row 0.
QList<int> RedOfRows(const QImage& image) {
    QList<int> reds;
    for (int y = 0; y < image.height(); ++y)
        reds.append(qRed(image.pixel(0, y)));
    return reds;
}
QList<int> RedOfColumns(const QImage& image) {
    QList<int> reds;
    for (int x = 0; x < image.width(); ++x)
        reds.append(qRed(image.pixel(x, 0)));
    return reds;
}

} // namespace

class GradientTests : public QObject {
    Q_OBJECT
private slots:
    void correctColorRoundsTiesToEvenAndClamps_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("above 255") << 255.6 << 255;
        QTest::newRow("slightly negative") << -0.4 << 0;
        QTest::newRow("tie down to even") << 2.5 << 2;
        QTest::newRow("tie up to even") << 3.5 << 4;
        QTest::newRow("far below") << -300.0 << 0;
        QTest::newRow("plain") << 127.49 << 127;
    }
    void correctColorRoundsTiesToEvenAndClamps() {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(CorrectColor(value), expected);
    }

    void mergeColorExtMixesChannels_data() {
        QTest::addColumn<int>("color1");
        QTest::addColumn<int>("color2");
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("expected");
        QTest::newRow("highlight of the border colour") << 16746496 << 16777215 << 33 << 16767147;
        QTest::newRow("shadow of the border colour") << 16746496 << 0 << 66 << 11033088;
        QTest::newRow("all of colour 1") << 0x123456 << 0xabcdef << 100 << 0x123456;
        QTest::newRow("all of colour 2") << 0x123456 << 0xabcdef << 0 << 0xabcdef;
        QTest::newRow("half, ties to even") << 1 << 0 << 50 << 0;    // 0.5 rounds to 0
        QTest::newRow("half, ties to even up") << 3 << 0 << 50 << 2; // 1.5 rounds to 2
    }
    void mergeColorExtMixesChannels() {
        QFETCH(int, color1);
        QFETCH(int, color2);
        QFETCH(int, percent);
        QFETCH(int, expected);
        QCOMPARE(MergeColorExt(color1, color2, static_cast<std::uint8_t>(percent)), expected);
    }

    void gradientRowsRoundTiesToEven() {
        // Red (the low byte) from 0 to 10 over 4 rows: step 2.5, rows 0, 2.5, 5, 7.5.
        QImage image(3, 4, QImage::Format_RGB32);
        image.fill(Qt::black);
        DrawGradient(image, 3, 4, 0, 10, kGradientRows);
        QCOMPARE(RedOfRows(image), (QList<int>{0, 2, 5, 8}));
        QCOMPARE(image.pixel(2, 3), image.pixel(0, 3));
    }

    void gradientColumnsRunLeftToRight() {
        QImage image(4, 2, QImage::Format_RGB32);
        DrawGradient(image, 4, 2, 0x0000ff, 0xff0000, kGradientColumns); // red to blue
        QCOMPARE(RedOfColumns(image), (QList<int>{255, 191, 128, 64}));  // 255 - 63.75 i
        QCOMPARE(qBlue(image.pixel(3, 1)), 191);
    }

    void mirroredGradientsMeetInTheMiddle() {
        // Five rows: i = 0, 1, 2 on rows 0 and 5 (outside), 1 and 4, 2 and 3; step 100 / 2.5 = 40.
        QImage rows(1, 5, QImage::Format_RGB32);
        DrawGradient(rows, 1, 5, 0, 100, kGradientRowsMirrored);
        QCOMPARE(RedOfRows(rows), (QList<int>{0, 40, 80, 80, 40}));
        // Four columns: L = 2, step 50; columns 0 (and 4), 1 and 3, 2.
        QImage columns(4, 1, QImage::Format_RGB32);
        DrawGradient(columns, 4, 1, 0, 100, kGradientColumnsMirrored);
        QCOMPARE(RedOfColumns(columns), (QList<int>{0, 50, 100, 50}));
    }

    void gradientFollowsTheRequestedSizeWhenClipped() {
        QImage image(2, 2, QImage::Format_ARGB32_Premultiplied);
        image.fill(0);
        DrawGradient(image, 2, 4, 0, 10, kGradientRows);
        QCOMPARE(RedOfRows(image), (QList<int>{0, 2}));
        QCOMPARE(qAlpha(image.pixel(1, 1)), 255);
    }

    void gradientOnAViewPaintsItsCurrentBitmap() {
        LayerStack view;
        view.setCurrentLayer(view.addLayer());
        view.current().bitmap = QImage(2, 3, QImage::Format_ARGB32_Premultiplied);
        view.current().bitmap.fill(0);
        DrawGradient(view, 2, 3, 0, 30, kGradientRows);
        QCOMPARE(RedOfRows(view.layer(1).bitmap), (QList<int>{0, 10, 20}));
        QVERIFY(view.layer(0).bitmap.isNull());
    }

    void unknownKindsAndEmptySizesPaintNothing() {
        QImage image(3, 3, QImage::Format_RGB32);
        image.fill(0xff010203);
        for (int kind : {0, 5, -1})
            DrawGradient(image, 3, 3, 0, 0xffffff, kind);
        DrawGradient(image, 0, 3, 0, 0xffffff, kGradientRows);
        DrawGradient(image, 3, -2, 0, 0xffffff, kGradientRowsMirrored);
        QCOMPARE(image.pixel(1, 1), 0xff010203u);
    }

    void colorRefKeepsRedInTheLowByte() {
        QCOMPARE(RgbFromColorRef(255), qRgb(255, 0, 0));
        QCOMPARE(RgbFromColorRef(16711680), qRgb(0, 0, 255));
        QCOMPARE(RgbFromColorRef(kTransparentKeyColor), qRgb(129, 129, 130));
        QCOMPARE(RgbFromColorRef(kGradientKeyColor), qRgb(129, 129, 131));
        QCOMPARE(ColorRefFromRgb(qRgb(0x12, 0x34, 0x56)), 0x563412);
    }
};

MORLO_TEST(GradientTests)
#include "gradient_tests.moc"

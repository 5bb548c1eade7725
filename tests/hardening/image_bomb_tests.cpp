// Pictures that claim huge images are refused from their header, before pixel memory is reserved, also
// when QT_IMAGEIO_MAXALLOC=0 lifts Qt's own allocation limit; pictures within the limits still decode.

#include "common/test_registry.h"
#include "hardening/bomb_images.h"
#include "hardening/child_process.h"
#include "model/limits.h"
#include "render/image_loading.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace morlo;

namespace {

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace

class ImageBombTests : public QObject {
    Q_OBJECT
private slots:
    void refusesClaimedSizesBeyondTheLimits() {
        for (const test::BombImage& bomb : test::bombImages()) {
            QByteArray bytes = bomb.bytes;
            QBuffer buffer(&bytes);
            QString error;
            const auto image = ReadImageSafely(buffer, &error);
            QVERIFY2(!image, qPrintable(bomb.name));
            qInfo("%s: %s", qPrintable(bomb.name), qPrintable(error));
            // Refused for its size (or a size that cannot be read), not for data that failed to decode.
            QVERIFY2(error.contains("pixels") || error.contains("size cannot be read"),
                     qPrintable(bomb.name + ": " + error));
        }
    }

    void refusesBombsWhenQtsAllocationLimitIsLifted() {
        QTemporaryDir dir;
        for (const test::BombImage& bomb : test::bombImages()) {
            QFile file(dir.filePath(bomb.name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bomb.bytes) == bomb.bytes.size());
            file.close();
            // Our reader and the renderer's picture loading.
            for (const char* how : {"read-image", "load-picture"}) {
                const test::ChildResult result =
                    test::runHelper({how, file.fileName()}, {"QT_IMAGEIO_MAXALLOC=0"});
                const QString what = bomb.name + " (" + how + "): " + result.output;
                QVERIFY2(result.exited && result.exitCode == 0, qPrintable(what));
                QVERIFY2(result.output.contains("refused:"), qPrintable(what));
                // Far below the gigabytes any of them claims (the sanitizers' own memory included).
                const QByteArray peak = result.output.mid(result.output.indexOf("peak ") + 5);
                const long peakKiB = peak.left(peak.indexOf(' ')).toLong();
                QVERIFY2(peakKiB > 0 && peakKiB < 256 * 1024, qPrintable(what));
            }
        }
    }

    void projectOfLayersAtTheSizeLimitStaysWithinMemory() {
        // Every layer is within the 4096 by 4096 limit, but a few kilobytes of lines ask for 2.5 GiB of layer
        // bitmaps (a few thousand lines for far more memory than a machine has). The layers of one stack
        // share a budget of 512 MiB; those beyond it are drawn empty.
        QTemporaryDir dir;
        QByteArray project = "[Morlo Project File v.2.0]\r\n[Frames=1]\r\n[Frame=1]\r\n"
                             "Main Background,W=468,H=60,Color=16777215\r\n";
        for (int i = 0; i < 40; ++i)
            project += "Rectangle,X=0,Y=0,W=4096,H=4096,Color=255,Visible=1,Transp=0\r\n";
        const QString path = dir.filePath("layers.mrp");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(project) == project.size());
        file.close();
        const test::ChildResult result = test::runHelper({"preview", path, dir.path()});
        QVERIFY2(result.exitCode == 0 && result.output.contains("preview"), result.output.constData());
        const QByteArray peak = result.output.mid(result.output.indexOf("peak ") + 5);
        const long peakKiB = peak.left(peak.indexOf(' ')).toLong();
        QVERIFY2(peakKiB > 0 && peakKiB < 1024 * 1024, result.output.constData());
    }

    void decodesPicturesWithinTheLimits() {
        QImage tall(1, limits::kMaxImageSide, QImage::Format_RGB32);
        tall.fill(Qt::red);
        QImage small(3, 2, QImage::Format_RGB32);
        small.fill(Qt::blue);
        small.setPixel(2, 1, qRgb(0, 255, 0));
        const struct {
            const char* format;
            QImage image;
        } cases[] = {{"PNG", tall}, {"PNG", small}, {"BMP", small}, {"JPEG", small}};
        for (const auto& c : cases) {
            QByteArray bytes = encoded(c.image, c.format);
            QBuffer buffer(&bytes);
            QString error;
            const auto image = ReadImageSafely(buffer, &error);
            QVERIFY2(image, qPrintable(QString(c.format) + ": " + error));
            QCOMPARE(image->size(), c.image.size());
            if (QByteArray(c.format) != "JPEG")
                QCOMPARE(image->pixel(image->width() - 1, image->height() - 1),
                         c.image.pixel(c.image.width() - 1, c.image.height() - 1));
        }
        // GIFs (Qt writes none): a screen of 0 by 0 takes the size of its frame.
        for (const QSize screen : {QSize(2, 2), QSize(0, 0)}) {
            QByteArray gif = test::gifClaiming(screen.width(), screen.height(), 1, 2, 2);
            QBuffer buffer(&gif);
            QString error;
            const auto image = ReadImageSafely(buffer, &error);
            QVERIFY2(image, qPrintable(error));
            QCOMPARE(image->size(), QSize(2, 2));
        }
    }

    void refusesOtherFormatsAndFiles() {
        QByteArray text("not a picture at all");
        QBuffer buffer(&text);
        QString error;
        QVERIFY(!ReadImageSafely(buffer, &error));
        QVERIFY(error.contains("not a BMP, GIF, JPEG or PNG"));
        // An icon is an image format Qt reads, but not one of ours.
        QImage icon(16, 16, QImage::Format_ARGB32);
        icon.fill(Qt::white);
        QByteArray ico = encoded(icon, "ICO");
        if (!ico.isEmpty()) {
            QBuffer icoBuffer(&ico);
            QVERIFY(!ReadImageSafely(icoBuffer, &error));
        }
        QTemporaryDir dir;
        QVERIFY(!ReadImageSafely(dir.path(), &error));
        QVERIFY(error.contains("not a regular file"));
        QVERIFY(!ReadImageSafely(dir.filePath("missing.png"), &error));
        // The header of a PNG within the limits but no pixel data: reported as not decoding.
        QByteArray cut = test::pngClaiming(4, 4);
        QBuffer cutBuffer(&cut);
        QVERIFY(!ReadImageSafely(cutBuffer, &error));
        QVERIFY2(error.contains("does not decode"), qPrintable(error));
    }
};

MORLO_TEST(ImageBombTests)
#include "image_bomb_tests.moc"

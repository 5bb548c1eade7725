// Building GIFs and BMP files from projects: the choices of a run, the control extensions, transparency,
// and the samples end to end.

#include "common/test_registry.h"
#include "gif/bmp_writer.h"
#include "gif/create_gif.h"
#include "gif/frame_color_count.h"
#include "gif/gif_writer.h"
#include "gif_test_support.h"
#include "model/default_lines.h"
#include "model/frame_layers.h"
#include "model/object_kind.h"
#include "model/object_line.h"
#include "model/project_io.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace morlo;

namespace {

QString background(int w, int h, const QString& extra = {}) {
    QString line = DefaultBackgroundLine();
    line = ReplaceValue(line, "W=", w);
    line = ReplaceValue(line, "H=", h);
    for (const QString& field : extra.split(';', Qt::SkipEmptyParts)) {
        const QStringList kv = field.split('=');
        line = ReplaceValue(line, kv[0] + "=", kv[1]);
    }
    return line;
}

QString ellipse(int x, int y, int colour, int fillType = 0) {
    QString line = NewObjectLine(ObjectKind::Ellipse);
    line = ReplaceValue(line, "X=", x);
    line = ReplaceValue(line, "Y=", y);
    line = ReplaceValue(line, "W=", 12);
    line = ReplaceValue(line, "H=", 8);
    line = ReplaceValue(line, "BackgrColor=", colour);
    line = ReplaceValue(line, "FillType=", fillType);
    return line;
}

// The frames of a GIF as Qt's reader shows them (each frame drawn over the previous ones).
QList<QImage> decodeFrames(const QByteArray& gifBytes) {
    QBuffer buffer;
    buffer.setData(gifBytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    QList<QImage> frames;
    QImage frame;
    while (reader.read(&frame))
        frames << frame.convertToFormat(QImage::Format_ARGB32);
    return frames;
}

int maxChannelDifference(QRgb a, QRgb b) {
    return std::max(
        {std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

} // namespace

class CreateGifTests : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::optional<TempFolder> temp;

    void load(Project& project, std::vector<QStringList> frames, const QString& name = "banner.mrp") {
        RenderContext context;
        context.tempDir = temp->path();
        project.SetRenderContext(context);
        project.LoadFrames(std::move(frames), dir.filePath(name));
    }

    QStringList frame(const QString& bg, const QStringList& objects = {}) {
        return QStringList{bg} + objects + QStringList{DefaultBorderLine()};
    }

private slots:
    void init() {
        QString error;
        temp = TempFolder::Open(&error, dir.path());
        QVERIFY2(temp, qPrintable(error));
    }
    void cleanup() { temp.reset(); }

    void delaysRoundHalfToEven_data() {
        QTest::addColumn<int>("milliseconds");
        QTest::addColumn<int>("hundredths");
        QTest::newRow("4") << 4 << 0;
        QTest::newRow("5") << 5 << 0;
        QTest::newRow("15") << 15 << 2;
        QTest::newRow("25") << 25 << 2;
        QTest::newRow("35") << 35 << 4;
        QTest::newRow("100") << 100 << 10;
        QTest::newRow("low 16 bits") << 655370 << 65537 % 65536;
    }
    void delaysRoundHalfToEven() {
        QFETCH(int, milliseconds);
        QFETCH(int, hundredths);
        QCOMPARE(int(DelayToHundredths(milliseconds)), hundredths);
    }

    void countColorsIsExact() {
        QImage image(300, 200, QImage::Format_ARGB32);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 300; ++x)
                image.setPixel(x, y, qRgba(x % 256, y, (x / 256) * 7, x % 2 ? 255 : 0)); // alpha is ignored
        QCOMPARE(CountColors(image), 300 * 200);
        image.fill(qRgb(1, 2, 3));
        image.setPixel(0, 0, qRgb(1, 2, 4));
        QCOMPARE(CountColors(image), 2);
    }

    void progressRisesToOneHundred() {
        Project project;
        std::vector<QStringList> frames;
        for (int i = 0; i < 12; ++i)
            frames.push_back(frame(background(10, 10)));
        load(project, frames);
        QList<int> seen;
        CreateGifRequest request;
        request.progress = [&seen](int percent) { seen << percent; };
        GifOutput output;
        QVERIFY(CreateGIF(project, output, *temp, request).ok);
        QCOMPARE(seen.first(), 0);
        QCOMPARE(seen.mid(1, 12), QList<int>({8, 17, 25, 33, 42, 50, 58, 67, 75, 83, 92, 99}));
        QCOMPARE(seen.last(), 100);
        QVERIFY(std::is_sorted(seen.begin(), seen.end()));
    }

    // Frames composed one after the other on a stack that keeps its layers equal frames built afresh and
    // merged into the background, as each frame would be on its own.
    void composingKeepsLayersWithoutChangingFrames() {
        Project project;
        RenderContext context;
        context.tempDir = temp->path();
        project.SetRenderContext(context);
        OpenFailure failure;
        QVERIFY(FileOpen(project, MORLO_SOURCE_DIR "/samples/banner.mrp", *temp, &failure));
        LayerStack kept, fresh;
        kept.tag = fresh.tag = 1;
        for (int i : {1, 2, 5, 3, 8, 8, 1}) {
            const QImage composed = ComposeFrame(project, kept, i);
            BuildFrameLayers(fresh, project.Frames()[i], context, true);
            fresh.mergeAll();
            const QImage merged = fresh.layer(0).bitmap.copy(QRect(QPoint(0, 0), composed.size()));
            QCOMPARE(composed, merged.convertToFormat(QImage::Format_RGB32));
        }
    }

    void oneFrameProjectHasNoExtensionAtAll() {
        Project project;
        load(project, {frame(background(40, 20), {ellipse(5, 2, 255)})});
        GifOutput output;
        const CreateGifResult result = CreateGIF(project, output, *temp, {});
        QVERIFY2(result.ok, qPrintable(result.error));
        const QByteArray bytes = gif::test::toQByteArray(gif::WriteGIF(output.OutputGIF));
        QVERIFY(!bytes.contains("NETSCAPE2.0"));
        QVERIFY(!bytes.contains(QByteArray("\x21\xF9", 2)));
        QVERIFY(result.sharedPalette);
        QCOMPARE(output.GIFFileName, dir.filePath("banner.gif"));
    }

    void loopingDelaysAndTheEarlierBestFrame() {
        Project project;
        // Frames 2 and 3 both have three colours; frame 1 two. The earlier of the equal frames wins.
        load(project, {frame(background(40, 20, "Delay=25"), {}),
                       frame(background(40, 20, "Delay=35"), {ellipse(0, 0, 255)}),
                       frame(background(40, 20, "Delay=15"), {ellipse(10, 0, 255)})});
        GifOutput output;
        const CreateGifResult result = CreateGIF(project, output, *temp, {});
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.bestFrame, 2);
        QVERIFY(!result.dithered);
        const QByteArray bytes = gif::test::toQByteArray(gif::WriteGIF(output.OutputGIF));
        QVERIFY(bytes.startsWith("GIF89a"));
        QVERIFY(bytes.contains(QByteArray("NETSCAPE2.0\x03\x01\x00\x00\x00", 16)));
        // Delays survive compaction in the control extensions (2, 4, 2 hundredths).
        QList<int> delays;
        for (qsizetype at = bytes.indexOf("\x21\xF9\x04"); at >= 0;
             at = bytes.indexOf("\x21\xF9\x04", at + 1))
            delays << (uchar(bytes[at + 4]) | uchar(bytes[at + 5]) << 8);
        QCOMPARE(delays, QList<int>({2, 4, 2}));
        QVERIFY(!project.Modified());
    }

    void gradientAnywhereDithersEveryFrame() {
        Project project;
        load(project, {frame(background(40, 20)), frame(background(40, 20), {ellipse(0, 0, 255, 5)})});
        GifOutput output;
        QVERIFY(!CreateGIF(project, output, *temp, {}).dithered);
        project.Frames()[2][1] = ellipse(0, 0, 255, 3);
        QVERIFY(CreateGIF(project, output, *temp, {}).dithered);
        project.Frames()[2][1] = ellipse(0, 0, 255, 0);
        project.Frames()[1][0] = background(40, 20, "AddGrad=1");
        project.ShowFrame(1, 0);
        QVERIFY(CreateGIF(project, output, *temp, {}).dithered);
    }

    void transparentBackgroundInEveryFrameWithoutCompaction() {
        Project project;
        const QString bg = background(30, 10, "Transp=1;TrColor=16777215;BackgrColor=16777215");
        load(project, {frame(bg, {ellipse(0, 0, 255)}), frame(bg, {ellipse(0, 0, 255)})});
        GifOutput output;
        const CreateGifResult result = CreateGIF(project, output, *temp, {});
        QVERIFY2(result.ok, qPrintable(result.error));
        const gif::TGIFImage& image = output.OutputGIF;
        QCOMPARE(image.frameCount(), 2); // equal frames are not merged away
        for (int i = 0; i < 2; ++i) {
            const gif::TGIFSubImage& sub = image.frame(i);
            QCOMPARE(sub.width, 30);
            QVERIFY(sub.controlExtension());
            QCOMPARE(sub.controlExtension()->disposal, 2);
            QVERIFY(sub.transparent());
            QCOMPARE(sub.activeColorMap().entry(sub.transparentIndex()).toColorRef(), 16777215u);
        }
        const QList<QImage> decoded = decodeFrames(gif::test::toQByteArray(gif::WriteGIF(image)));
        QCOMPARE(decoded.size(), 2);
        QCOMPARE(qAlpha(decoded[1].pixel(29, 9)), 0);
        QCOMPARE(qAlpha(decoded[1].pixel(0, 0)), 0);
        QVERIFY(project.Modified());
    }

    void transparentColourNotInTableBecomesEntryZero() {
        Project project;
        const QString bg = background(30, 10, "Transp=1;TrColor=65280;BackgrColor=255");
        load(project, {frame(bg), frame(bg)});
        GifOutput output;
        QVERIFY(CreateGIF(project, output, *temp, {}).ok);
        const std::uint32_t entry0 = output.OutputGIF.globalColorMap().entry(0).toColorRef();
        QCOMPARE(entry0, 255u);
        QCOMPARE(output.OutputGIF.frame(0).transparentIndex(), 0);
        project.StoreCurrentFrame();
        for (int i = 1; i <= 2; ++i)
            QCOMPARE(DecodeInt(project.Frames()[i][0], "TrColor"), 255);
        QCOMPARE(DecodeInt(project.IE1().layer(0).name, "TrColor"), 255);
        QVERIFY(project.Modified());
    }

    void bmpExports() {
        Project project;
        load(project,
             {frame(background(12, 8, "BackgrColor=255")), frame(background(12, 8, "BackgrColor=65280")),
              frame(background(12, 8, "BackgrColor=16711680"))});
        project.ChangeFrame(3);
        QCOMPARE(FrameBmpFileName(project, 3), QString("banner-3.bmp"));
        Project percent;
        load(percent, {frame(background(4, 4))}, "sale%1.mrp");
        QCOMPARE(FrameBmpFileName(percent, 2), QString("sale%1-2.bmp"));
        GifOutput output;
        CreateGifRequest request;
        request.mode = CreateGifMode::ExportFrame;
        request.exportPath = dir.filePath("one.bmp");
        CreateGifResult result = CreateGIF(project, output, *temp, request);
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.information, QString("The file one.bmp has been successfully created!"));
        QImage image(dir.filePath("one.bmp"));
        QCOMPARE(image.size(), QSize(12, 8));
        QCOMPARE(image.pixel(5, 5), qRgb(0, 0, 255));
        QCOMPARE(QFileInfo(dir.filePath("one.bmp")).size(), qint64(54 + 12 * 3 * 8));

        QDir(dir.path()).mkdir("out");
        QFile keep(dir.filePath("out/test.txt")); // a file of the user's own, untouched by the write test
        QVERIFY(keep.open(QIODevice::WriteOnly) && keep.write("mine") == 4);
        keep.close();
        request.mode = CreateGifMode::ExportFrames;
        request.exportPath = dir.filePath("out") + "/";
        result = CreateGIF(project, output, *temp, request);
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(QDir(dir.filePath("out")).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"banner-1.bmp", "banner-2.bmp", "banner-3.bmp", "test.txt"}));
        QVERIFY(keep.open(QIODevice::ReadOnly));
        QCOMPARE(keep.readAll(), QByteArray("mine"));
        QCOMPARE(QImage(dir.filePath("out/banner-2.bmp")).pixel(0, 0), qRgb(0, 255, 0));

        request.exportPath = dir.filePath("missing-folder");
        result = CreateGIF(project, output, *temp, request);
        QVERIFY(!result.ok);
        QCOMPARE(result.error, "Could not write file to output folder " + dir.filePath("missing-folder") +
                                   "/ . Check permissions or remove write protection.");
    }

    // Every sample opens, saves to an identical file and builds a GIF whose decoded frames match the composed
    // frames within the colour reduction; the command line writes the very same bytes.
    void samplesEndToEnd_data() {
        QTest::addColumn<QString>("name");
        for (const QString& name : QDir(MORLO_SOURCE_DIR "/samples").entryList({"*.mrp"}))
            QTest::newRow(qPrintable(name)) << name;
    }
    void samplesEndToEnd() {
        QFETCH(QString, name);
        const QString source = QString(MORLO_SOURCE_DIR "/samples/") + name;
        Project project;
        RenderContext context;
        context.tempDir = temp->path();
        project.SetRenderContext(context);
        OpenFailure failure;
        QVERIFY2(FileOpen(project, source, *temp, &failure), qPrintable(failure.message));
        const QString copy = dir.filePath(name);
        QString error;
        QVERIFY2(SaveProjectFile(project, copy, *temp, &error), qPrintable(error));
        QFile a(source), b(copy);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(b.readAll(), a.readAll());

        // Transparent pixels show where the project's transparent colour was (within the reduction, which
        // may have replaced that colour by its nearest table entry).
        const bool transparent = DecodeInt(project.Frames()[1][0], "Transp") == 1;
        const int trColor = DecodeInt(project.Frames()[1][0], "TrColor");
        const QRgb trRgb = qRgb(trColor & 0xFF, (trColor >> 8) & 0xFF, (trColor >> 16) & 0xFF);
        GifOutput output;
        const CreateGifResult result = CreateGIF(project, output, *temp, {});
        QVERIFY2(result.ok, qPrintable(result.error));
        const QByteArray bytes = gif::test::toQByteArray(gif::WriteGIF(output.OutputGIF));
        const QList<QImage> decoded = decodeFrames(bytes);
        QCOMPARE(decoded.size(), project.FrameCount());
        for (int i = 1; i <= project.FrameCount(); ++i) {
            const QImage composed = ComposeFrame(project, output.compositionView, i);
            QCOMPARE(decoded[i - 1].size(), composed.size());
            // Frames whose colours together exceed one table lose their rarest colours to the nearest kept
            // ones: a few pixels may be far off, the picture as a whole may not.
            long long total = 0;
            int farOff = 0;
            for (int y = 0; y < composed.height(); ++y) {
                for (int x = 0; x < composed.width(); ++x) {
                    const QRgb got = decoded[i - 1].pixel(x, y);
                    if (qAlpha(got) == 0) {
                        QVERIFY(transparent);
                        QVERIFY(maxChannelDifference(composed.pixel(x, y), trRgb) <= 32);
                        continue;
                    }
                    const int difference = maxChannelDifference(got, composed.pixel(x, y));
                    total += difference;
                    farOff += difference > 96 ? 1 : 0;
                }
            }
            const int pixels = composed.width() * composed.height();
            QVERIFY2(farOff * 100 <= pixels,
                     qPrintable(QString("%1 frame %2: %3 pixels far off").arg(name).arg(i).arg(farOff)));
            QVERIFY2(total / pixels <= 12, qPrintable(name));
        }

        const QString morlo = QCoreApplication::applicationDirPath() + "/morlo";
        if (QFile::exists(morlo)) {
            QProcess process;
            process.start(morlo, {"--export-gif", dir.filePath("cli.gif"), source});
            QVERIFY(process.waitForFinished(120000));
            QCOMPARE(process.exitCode(), 0);
            QFile cli(dir.filePath("cli.gif"));
            QVERIFY(cli.open(QIODevice::ReadOnly));
            QCOMPARE(cli.readAll(), bytes);
        }
    }
};

MORLO_TEST(CreateGifTests)
#include "create_gif_tests.moc"

// Project file layout, reading and refusals, on bytes in memory.

#include "common/test_registry.h"
#include "model/default_lines.h"
#include "model/object_kind.h"
#include "model/object_line.h"
#include "model/project_file.h"

#include <QTest>

using namespace morlo;

namespace {

QString pictureLine(const QString& fileName) {
    return NewPictureLine(QSize(10, 10), QSize(468, 60), fileName);
}

std::vector<QStringList> newProjectFrames() {
    return {{DefaultBackgroundLine(), DefaultBorderLine()}};
}

// A reader over an in-memory set of pictures that counts its calls.
struct FakePictures {
    QMap<QString, QByteArray> files;
    QStringList asked;
    PictureReader reader() {
        return [this](const QString& name, QString* error) -> std::optional<QByteArray> {
            asked << name;
            if (!files.contains(name)) {
                *error = "missing " + name;
                return std::nullopt;
            }
            return files.value(name);
        };
    }
};

QByteArray build(const std::vector<QStringList>& frames, FakePictures& pictures) {
    QString error;
    auto bytes = BuildProjectFile(frames, pictures.reader(), &error);
    if (!bytes)
        qWarning() << error;
    return bytes.value_or(QByteArray());
}

} // namespace

class ProjectFileTests : public QObject {
    Q_OBJECT
private slots:
    void newProjectIsFiveLines() {
        FakePictures none;
        const QByteArray bytes = build(newProjectFrames(), none);
        const QByteArray expected = QByteArray(kProjectFileHeader) + "\r\n[Frames=1]\r\n[Frame=1]\r\n" +
                                    DefaultBackgroundLine().toUtf8() + "\r\n" + DefaultBorderLine().toUtf8() +
                                    "\r\n";
        QCOMPARE(bytes, expected);
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
    }

    void sharedPictureHasOneBlockInOrderOfFirstUse() {
        FakePictures pictures;
        pictures.files = {{"b.png", "BBB"}, {"a.png", "AAAA"}};
        const QString bg = DefaultBackgroundLine(), border = DefaultBorderLine();
        const std::vector<QStringList> frames = {{bg, pictureLine("b.png"), border},
                                                 {bg, pictureLine("a.png"), pictureLine("b.png"), border}};
        const QByteArray bytes = build(frames, pictures);
        QCOMPARE(pictures.asked, QStringList({"b.png", "a.png"}));
        QCOMPARE(bytes.count("{Picture="), 2);
        QVERIFY(bytes.indexOf("{Picture=b.png") < bytes.indexOf("{Picture=a.png"));
        QVERIFY(bytes.contains("{Picture=b.png\r\nQkJC\r\n}\r\n"));
    }

    void base64LinesAndEmptyPicture_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<int>>("lineLengths");
        QTest::newRow("zero bytes: one empty line") << 0 << QList<int>{0};
        QTest::newRow("57 bytes: one full line") << 57 << QList<int>{76};
        QTest::newRow("58 bytes: a full and a short line") << 58 << QList<int>{76, 4};
    }
    void base64LinesAndEmptyPicture() {
        QFETCH(int, size);
        QFETCH(QList<int>, lineLengths);
        FakePictures pictures;
        pictures.files["p.gif"] = QByteArray(size, 'x');
        const QByteArray bytes =
            build({{DefaultBackgroundLine(), pictureLine("p.gif"), DefaultBorderLine()}}, pictures);
        const QList<QByteArray> lines = bytes.split('\n');
        const qsizetype start = lines.indexOf("{Picture=p.gif\r");
        QVERIFY(start > 0);
        for (int i = 0; i < lineLengths.size(); ++i)
            QCOMPARE(lines[start + 1 + i].size() - 1, lineLengths[i]);
        QCOMPARE(lines[start + 1 + lineLengths.size()], QByteArray("}\r"));

        ProjectFileError error;
        const auto content = ParseProjectFile(bytes, &error);
        QVERIFY(content);
        QCOMPARE(content->pictures.size(), size_t(1));
        QCOMPARE(content->pictures[0].bytes, QByteArray(size, 'x'));
    }

    void escapedAndNonAsciiTextRoundTrips() {
        const QString text =
            ReplaceText(NewObjectLine(ObjectKind::Text), QString::fromUtf8("a,b – ü 日本 =&#130;"));
        const std::vector<QStringList> frames = {{DefaultBackgroundLine(), text, DefaultBorderLine()},
                                                 {DefaultBackgroundLine(), text, DefaultBorderLine()}};
        FakePictures none;
        ProjectFileError error;
        const auto content = ParseProjectFile(build(frames, none), &error);
        QVERIFY(content);
        QCOMPARE(content->frames, frames);
        QCOMPARE(DecodeText(content->frames[1][1]), QString::fromUtf8("a,b – ü 日本 ,"));
    }

    void saveFailsOnMissingPictureOrUnsafeName() {
        FakePictures none;
        QString error;
        const QString bg = DefaultBackgroundLine(), border = DefaultBorderLine();
        QVERIFY(!BuildProjectFile({{bg, pictureLine("gone.png"), border}}, none.reader(), &error));
        QCOMPARE(error, QString("missing gone.png"));
        QVERIFY(!BuildProjectFile({{bg, pictureLine("../../etc/passwd"), border}}, none.reader(), &error));
        QVERIFY(error.contains("not a plain file name"));
        QVERIFY(none.asked.size() == 1); // the unsafe name is never read
    }

    void saveRefusesWhatReadingWouldRefuse() {
        FakePictures none;
        QString error;
        QStringList wide = newProjectFrames()[0];
        wide[0] = ReplaceValue(wide[0], "W=", 4097);
        QVERIFY(!BuildProjectFile({wide}, none.reader(), &error));
        QCOMPARE(error, QString("its frames are larger than 4096 by 4096 pixels"));
        QStringList longText = newProjectFrames()[0];
        longText.insert(1, ReplaceText(NewObjectLine(ObjectKind::Text), QString(1024 * 1024, 'x')));
        QVERIFY(!BuildProjectFile({longText}, none.reader(), &error));
        QCOMPARE(error, QString("it has a line longer than 1 MiB"));
        QVERIFY(!BuildProjectFile({QStringList(10001, "Rectangle")}, none.reader(), &error));
        QCOMPARE(error, QString("it has a frame of more than 10000 lines"));
        QVERIFY(!BuildProjectFile(std::vector<QStringList>(10001), none.reader(), &error));
        QCOMPARE(error, QString("it has more than 10000 frames"));
        // A first line that is not a background sets no frame size.
        ProjectFileError readError;
        QVERIFY(ParseProjectFile(QByteArray(kProjectFileHeader) +
                                     "\r\n[Frames=1]\r\n[Frame=1]\r\nRectangle,W=5000\r\n",
                                 &readError));
    }

    void base64ToleratesBlanks() {
        ProjectFileError error;
        const auto content = ParseProjectFile(QByteArray(kProjectFileHeader) +
                                                  "\r\n{Picture=a.png\r\nQU \r\nJD\t\r\n}\r\n[Frames=1]\r\n",
                                              &error);
        QVERIFY2(content, qPrintable(error.reason));
        QCOMPARE(content->pictures[0].bytes, QByteArray("ABC"));
    }

    void framesAndSections() {
        const QByteArray head = QByteArray(kProjectFileHeader) + "\r\n";
        ProjectFileError error;
        // Fewer sections than announced leave frames empty; lines before the first section go nowhere;
        // sections past the count are dropped.
        auto content = ParseProjectFile(head + "stray\n[Frames=3]\n[Frame=1]\nA\n[Frame=9]\nB\n", &error);
        QVERIFY(content);
        QCOMPARE(content->frames, (std::vector<QStringList>{{"A"}, {"B"}, {}}));
        content = ParseProjectFile(head + "[Frames=1]\r\n[Frame=1]\r\nA\r\n[Frame=2]\r\nB\r\n", &error);
        QVERIFY(content);
        QCOMPARE(content->frames, (std::vector<QStringList>{{"A"}}));
        // A line that is not UTF-8 is read as Windows-1252.
        content = ParseProjectFile(head + "[Frames=1]\n[Frame=1]\nText,Txt=caf\xE9 \x80\n", &error);
        QVERIFY(content);
        QCOMPARE(content->frames[0][0], QString::fromUtf8("Text,Txt=café €"));
    }

    void pictureNamesInUtf8AndWindows1252() {
        const QByteArray head = QByteArray(kProjectFileHeader) + "\r\n";
        ProjectFileError error;
        auto content = ParseProjectFile(head + "{Picture=\xE6\x97\xA5.png\nQQ==\n}\n[Frames=1]\n", &error);
        QVERIFY(content);
        QCOMPARE(content->pictures[0].name, QString::fromUtf8("日.png"));
        content = ParseProjectFile(head + "{Picture=caf\xE9.png\nQQ==\n}\n[Frames=1]\n", &error);
        QVERIFY(content);
        QCOMPARE(content->pictures[0].name, QString::fromUtf8("café.png"));
    }

    void cutOffPictureBlockIsDropped() {
        ProjectFileError error;
        const QByteArray data =
            QByteArray(kProjectFileHeader) + "\n[Frames=1]\n[Frame=1]\nA\n{Picture=x.png\nQUJD\n";
        const auto content = ParseProjectFile(data, &error);
        QVERIFY(content);
        QVERIFY(content->pictures.empty());
    }

    void refusals_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("notAProjectFile");
        QTest::addColumn<QString>("reasonPart");
        const QByteArray head = QByteArray(kProjectFileHeader) + "\r\n";
        QTest::newRow("header case") << QByteArray("[morlo Project File v.2.0]\r\n[Frames=1]\r\n") << true
                                     << "header";
        QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + head + "[Frames=1]\r\n" << true << "header";
        QTest::newRow("empty file") << QByteArray() << true << "header";
        QTest::newRow("no frame count") << head + "[Frame=1]\r\n" << true << "frame count";
        QTest::newRow("count not a number") << head + "[Frames=x1]\r\n" << true << "frame count";
        QTest::newRow("count zero") << head + "[Frames=0]\r\n" << true << "frame count";
        QTest::newRow("count negative") << head + "[Frames=-3]\r\n" << true << "frame count";
        QTest::newRow("too many frames") << head + "[Frames=10001]\r\n" << false << "more than 10000 frames";
        QTest::newRow("frame too wide") << head + "[Frames=1]\r\n[Frame=1]\r\nMain Background,W=4097,H=60\r\n"
                                        << false << "4096 by 4096";
        QTest::newRow("path in picture name") << head + "{Picture=../evil.png\r\nQQ==\r\n}\r\n[Frames=1]\r\n"
                                              << true << "not a plain file name";
        QTest::newRow("absolute picture name")
            << head + "{Picture=/tmp/evil.png\r\nQQ==\r\n}\r\n[Frames=1]\r\n"
            << true << "not a plain file name";
        QTest::newRow("bad name after a cut-off block")
            << head + "[Frames=1]\r\n[Frame=1]\r\n{Picture=a.png\r\nQQ==\r\n{Picture=../evil.png\r\n"
            << true << "not a plain file name";
        QTest::newRow("frame of too many lines")
            << head + "[Frames=1]\r\n[Frame=1]\r\n" + QByteArray("X\r\n").repeated(10001) << false
            << "more than 10000 lines";
        QTest::newRow("bad base64") << head + "{Picture=a.png\r\nQQ=*\r\n}\r\n[Frames=1]\r\n"
                                    << false << "damaged";
        QTest::newRow("long line") << head + QByteArray(1024 * 1024 + 1, 'a') + "\r\n[Frames=1]\r\n"
                                   << false << "longer than 1 MiB";
    }
    void refusals() {
        QFETCH(QByteArray, data);
        QFETCH(bool, notAProjectFile);
        QFETCH(QString, reasonPart);
        ProjectFileError error;
        QVERIFY(!ParseProjectFile(data, &error));
        QCOMPARE(error.notAProjectFile, notAProjectFile);
        QVERIFY2(error.reason.contains(reasonPart), qPrintable(error.reason));
    }

    void firstFrameForPreview() {
        const QByteArray head = QByteArray(kProjectFileHeader) + "\r\n";
        QCOMPARE(ParseFirstFrame(head + "[Frames=2]\r\n[Frame=1]\r\nA\r\nB\r\n[Frame=2]\r\nC\r\n"),
                 std::optional<QStringList>(QStringList{"A", "B"}));
        QVERIFY(!ParseFirstFrame(head + "[Frames=2]\r\nA\r\n"));
        QVERIFY(!ParseFirstFrame("nope\r\n[Frames=1]\r\n[Frame=1]\r\nA\r\n"));
    }
};

MORLO_TEST(ProjectFileTests)
#include "project_file_tests.moc"

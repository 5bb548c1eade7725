// The morlo executable's command line: exit statuses, messages and the files the export commands write.

#include "common/test_registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run runMorlo(const QStringList& arguments) {
    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + "/morlo", arguments);
    Run run;
    if (!process.waitForFinished(120000))
        return run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

const QString kBanner = QStringLiteral(MORLO_SOURCE_DIR "/samples/banner.mrp");

} // namespace

class CommandLineTests : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void versionAndHelp() {
        Run run = runMorlo({"--version"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QString("Morlo GIF Creator v.2.1\n"));
        run = runMorlo({"--help"});
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.contains("--export-gif OUT.gif PROJECT.mrp"));
    }

    void usageErrorsExitWithTwo_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown option") << QStringList{"--frobnicate"};
        QTest::newRow("export-gif without project") << QStringList{"--export-gif", "x.gif"};
        QTest::newRow("export-frame with a word") << QStringList{"--export-frame", "two", "x.bmp", "p.mrp"};
        QTest::newRow("info with two files") << QStringList{"--info", "a.mrp", "b.mrp"};
        QTest::newRow("version with an argument") << QStringList{"--version", "x"};
    }
    void usageErrorsExitWithTwo() {
        QFETCH(QStringList, arguments);
        const Run run = runMorlo(arguments);
        QCOMPARE(run.status, 2);
        QVERIFY(run.err.startsWith("morlo: "));
    }

    void failuresExitWithOneAndOneLine() {
        Run run = runMorlo({"--info", dir.filePath("missing.mrp")});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err.count('\n'), 1);
        QVERIFY(run.err.contains("missing.mrp"));

        QFile bad(dir.filePath("bad.mrp"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("[Morlo Project File v.1.0]\r\n");
        bad.close();
        run = runMorlo({"--export-gif", dir.filePath("bad.gif"), bad.fileName()});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("Could not open the file bad.mrp"), qPrintable(run.err));
        QVERIFY(!QFile::exists(dir.filePath("bad.gif")));

        run = runMorlo({"--export-frame", "9", dir.filePath("f.bmp"), kBanner});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains("there is no frame 9"));

        run = runMorlo({"--export-gif", dir.filePath("no/such/folder/x.gif"), kBanner});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains("x.gif"));
    }

    void exportsWriteTheirFiles() {
        Run run = runMorlo({"--info", kBanner});
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.contains("Frame size: 468 x 60\nFrames: 8\nFrame 1: delay 120 ms, 4 objects\n"));

        run = runMorlo({"--export-frame", "3", dir.filePath("three.bmp"), kBanner});
        QCOMPARE(run.status, 0);
        QCOMPARE(QImage(dir.filePath("three.bmp")).size(), QSize(468, 60));

        QDir(dir.path()).mkdir("frames");
        run = runMorlo({"--export-bmp", dir.filePath("frames"), kBanner});
        QCOMPARE(run.status, 0);
        QCOMPARE(QDir(dir.filePath("frames")).entryList(QDir::Files).size(), 8);
        QVERIFY(QFile::exists(dir.filePath("frames/banner-8.bmp")));

        run = runMorlo({"--export-gif", dir.filePath("banner.gif"), kBanner});
        QCOMPARE(run.status, 0);
        QVERIFY(run.err.isEmpty());
        QFile gif(dir.filePath("banner.gif"));
        QVERIFY(gif.open(QIODevice::ReadOnly));
        QVERIFY(gif.readAll().startsWith("GIF89a"));
    }
};

MORLO_TEST(CommandLineTests)
#include "command_line_tests.moc"

// Attacks on the private temporary folder: a folder of another user or a planted file in its place, links,
// hard links and pipes planted under a picture's name, crafted picture names in opened projects, and
// processes that store the same or clashing pictures at the same time. Nothing may be written outside the
// folder, no write may follow a planted name, no read may see half a file, and no picture may replace
// another.

#include "common/file_helpers.h"
#include "common/test_registry.h"
#include "hardening/child_process.h"
#include "hardening/stored_picture.h"
#include "model/default_lines.h"
#include "model/project_file.h"
#include "model/project_io.h"
#include "model/temp_folder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace morlo;
using morlo::test::readAll;
using morlo::test::writeAll;

namespace {

QByteArray projectEmbedding(const QByteArray& pictureName, const QString& lineName) {
    const QString line = NewPictureLine(QSize(2, 2), QSize(468, 60), lineName);
    return QByteArray(kProjectFileHeader) + "\r\n{Picture=" + pictureName +
           "\r\nQUJD\r\n}\r\n[Frames=1]\r\n[Frame=1]\r\n" + DefaultBackgroundLine().toUtf8() + "\r\n" +
           line.toUtf8() + "\r\n" + DefaultBorderLine().toUtf8() + "\r\n";
}

// Every file and link under `root`, relative to it.
QStringList everythingUnder(const QString& root) {
    QStringList found;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(root).relativeFilePath(it.next());
    found.sort();
    return found;
}

} // namespace

class TempFolderAttackTests : public QObject {
    Q_OBJECT
private slots:
    void refusesFolderOfAnotherUserOrAPlantedFile() {
        QTemporaryDir base;
        const QString own = base.filePath(QString("morlo-%1").arg(::getuid()));
        QString error;
        QVERIFY(writeAll(own, "planted"));
        QVERIFY(!TempFolder::Open(&error, base.path()));
        QVERIFY2(error.contains("not a folder of its own"), qPrintable(error));
        QVERIFY(QFile::remove(own));

        if (::geteuid() != 0)
            QSKIP("giving a folder to another user needs root");
        QVERIFY(QDir().mkdir(own));
        QVERIFY(::chmod(QFile::encodeName(own).constData(), 0700) == 0);
        QVERIFY(::chown(QFile::encodeName(own).constData(), 65534, 65534) == 0);
        QVERIFY(!TempFolder::Open(&error, base.path()));
        QVERIFY2(error.contains("belongs to another user"), qPrintable(error));
    }

    void plantedNamesNeverRedirectAWrite() {
        QTemporaryDir sandbox;
        QVERIFY(QDir(sandbox.path()).mkpath("outside/dir"));
        const QString outside = sandbox.filePath("outside");
        const QString victim = outside + "/victim.png";
        QVERIFY(writeAll(victim, "victim"));
        QString error;
        QVERIFY(QDir().mkpath(sandbox.filePath("base")));
        auto folder = TempFolder::Open(&error, sandbox.filePath("base"));
        QVERIFY2(folder, qPrintable(error));
        const auto plantedPath = [&](const char* name) { return folder->filePath(name); };

        QVERIFY(QFile::link(victim, plantedPath("to-file.png")));
        QVERIFY(QFile::link(outside + "/new.png", plantedPath("dangling.png")));
        QVERIFY(QFile::link(outside + "/dir", plantedPath("to-dir.png")));
        QVERIFY(::link(QFile::encodeName(victim).constData(),
                       QFile::encodeName(plantedPath("hard-link.png")).constData()) == 0);
        QVERIFY(::mkfifo(QFile::encodeName(plantedPath("pipe.png")).constData(), 0600) == 0);
        const QStringList outsideBefore = everythingUnder(outside);

        for (const char* name : {"to-file.png", "dangling.png", "to-dir.png", "hard-link.png", "pipe.png"}) {
            const QString stored = folder->StorePicture(name, "picture", &error);
            QVERIFY2(!stored.isEmpty() && stored != name, qPrintable(QString(name) + ": " + error));
            QCOMPARE(*folder->ReadPicture(stored, &error), QByteArray("picture"));
        }
        // Opening a project that embeds a picture under a planted name.
        const QString project = sandbox.filePath("project.mrp");
        QVERIFY(writeAll(project, projectEmbedding("to-file.png", "to-file.png")));
        OpenFailure failure;
        const auto frames = ReadProjectForOpen(project, *folder, &failure);
        QVERIFY2(frames, qPrintable(failure.message));
        QVERIFY(!frames->at(0).join('\n').contains("FileName=to-file.png"));

        QCOMPARE(readAll(victim), QByteArray("victim"));
        QCOMPARE(everythingUnder(outside), outsideBefore);
    }

    void craftedPictureNamesWriteNothingOutsideTheFolder() {
        QTemporaryDir sandbox;
        QVERIFY(QDir(sandbox.path()).mkpath("base"));
        QVERIFY(QDir(sandbox.path()).mkpath("projects"));
        QString error;
        auto folder = TempFolder::Open(&error, sandbox.filePath("base"));
        QVERIFY2(folder, qPrintable(error));
        const QByteArray absolute = QFile::encodeName(sandbox.filePath("absolute.png"));
        const QList<QByteArray> names = {
            "../escape.png",
            "../../escape.png",
            "../../../../../../tmp/escape.png",
            absolute,
            "/escape.png",
            "..",
            ".",
            "",
            "a/b.png",
            "projects/../escape.png",
            "..\\escape.png",
            "a\\..\\..\\b.png",
            "C:\\escape.png",
            "C:escape.png",
            "\\\\server\\share\\x.png",
            "x.png\n",
            QByteArray("x\0.png", 6),
            "x\t.png",
            "x\r",
            "\x1b[31mx.png",
            "x|y.png",
            "x?.png",
            "*.png",
            "\"q\".png",
            "<a>.png",
            "dir/",
            "./x.png",
            QByteArray(256, 'a'),
            "%2e%2e/escape.png",
        };
        int refused = 0;
        for (int i = 0; i < names.size(); ++i) {
            const QByteArray& name = names[i];
            const QString decoded = QString::fromUtf8(name);
            if (folder->StorePicture(decoded, "bytes", &error).isEmpty())
                ++refused;
            else
                QFAIL(qPrintable("stored under a crafted name: " + decoded));
            // The same name in a project file, both as the embedded picture and in the line (a line break
            // would end the name there).
            if (name.contains('\n'))
                continue;
            const QString project = sandbox.filePath(QString("projects/%1.mrp").arg(i));
            QVERIFY(writeAll(project, projectEmbedding(name, decoded)));
            OpenFailure failure;
            QVERIFY2(!ReadProjectForOpen(project, *folder, &failure), name.constData());
        }
        QCOMPARE(refused, names.size());
        // Only the project files and the empty folder exist: nothing was written anywhere else.
        QStringList expected = {"base", QString("base/morlo-%1").arg(::getuid()), "projects"};
        for (int i = 0; i < names.size(); ++i)
            if (!names[i].contains('\n'))
                expected << QString("projects/%1.mrp").arg(i);
        expected.sort();
        QCOMPARE(everythingUnder(sandbox.path()), expected);
        qInfo("%d crafted picture names refused, 0 files written outside the folder", refused);
    }

    void concurrentStoresOfTheSamePictureNeverTear() {
        QTemporaryDir base;
        const QString count = "12", mib = "4";
        test::ChildProcess first, second, reader;
        QVERIFY(reader.start({"read", base.path(), "same", count, mib}));
        QVERIFY(first.start({"store", base.path(), "same", count, mib, "1"}));
        QVERIFY(second.start({"store", base.path(), "same", count, mib, "1"}));
        const test::ChildResult a = first.wait(), b = second.wait(), r = reader.wait();
        QVERIFY2(a.exitCode == 0 && a.output.contains("renamed 0"), a.output.constData());
        QVERIFY2(b.exitCode == 0 && b.output.contains("renamed 0"), b.output.constData());
        QVERIFY2(r.exitCode == 0, r.output.constData());
    }

    void concurrentStoresOfClashingPicturesNeverMix() {
        QTemporaryDir base;
        test::ChildProcess first, second;
        QVERIFY(first.start({"store", base.path(), "clash", "12", "2", "1"}));
        QVERIFY(second.start({"store", base.path(), "clash", "12", "2", "2"}));
        const test::ChildResult a = first.wait(), b = second.wait();
        QVERIFY2(a.exitCode == 0, a.output.constData());
        QVERIFY2(b.exitCode == 0, b.output.constData());
        // Each name went to exactly one of them; the other one's bytes got a name of their own.
        const int renamedA = a.output.mid(a.output.indexOf("renamed ") + 8).trimmed().toInt();
        const int renamedB = b.output.mid(b.output.indexOf("renamed ") + 8).trimmed().toInt();
        QCOMPARE(renamedA + renamedB, 12);
    }

    void exitOfAnotherCopyKeepsTheSharedPictures() {
        // This process opened a project with same-0.png; another running copy opens one with the same
        // picture (so it shares the file) and then quits.
        QTemporaryDir base;
        QString error;
        auto folder = TempFolder::Open(&error, base.path());
        QVERIFY2(folder, qPrintable(error));
        const QByteArray bytes = test::storedPictureBytes(1, 7);
        QCOMPARE(folder->StorePicture("same-0.png", bytes, &error), QString("same-0.png"));
        const test::ChildResult other =
            test::runHelper({"store", base.path(), "same", "1", "1", "7", "--exit-like-the-program"});
        QVERIFY2(other.exitCode == 0 && other.output.contains("renamed 0"), other.output.constData());
        QVERIFY2(folder->ReadPicture("same-0.png", &error), qPrintable(error));
    }
};

MORLO_TEST(TempFolderAttackTests)
#include "temp_folder_attack_tests.moc"

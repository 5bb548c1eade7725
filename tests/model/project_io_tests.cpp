// Opening and saving projects through the temporary folder.

#include "common/file_helpers.h"
#include "common/test_registry.h"
#include "model/default_lines.h"
#include "model/object_line.h"
#include "model/project_file.h"
#include "model/project_io.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace morlo;
using morlo::test::readAll;
using morlo::test::writeAll;

namespace {

QByteArray projectWithPicture(const QString& name, const QByteArray& bytes) {
    const QString line = NewPictureLine(QSize(2, 2), QSize(468, 60), name);
    return QByteArray(kProjectFileHeader) + "\r\n{Picture=" + name.toUtf8() + "\r\n" + bytes.toBase64() +
           "\r\n}\r\n[Frames=1]\r\n[Frame=1]\r\n" + DefaultBackgroundLine().toUtf8() + "\r\n" +
           line.toUtf8() + "\r\n" + DefaultBorderLine().toUtf8() + "\r\n";
}

} // namespace

class ProjectIoTests : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::optional<TempFolder> temp;

private slots:
    void init() {
        QString error;
        temp = TempFolder::Open(&error, dir.path());
        QVERIFY2(temp, qPrintable(error));
    }
    void cleanup() { temp.reset(); }

    void newProjectSavesAsFiveLinesAndReopens() {
        Project project;
        project.NewProject({}, dir.path());
        QVERIFY(project.IsNew());
        const QString path = dir.filePath("banner.mrp");
        QString error;
        QVERIFY2(SaveProjectFile(project, path, *temp, &error), qPrintable(error));
        QCOMPARE(readAll(path).count("\r\n"), 5);
        QVERIFY(!project.IsNew());
        QVERIFY(!project.Modified());
        QCOMPARE(project.FileName(), path);

        Project reopened;
        OpenFailure failure;
        QVERIFY(FileOpen(reopened, path, *temp, &failure));
        QCOMPARE(reopened.FrameCount(), 1);
        QCOMPARE(reopened.CurrentFrame(), 1);
        QVERIFY(!reopened.Modified());
        QVERIFY(!reopened.IsNew());
        QCOMPARE(reopened.Frames()[1], project.Frames()[1]);
    }

    void untouchedNewProjectReceivesTheFile() {
        Project project;
        project.NewProject({}, dir.path());
        QVERIFY(CanReceiveOpenedFile(project));
        project.ChildChanged(true);
        QVERIFY(!CanReceiveOpenedFile(project));
        Project saved;
        saved.LoadFrames({{DefaultBackgroundLine(), DefaultBorderLine()}}, dir.filePath("x.mrp"));
        QVERIFY(!CanReceiveOpenedFile(saved));
    }

    void refusedFileLeavesProjectAndFolderAlone() {
        const QString path = dir.filePath("Banner.MRP");
        QVERIFY(writeAll(path, "[Morlo Project File v.2.1]\r\n[Frames=1]\r\n"));
        Project project;
        project.NewProject({}, dir.path());
        const QStringList before = project.Frames()[1];
        OpenFailure failure;
        QVERIFY(!FileOpen(project, path, *temp, &failure));
        QCOMPARE(failure.message, QString("Could not open the file Banner.MRP"));
        QVERIFY(!failure.beepOnly);
        QVERIFY(project.IsNew());
        QCOMPARE(project.Frames()[1], before);

        // A picture name with a folder refuses the whole file before anything is written.
        QVERIFY(writeAll(path, projectWithPicture("../escape.png", "x")));
        QVERIFY(!FileOpen(project, path, *temp, &failure));
        QCOMPARE(failure.message, QString("Could not open the file Banner.MRP"));
        QVERIFY(!QFile::exists(dir.filePath("escape.png")));
        QCOMPARE(QDir(temp->path()).entryList(QDir::Files | QDir::Hidden), QStringList());

        QVERIFY(!FileOpen(project, dir.filePath("missing.mrp"), *temp, &failure));
        QVERIFY(failure.beepOnly);
        // A pipe is refused at once instead of blocking the program.
        const QString pipe = dir.filePath("pipe.mrp");
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        QVERIFY(!FileOpen(project, pipe, *temp, &failure));
        QVERIFY(failure.message.contains("not a regular file"));
    }

    void samePictureNameWithOtherBytesGetsItsOwnCopy() {
        const QString first = dir.filePath("first.mrp"), second = dir.filePath("second.mrp");
        QVERIFY(writeAll(first, projectWithPicture("logo.png", "AAA")));
        QVERIFY(writeAll(second, projectWithPicture("logo.png", "BBB")));
        Project a, b;
        OpenFailure failure;
        QVERIFY(FileOpen(a, first, *temp, &failure));
        QVERIFY(FileOpen(b, second, *temp, &failure));
        b.StoreCurrentFrame();
        const QString renamed = DecodeStr(b.Frames()[1][1], "FileName");
        QCOMPARE(renamed, QString("logo-2.png"));
        QString error;
        QCOMPARE(*temp->ReadPicture("logo.png", &error), QByteArray("AAA"));
        QCOMPARE(*temp->ReadPicture(renamed, &error), QByteArray("BBB"));
        // Saving the second project embeds its own bytes under the name its lines use.
        QVERIFY(SaveProjectFile(b, second, *temp, &error));
        QVERIFY(readAll(second).contains("{Picture=logo-2.png\r\nQkJC\r\n}"));
    }

    void previewShowsTheFirstFrame() {
        LayerStack view;
        RenderContext context;
        context.tempDir = temp->path();
        const auto size =
            OpenDialog1PreviewFile(view, MORLO_SOURCE_DIR "/samples/picture.mrp", *temp, context);
        QCOMPARE(size, std::optional<QSize>(QSize(300, 100)));
        QCOMPARE(view.tag, 1);
        QCOMPARE(view.count(), 1); // flattened
        QCOMPARE(view.layer(0).bitmap.size(), QSize(300, 100));
        QString error;
        QVERIFY(temp->ReadPicture("logo.png", &error)); // previewing extracts the pictures like opening

        const QString other = dir.filePath("other.txt");
        QVERIFY(writeAll(other, "not a project\r\n"));
        QVERIFY(!OpenDialog1PreviewFile(view, other, *temp, context));
        QCOMPARE(view.count(), 1);
        QVERIFY(view.layer(0).name.isEmpty());
    }

    void failedSaveKeepsFileAndState() {
        Project project;
        project.NewProject({}, dir.path());
        const QString placeholder = project.FileName();
        // A picture line that names a file outside the folder makes the save fail without reading it.
        project.Frames()[1].insert(1, NewPictureLine(QSize(1, 1), QSize(468, 60), "../../etc/passwd"));
        project.ShowFrame(1, 0);
        project.ChildChanged(true);
        const QString path = dir.filePath("keep.mrp");
        QVERIFY(writeAll(path, "previous"));
        QString error;
        QVERIFY(!SaveProjectFile(project, path, *temp, &error));
        QVERIFY2(error.contains("not a plain file name"), qPrintable(error));
        QCOMPARE(readAll(path), QByteArray("previous"));
        QCOMPARE(project.FileName(), placeholder);
        QVERIFY(project.IsNew());
        QVERIFY(project.Modified());

        // A folder that cannot be written.
        project.Frames()[1].removeAt(1);
        project.ShowFrame(1, 0);
        QDir(dir.path()).mkdir("locked");
        ::chmod(QFile::encodeName(dir.filePath("locked")).constData(), 0500);
        if (::geteuid() != 0) {
            QVERIFY(!SaveProjectFile(project, dir.filePath("locked/x.mrp"), *temp, &error));
            QVERIFY(error.contains("x.mrp"));
            QVERIFY(project.IsNew());
        }
        QVERIFY(!SaveProjectFile(project, dir.filePath("no/such/folder/x.mrp"), *temp, &error));
        QVERIFY(project.IsNew());
    }
};

MORLO_TEST(ProjectIoTests)
#include "project_io_tests.moc"

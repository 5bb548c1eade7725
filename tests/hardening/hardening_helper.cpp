// Child process of the hardening tests: it does one thing that the test must watch from outside (be killed
// in the middle of it, hit a file-size limit, run as another user, race another process).
//
//   read-image PATH                      ReadImageSafely; exit 0 refused (printing the reason, the time and
//                                        the peak memory), 3 decoded, 2 usage
//   load-picture PATH                    the same through the renderer's LoadPictureFile
//   preview PROJECT BASE                 draws the first frame as the file dialogs' preview does, with the
//                                        temporary folder under BASE; prints the time and the peak memory
//   save PATH MIB [--fsize LIMIT] [--as-nobody]
//                                        writes a project file of about MIB MiB with SaveFileSafely after
//                                        printing "saving"; exit 0 saved, 1 refused (the reason on stderr)
//   store BASE NAME-PREFIX COUNT MIB SEED [--exit-like-the-program]
//                                        stores COUNT pictures PREFIX-i.png of MIB MiB (bytes made from SEED)
//                                        in the temporary folder under BASE and reads each back; prints
//                                        "renamed N" and exits 0 when every one came back whole; the files
//                                        stay unless the option lets the program's exit delete them
//   read BASE NAME-PREFIX COUNT MIB      reads PREFIX-i.png (of SEED 1) as soon as each appears; exit 0 when
//                                        no read ever saw a file that was not whole

#include "hardening/stored_picture.h"
#include "model/project_file.h"
#include "model/project_io.h"
#include "model/safe_save.h"
#include "model/temp_folder.h"
#include "render/image_loading.h"
#include "render/picture_layer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>

using namespace morlo;

namespace {

// The peak resident memory of this program since it started, in KiB (VmHWM). The rusage of a child counts
// the parent's memory as well when it was spawned by vfork.
long peakMemoryKiB() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// `how` is "read-image" (ReadImageSafely) or "load-picture" (the renderer's LoadPictureFile).
int readImage(const QString& how, const QString& path) {
    QString error = QStringLiteral("refused by the renderer");
    QElapsedTimer timer;
    timer.start();
    std::optional<QImage> image;
    if (how == "read-image") {
        image = ReadImageSafely(path, &error);
    } else {
        QImage loaded;
        const QFileInfo info(path);
        if (LoadPictureFile(info.path(), info.fileName(), loaded))
            image = loaded;
    }
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    if (image) {
        std::printf("decoded %dx%d\n", image->width(), image->height());
        return 3;
    }
    std::printf("refused: %s\ntime %.3f ms, peak %ld KiB\n", qPrintable(error), ms, peakMemoryKiB());
    return 0;
}

// A valid project file of about `mib` MiB: many frames of the same lines.
QByteArray largeProject(int mib) {
    QByteArray frame;
    for (int i = 0; i < 1000; ++i)
        frame += "Rectangle,X=" + QByteArray::number(i) + ",Y=5,W=40,H=20,Color=255,Name=Shape " +
                 QByteArray::number(i) + ",Visible=1,Transp=0\r\n";
    const int frames = std::max(1, static_cast<int>(static_cast<qint64>(mib) * 1024 * 1024 / frame.size()));
    QByteArray project =
        QByteArray(kProjectFileHeader) + "\r\n[Frames=" + QByteArray::number(frames) + "]\r\n";
    project.reserve(project.size() + static_cast<qsizetype>(frames) * (frame.size() + 20));
    for (int f = 1; f <= frames; ++f)
        project += "[Frame=" + QByteArray::number(f) + "]\r\n" + frame;
    return project;
}

int save(const QStringList& args) {
    const QString path = args.value(0);
    const int mib = args.value(1).toInt();
    const QByteArray bytes = largeProject(mib);
    const qsizetype fsizeAt = args.indexOf("--fsize");
    if (fsizeAt >= 0) {
        // A full disk: writes beyond the limit fail with EFBIG instead of killing the process.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlim_t limit = args.value(fsizeAt + 1).toULongLong();
        const rlimit fsize{limit, limit};
        if (::setrlimit(RLIMIT_FSIZE, &fsize) != 0)
            return 2;
    }
    if (args.contains("--as-nobody") && ::geteuid() == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            return 2;
    }
    std::printf("saving\n");
    std::fflush(stdout);
    QString error;
    QElapsedTimer timer;
    timer.start();
    if (!SaveFileSafely(path, bytes, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("saved %lld bytes in %lld ms\n", static_cast<long long>(bytes.size()),
                static_cast<long long>(timer.elapsed()));
    return 0;
}

int store(const QStringList& args) {
    QString error;
    auto folder = TempFolder::Open(&error, args.value(0));
    if (!folder) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    const QByteArray bytes = test::storedPictureBytes(args.value(3).toInt(), args.value(4).toUInt());
    int renamed = 0;
    for (int i = 0; i < args.value(2).toInt(); ++i) {
        const QString name = test::storedPictureName(args.value(1), i);
        const QString stored = folder->StorePicture(name, bytes, &error);
        if (stored.isEmpty()) {
            std::fprintf(stderr, "%s not stored: %s\n", qPrintable(name), qPrintable(error));
            return 1;
        }
        renamed += stored != name;
        const auto back = folder->ReadPicture(stored, &error);
        if (!back || *back != bytes) {
            std::fprintf(stderr, "%s stored as %s did not read back whole\n", qPrintable(name),
                         qPrintable(stored));
            return 1;
        }
    }
    std::printf("renamed %d\n", renamed);
    if (args.value(5) == "--exit-like-the-program")
        return 0; // the folder object ends and deletes what it registered, as at the program's exit
    // The processes share the files: this one ends without removing them.
    std::fflush(stdout);
    std::_Exit(0);
}

int readWhileStored(const QStringList& args) {
    QString error;
    auto folder = TempFolder::Open(&error, args.value(0));
    if (!folder)
        return 2;
    const int count = args.value(2).toInt();
    const QByteArray bytes = test::storedPictureBytes(args.value(3).toInt(), 1);
    QElapsedTimer timer;
    timer.start();
    int seen = 0;
    for (int i = 0; i < count && timer.elapsed() < 60000;) {
        const auto data = folder->ReadPicture(test::storedPictureName(args.value(1), i), &error);
        if (!data)
            continue; // not there yet
        if (*data != bytes) {
            std::fprintf(stderr, "torn read of picture %d: %lld bytes\n", i,
                         static_cast<long long>(data->size()));
            return 1;
        }
        ++seen;
        ++i;
    }
    std::printf("read %d whole pictures\n", seen);
    return seen == count ? 0 : 1;
}

// The first frame of a project drawn the way the file dialogs preview it.
int preview(const QString& project, const QString& base) {
    QString error;
    auto folder = TempFolder::Open(&error, base);
    if (!folder)
        return 2;
    RenderContext context;
    context.tempDir = folder->path();
    LayerStack view;
    QElapsedTimer timer;
    timer.start();
    const auto size = OpenDialog1PreviewFile(view, project, *folder, context);
    std::printf("preview %s, time %lld ms, peak %ld KiB\n", size ? "drawn" : "refused",
                static_cast<long long>(timer.elapsed()), peakMemoryKiB());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const QString mode = args.isEmpty() ? QString() : args.takeFirst();
    if ((mode == "read-image" || mode == "load-picture") && args.size() == 1)
        return readImage(mode, args[0]);
    if (mode == "preview" && args.size() == 2)
        return preview(args[0], args[1]);
    if (mode == "save" && args.size() >= 2)
        return save(args);
    if (mode == "store" && (args.size() == 5 || args.size() == 6))
        return store(args);
    if (mode == "read" && args.size() == 4)
        return readWhileStored(args);
    std::fprintf(stderr, "usage: see the comment at the top of hardening_helper.cpp\n");
    return 2;
}

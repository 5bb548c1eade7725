// Morlo's command line: the editor, or a headless export.

#include "app/headless_commands.h"

#include <QGuiApplication>
#include <QString>
#include <QStringList>
#include <cstdio>

namespace {

constexpr const char* kVersionText = "Morlo GIF Creator v.2.1";

constexpr const char* kUsageText =
    "Usage:\n"
    "  morlo [PROJECT.mrp]                          the editor, with the project or a new one\n"
    "  morlo --export-gif OUT.gif PROJECT.mrp       build the animation exactly as \"Create GIF\" does\n"
    "  morlo --export-bmp DIR PROJECT.mrp           every frame as DIR/NAME-N.bmp\n"
    "  morlo --export-frame N OUT.bmp PROJECT.mrp   one frame\n"
    "  morlo --info PROJECT.mrp                     frame size, frame count, delays, objects per frame\n"
    "  morlo --help | --version\n";

// Headless runs keep standard error for their own one-line reports: Qt's note about a missing runtime
// folder, which the offscreen platform does not need, is dropped.
void headlessMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg || message.startsWith(QLatin1String("QStandardPaths:")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

int usageError(const QString& message) {
    std::fprintf(stderr, "morlo: %s\n%s", qPrintable(message), kUsageText);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    if (!args.isEmpty() && args[0] == "--help") {
        if (args.size() != 1)
            return usageError("--help takes no arguments");
        std::fputs(kUsageText, stdout);
        return 0;
    }
    if (!args.isEmpty() && args[0] == "--version") {
        if (args.size() != 1)
            return usageError("--version takes no arguments");
        std::printf("%s\n", kVersionText);
        return 0;
    }
    if (!args.isEmpty() && args[0].startsWith("--") && args[0] != "--") {
        const QString command = args[0];
        const auto expect = [&](qsizetype count) { return args.size() == count + 1; };
        int frameNumber = 0;
        if (command == "--export-gif" && !expect(2))
            return usageError("--export-gif needs OUT.gif and PROJECT.mrp");
        if (command == "--export-bmp" && !expect(2))
            return usageError("--export-bmp needs DIR and PROJECT.mrp");
        if (command == "--info" && !expect(1))
            return usageError("--info needs PROJECT.mrp");
        if (command == "--export-frame") {
            bool ok = false;
            frameNumber = expect(3) ? args[1].toInt(&ok) : 0;
            if (!ok)
                return usageError("--export-frame needs a frame number N, OUT.bmp and PROJECT.mrp");
        }
        if (command != "--export-gif" && command != "--export-bmp" && command != "--export-frame" &&
            command != "--info")
            return usageError(QString("unknown option %1").arg(command));

        // The export commands need no display: without one they run on Qt's offscreen platform.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
            qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(headlessMessageHandler);
        QGuiApplication app(argc, argv);
        if (command == "--export-gif")
            return morlo::ExportGifCommand(args[1], args[2]);
        if (command == "--export-bmp")
            return morlo::ExportBmpCommand(args[1], args[2]);
        if (command == "--export-frame")
            return morlo::ExportFrameCommand(frameNumber, args[2], args[3]);
        return morlo::InfoCommand(args[1]);
    }
    if (!args.isEmpty() && args[0].startsWith("-"))
        return usageError(QString("unknown option %1").arg(args[0]));
    if (args.size() > 1)
        return usageError("the editor takes at most one project file");

    std::fprintf(stderr, "morlo: the editor window is not part of this build yet; "
                         "see morlo --help for the headless commands\n");
    return 1;
}

// Morlo's command line: the editor, or a headless export.

#include <QCoreApplication>
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
    if (!args.isEmpty() && args[0].startsWith("-"))
        return usageError(QString("unknown option %1").arg(args[0]));
    if (args.size() > 1)
        return usageError("the editor takes at most one project file");

    std::fprintf(stderr, "morlo: the editor window is not part of this build yet; "
                         "see morlo --help for the headless commands\n");
    return 1;
}

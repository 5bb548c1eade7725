// Replays the committed corpora of the fuzz targets (fuzzers/corpus/<target>/*) through the same entry points
// that libFuzzer runs, so that every past finding and seed stays a regression test of the normal build.
// A broken invariant aborts the run with the name of the check on standard error.

#include "common/test_registry.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <cstddef>
#include <cstdint>

using FuzzEntry = int (*)(const std::uint8_t*, std::size_t);

#ifdef MORLO_HAS_FUZZ_object_line
extern "C" int MorloFuzz_object_line(const std::uint8_t*, std::size_t);
#endif
#ifdef MORLO_HAS_FUZZ_project_file
extern "C" int MorloFuzz_project_file(const std::uint8_t*, std::size_t);
#endif
#ifdef MORLO_HAS_FUZZ_gif
extern "C" int MorloFuzz_gif(const std::uint8_t*, std::size_t);
#endif

class FuzzCorpusTests : public QObject {
    Q_OBJECT

    static void replay(const char* target, FuzzEntry entry) {
        const QDir folder(QStringLiteral(MORLO_SOURCE_DIR "/fuzzers/corpus/") + target);
        const QStringList files = folder.entryList(QDir::Files, QDir::Name);
        QVERIFY2(!files.isEmpty(), qPrintable(folder.path() + " holds no seed"));
        for (const QString& name : files) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            qInfo("%s/%s", target, qPrintable(name));
            entry(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                  static_cast<std::size_t>(bytes.size()));
        }
        // The empty input is every target's first case.
        entry(nullptr, 0);
    }

private slots:
    void objectLine() {
#ifdef MORLO_HAS_FUZZ_object_line
        replay("object_line", MorloFuzz_object_line);
#else
        QSKIP("no object-line fuzz target");
#endif
    }
    void projectFile() {
#ifdef MORLO_HAS_FUZZ_project_file
        replay("project_file", MorloFuzz_project_file);
#else
        QSKIP("no project-file fuzz target");
#endif
    }
    void gif() {
#ifdef MORLO_HAS_FUZZ_gif
        replay("gif", MorloFuzz_gif);
#else
        QSKIP("no GIF fuzz target");
#endif
    }
};

MORLO_TEST(FuzzCorpusTests)
#include "fuzz_corpus_tests.moc"

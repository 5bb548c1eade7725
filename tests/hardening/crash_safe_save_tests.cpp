// Saving never destroys the previous file: a save killed at any moment, a save into a full disk (a file
// size limit) and a save into a read-only folder all leave the old file byte for byte and no scratch file,
// and the failures are reported. The saves run in a child process so that they can be killed or limited.

#include "common/test_registry.h"
#include "hardening/child_process.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <thread>

using namespace morlo;

namespace {

const QByteArray kPrevious =
    "[Morlo Project File v.2.0]\r\n[Frames=1]\r\n[Frame=1]\r\nthe user's previous work\r\n";

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Every entry of the folder other than `keep`, hidden ones included.
QStringList strays(const QString& folder, const QString& keep) {
    QStringList found =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    found.removeAll(keep);
    return found;
}

} // namespace

class CrashSafeSaveTests : public QObject {
    Q_OBJECT
private slots:
    void killedSaveLeavesOldOrNewFileWhole() {
        QTemporaryDir dir;
        const QString reference = dir.filePath("reference.mrp");
        const int mib = 48;
        // Whole saves give the new bytes and how long a save takes: the fastest of three, so that the
        // kills fall inside a save even when the machine is busy.
        qint64 saveMicroseconds = 0;
        for (int run = 0; run < 3; ++run) {
            test::ChildProcess measure;
            QVERIFY(measure.start({"save", reference, QString::number(mib)}));
            QCOMPARE(measure.waitForLine("saving"), QByteArray("saving"));
            const QByteArray report = measure.waitForLine("saved"); // "saved N bytes in T ms"
            const test::ChildResult measured = measure.wait();
            QVERIFY2(measured.exitCode == 0 && report.startsWith("saved"), measured.output.constData());
            const qint64 microseconds =
                std::max<qint64>(report.split(' ').value(4).toLongLong() * 1000, 1000);
            saveMicroseconds = run == 0 ? microseconds : std::min(saveMicroseconds, microseconds);
        }
        const QByteArray newBytes = readAll(reference);
        QVERIFY(newBytes.size() > mib * 1000 * 1000);
        QVERIFY(QFile::remove(reference));

        const QString target = dir.filePath("banner.mrp");
        int intact = 0, replaced = 0;
        for (int run = 0; run < 20; ++run) {
            QVERIFY(writeAll(target, kPrevious));
            test::ChildProcess child;
            QVERIFY(child.start({"save", target, QString::number(mib)}));
            QCOMPARE(child.waitForLine("saving"), QByteArray("saving"));
            // A moment spread over the whole save, from its first write to its last rename.
            std::this_thread::sleep_for(
                std::chrono::microseconds(QRandomGenerator::global()->bounded(saveMicroseconds)));
            child.kill(SIGKILL);
            const test::ChildResult result = child.wait();
            const QByteArray now = readAll(target);
            if (now == kPrevious)
                ++intact;
            else if (now == newBytes)
                ++replaced;
            else
                QFAIL(qPrintable(QString("run %1: a file of %2 bytes is neither the old nor the new one")
                                     .arg(run)
                                     .arg(now.size())));
            // A killed save cannot have reported success and then left the old file.
            QVERIFY(!(result.exitCode == 0 && now == kPrevious));
            QCOMPARE(strays(dir.path(), "banner.mrp"), QStringList());
        }
        qInfo("20 saves of %lld ms killed at random moments: %d left the old file intact, %d had finished",
              saveMicroseconds / 1000, intact, replaced);
    }

    void saveIntoFullDiskFailsAndKeepsOldFile() {
        QTemporaryDir dir;
        const QString target = dir.filePath("banner.mrp");
        QVERIFY(writeAll(target, kPrevious));
        // Writes beyond 1 MiB fail as they do on a full disk.
        const test::ChildResult result = test::runHelper({"save", target, "8", "--fsize", "1048576"});
        QVERIFY2(result.exited && result.exitCode == 1, result.output.constData());
        QVERIFY2(result.output.contains("Could not write banner.mrp"), result.output.constData());
        QCOMPARE(readAll(target), kPrevious);
        QCOMPARE(strays(dir.path(), "banner.mrp"), QStringList());
    }

    void saveIntoReadOnlyFolderFailsAndKeepsOldFile() {
        QTemporaryDir dir;
        // Open to the unprivileged user the child becomes when the tests run as root.
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
        QVERIFY(QDir(dir.path()).mkdir("locked"));
        const QString folder = dir.filePath("locked");
        const QString target = folder + "/banner.mrp";
        QVERIFY(writeAll(target, kPrevious));
        QVERIFY(::chmod(QFile::encodeName(target).constData(), 0644) == 0);
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
        const test::ChildResult result = test::runHelper({"save", target, "1", "--as-nobody"});
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
        QVERIFY2(result.exited && result.exitCode == 1, result.output.constData());
        QVERIFY2(result.output.contains("Could not write banner.mrp"), result.output.constData());
        QCOMPARE(readAll(target), kPrevious);
        QCOMPARE(strays(folder, "banner.mrp"), QStringList());
    }
};

MORLO_TEST(CrashSafeSaveTests)
#include "crash_safe_save_tests.moc"

// The private temporary folder: refusals, pictures that never replace or follow what is there.

#include "common/test_registry.h"
#include "model/file_name_rules.h"
#include "model/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace morlo;

class TempFolderTests : public QObject {
    Q_OBJECT
private slots:
    void bareFileNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("bare");
        QTest::newRow("plain") << "logo.png" << true;
        QTest::newRow("unicode") << QString::fromUtf8("日本 ü.gif") << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("dot") << "." << false;
        QTest::newRow("dotdot") << ".." << false;
        QTest::newRow("slash") << "a/b.png" << false;
        QTest::newRow("backslash") << "a\\b.png" << false;
        QTest::newRow("drive") << "c:x.png" << false;
        QTest::newRow("star") << "*.png" << false;
        QTest::newRow("question") << "a?.png" << false;
        QTest::newRow("quote") << "a\".png" << false;
        QTest::newRow("angle") << "a<b>.png" << false;
        QTest::newRow("pipe") << "a|b" << false;
        QTest::newRow("newline") << "a\nb" << false;
        QTest::newRow("nul") << QString(QChar(0)) << false;
        QTest::newRow("255 bytes") << QString(255, 'a') << true;
        QTest::newRow("256 bytes") << QString(256, 'a') << false;
        QTest::newRow("128 two-byte characters") << QString(128, QChar(0xE9)) << false;
    }
    void bareFileNames() {
        QFETCH(QString, name);
        QFETCH(bool, bare);
        QCOMPARE(IsBareFileName(name), bare);
    }

    void refusesLinksAndOpenFolders() {
        QTemporaryDir base;
        const QString own = base.filePath(QString("morlo-%1").arg(::getuid()));
        QTemporaryDir elsewhere;
        QVERIFY(QFile::link(elsewhere.path(), own));
        QString error;
        QVERIFY(!TempFolder::Open(&error, base.path()));
        QVERIFY(error.contains("link"));

        QVERIFY(QFile::remove(own));
        QVERIFY(QDir().mkdir(own));
        QVERIFY(::chmod(QFile::encodeName(own).constData(), 0777) == 0);
        QVERIFY(!TempFolder::Open(&error, base.path()));
        QVERIFY(error.contains("open to other users"));

        QVERIFY(::chmod(QFile::encodeName(own).constData(), 0700) == 0);
        QVERIFY(TempFolder::Open(&error, base.path()));
    }

    void storesPicturesWithoutReplacingOrFollowing() {
        QTemporaryDir base;
        QString error;
        auto folder = TempFolder::Open(&error, base.path());
        QVERIFY(folder);
        QCOMPARE(folder->StorePicture("logo.png", "first", &error), QString("logo.png"));
        // The same bytes reuse the file; different bytes get a name of their own.
        QCOMPARE(folder->StorePicture("logo.png", "first", &error), QString("logo.png"));
        QCOMPARE(folder->StorePicture("logo.png", "second", &error), QString("logo-2.png"));
        QCOMPARE(*folder->ReadPicture("logo.png", &error), QByteArray("first"));
        QCOMPARE(*folder->ReadPicture("logo-2.png", &error), QByteArray("second"));
        QCOMPARE(folder->StorePicture("logo%2.png", "first", &error), QString("logo%2.png"));
        QCOMPARE(folder->StorePicture("logo%2.png", "other", &error), QString("logo%2-2.png"));
        // Commas become "_".
        QCOMPARE(folder->StorePicture("a,b.png", "x", &error), QString("a_b.png"));

        // A planted link is neither followed for writing nor for reading.
        QTemporaryDir outside;
        const QString target = outside.filePath("victim.txt");
        QVERIFY(QFile::link(target, folder->filePath("planted.png")));
        QCOMPARE(folder->StorePicture("planted.png", "data", &error), QString("planted-2.png"));
        QVERIFY(!QFile::exists(target));
        QVERIFY(!folder->ReadPicture("planted.png", &error));
        QVERIFY(error.contains("symbolic link"));

        QVERIFY(folder->StorePicture("../x.png", "data", &error).isEmpty());
        QVERIFY(folder->filePath("../x.png").isEmpty());
        QVERIFY(QDir(folder->path()).entryList({".incoming-*"}, QDir::Files | QDir::Hidden).isEmpty());
    }

    void releasesPicturesHeldByEndedCopies() {
        QTemporaryDir base;
        QString error;
        auto folder = TempFolder::Open(&error, base.path());
        QVERIFY(folder);
        // A copy that crashed left its hold on "lost.png"; one that runs still holds "kept.png".
        const QString lost = folder->filePath("lost.png"), kept = folder->filePath("kept.png");
        QVERIFY(QFile(lost).open(QIODevice::WriteOnly) && QFile(kept).open(QIODevice::WriteOnly));
        const QString crashed = folder->path() + "/.held-999999999",
                      running = folder->path() + QString("/.held-%1").arg(::getppid());
        QVERIFY(QDir().mkdir(crashed) && QDir().mkdir(running));
        QVERIFY(::link(QFile::encodeName(lost).constData(),
                       QFile::encodeName(crashed + "/lost.png").constData()) == 0);
        QVERIFY(::link(QFile::encodeName(kept).constData(),
                       QFile::encodeName(running + "/kept.png").constData()) == 0);
        folder.reset();
        QVERIFY(TempFolder::Open(&error, base.path()));
        QVERIFY(!QFile::exists(lost));
        QVERIFY(!QDir(crashed).exists());
        QVERIFY(QFile::exists(kept));
    }

    void deletesRegisteredFilesAtTheEnd() {
        QTemporaryDir base;
        QString error;
        QString path;
        {
            auto folder = TempFolder::Open(&error, base.path());
            QVERIFY(folder);
            QCOMPARE(folder->StorePicture("p.png", "x", &error), QString("p.png"));
            path = folder->filePath("p.png");
            QVERIFY(QFile::exists(path));
            QVERIFY(!folder->frameFilesDir().isEmpty());
        }
        QVERIFY(!QFile::exists(path));
    }
};

MORLO_TEST(TempFolderTests)
#include "temp_folder_tests.moc"

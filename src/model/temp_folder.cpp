#include "model/temp_folder.h"

#include "model/file_name_rules.h"
#include "model/limits.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace morlo {
namespace {

QString errnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Reads at most `limit` + 1 bytes of a regular file without following a link at its name.
std::optional<QByteArray> readNoFollow(const QString& path, qint64 limit, QString* error) {
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        *error = errno == ELOOP ? QStringLiteral("it is a symbolic link") : errnoText();
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *error = QStringLiteral("it is not a regular file");
        return std::nullopt;
    }
    if (st.st_size > limit) {
        ::close(fd);
        *error = QStringLiteral("it is larger than %1 MiB").arg(limit / (1024 * 1024));
        return std::nullopt;
    }
    QByteArray data;
    data.resize(static_cast<qsizetype>(st.st_size));
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::read(fd, data.data() + done, static_cast<size_t>(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            break;
        }
        done += n;
    }
    ::close(fd);
    data.truncate(done);
    return data;
}

// "name.png" -> "name-2.png", "name-3.png"...
QString numberedName(const QString& name, int number) {
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return name + QLatin1Char('-') + QString::number(number);
    return name.left(dot) + QLatin1Char('-') + QString::number(number) + name.mid(dot);
}

constexpr QLatin1StringView kHoldPrefix(".held-");

// Lets go of the picture `name` held through the link in `holdDir`: the link goes, and the picture itself
// when no other link to it is left (no other running copy holds it) and it is still the same file.
void releasePicture(const QString& folder, const QString& holdDir, const QString& name) {
    const QByteArray heldPath = QFile::encodeName(holdDir + QLatin1Char('/') + name);
    const QByteArray mainPath = QFile::encodeName(folder + QLatin1Char('/') + name);
    struct stat held {};
    if (::lstat(heldPath.constData(), &held) != 0)
        return;
    ::unlink(heldPath.constData());
    struct stat main {};
    if (::lstat(mainPath.constData(), &main) == 0 && main.st_dev == held.st_dev &&
        main.st_ino == held.st_ino && main.st_nlink == 1)
        ::unlink(mainPath.constData());
}

void releaseHoldFolder(const QString& folder, const QString& holdDir) {
    const QStringList names = QDir(holdDir).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names)
        releasePicture(folder, holdDir, name);
    QDir().rmdir(holdDir);
}

// Holding folders of copies that ended without letting go (a crash) are released by the next copy.
void releaseAbandonedHoldFolders(const QString& folder) {
    const QStringList holders = QDir(folder).entryList({kHoldPrefix + QLatin1Char('*')},
                                                       QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& holder : holders) {
        bool ok = false;
        const qint64 pid = holder.mid(kHoldPrefix.size()).toLongLong(&ok);
        if (!ok || pid <= 0 || pid == ::getpid())
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            releaseHoldFolder(folder, folder + QLatin1Char('/') + holder);
    }
}

} // namespace

TempFolder::TempFolder(QString path) : path_(std::move(path)) {}
TempFolder::TempFolder(TempFolder&&) noexcept = default;
TempFolder& TempFolder::operator=(TempFolder&&) noexcept = default;

TempFolder::~TempFolder() {
    for (const QString& file : tempList_)
        QFile::remove(file);
    if (!holdDir_.isEmpty())
        releaseHoldFolder(path_, holdDir_);
}

bool TempFolder::holdPicture(const QString& name, const QByteArray& source) {
    if (holdDir_.isEmpty()) {
        const QString dir = path_ + QLatin1Char('/') + kHoldPrefix + QString::number(::getpid());
        if (::mkdir(QFile::encodeName(dir).constData(), 0700) != 0 && errno != EEXIST)
            return false;
        holdDir_ = dir;
    }
    const QByteArray link = QFile::encodeName(holdDir_ + QLatin1Char('/') + name);
    if (held_.contains(name))
        return true;
    if (::link(source.constData(), link.constData()) != 0)
        return false;
    held_.append(name);
    return true;
}

std::optional<TempFolder> TempFolder::Open(QString* error, const QString& base) {
    const QString root = base.isEmpty() ? QDir::tempPath() : base;
    const QString path = QDir(root).filePath(QStringLiteral("morlo-%1").arg(::getuid()));
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        *error = QStringLiteral("Could not create the temporary folder %1: %2").arg(path, errnoText());
        return std::nullopt;
    }
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0) {
        *error = QStringLiteral("Could not use the temporary folder %1: %2").arg(path, errnoText());
        return std::nullopt;
    }
    if (S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode)) {
        *error =
            QStringLiteral("The temporary folder %1 is not a folder of its own (it is a link or a file).")
                .arg(path);
        return std::nullopt;
    }
    if (st.st_uid != ::getuid()) {
        *error = QStringLiteral("The temporary folder %1 belongs to another user.").arg(path);
        return std::nullopt;
    }
    if ((st.st_mode & 077) != 0) {
        *error = QStringLiteral("The temporary folder %1 is open to other users.").arg(path);
        return std::nullopt;
    }
    releaseAbandonedHoldFolders(path);
    return TempFolder(path);
}

QString TempFolder::filePath(const QString& bareName) const {
    if (!IsBareFileName(bareName))
        return {};
    return path_ + QLatin1Char('/') + bareName;
}

QString TempFolder::StorePicture(const QString& wantedName, const QByteArray& bytes, QString* error) {
    const QString name = WithoutCommas(wantedName);
    if (!IsBareFileName(name)) {
        *error = QStringLiteral("\"%1\" is not a plain file name").arg(wantedName);
        return {};
    }
    QTemporaryFile aside(path_ + QStringLiteral("/.incoming-XXXXXX"));
    if (!aside.open() || aside.write(bytes) != bytes.size() || !aside.flush()) {
        *error =
            QStringLiteral("Could not write to the temporary folder %1: %2").arg(path_, aside.errorString());
        return {};
    }
    const QByteArray asideName = QFile::encodeName(aside.fileName());
    int retries = 0;
    for (int number = 1; number < 10000; ++number) {
        const QString candidate = number == 1 ? name : numberedName(name, number);
        if (!IsBareFileName(candidate))
            break;
        const QString target = filePath(candidate);
        const QByteArray targetName = QFile::encodeName(target);
        // link() creates the name only when it is free: an existing file or link is never replaced.
        if (::link(asideName.constData(), targetName.constData()) == 0) {
            if (!holdPicture(candidate, asideName)) {
                *error = QStringLiteral("Could not keep %1: %2").arg(target, errnoText());
                ::unlink(targetName.constData()); // held by no copy, it would never be deleted
                return {};
            }
            return candidate;
        }
        if (errno != EEXIST) {
            *error = QStringLiteral("Could not write %1: %2").arg(target, errnoText());
            return {};
        }
        QString readError;
        const auto existing = readNoFollow(target, limits::kMaxPictureBytes, &readError);
        if (existing && *existing == bytes) {
            if (holdPicture(candidate, targetName))
                return candidate;
            // The copy that held it let go in between: the name may be free now, so try it again.
            if (errno == ENOENT && ++retries < 8) {
                --number;
                continue;
            }
            *error = QStringLiteral("Could not keep %1: %2").arg(target, errnoText());
            return {};
        }
    }
    *error = QStringLiteral("Could not find a free name for %1 in the temporary folder").arg(name);
    return {};
}

std::optional<QByteArray> TempFolder::ReadPicture(const QString& bareName, QString* error) const {
    const QString path = filePath(bareName);
    if (path.isEmpty()) {
        *error = QStringLiteral("\"%1\" is not a plain file name").arg(bareName);
        return std::nullopt;
    }
    QString reason;
    auto data = readNoFollow(path, limits::kMaxPictureBytes, &reason);
    if (!data)
        *error = QStringLiteral("Could not read the picture %1: %2").arg(bareName, reason);
    return data;
}

void TempFolder::AddToTempList(const QString& fullPath) {
    if (!tempList_.contains(fullPath))
        tempList_.append(fullPath);
}

QString TempFolder::frameFilesDir() {
    if (!frameDir_) {
        auto dir = std::make_unique<QTemporaryDir>(path_ + QStringLiteral("/frames-XXXXXX"));
        if (!dir->isValid())
            return {};
        frameDir_ = std::move(dir);
    }
    return frameDir_->path();
}

} // namespace morlo

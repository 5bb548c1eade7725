#pragma once
// The private temporary folder of one user: home of the picture files of all open projects (shared by
// every running copy of the program of that user) and, in a subfolder of each process, of the frame files
// of GIF output.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QTemporaryDir;

namespace morlo {

class TempFolder {
public:
    // Opens BASE/morlo-<uid>, creating it with mode 0700. Refuses (nullopt, with a message in *error) a
    // folder that is a symbolic link, is not a folder, belongs to another user or is open to others.
    // BASE defaults to the system's temporary path.
    static std::optional<TempFolder> Open(QString* error, const QString& base = QString());

    TempFolder(TempFolder&&) noexcept;
    TempFolder& operator=(TempFolder&&) noexcept;
    ~TempFolder();

    // The folder, without a trailing separator.
    const QString& path() const { return path_; }
    // The full path of a picture file; empty when `bareName` is not a bare file name.
    QString filePath(const QString& bareName) const;

    // Puts a picture into the folder under `wantedName` (commas replaced by "_") and returns the name it
    // lies under. The picture is held by this process until this object ends (the program's exit): every
    // running copy keeps a link of its own to each picture it uses in a folder of its own, and a picture
    // is deleted when the last copy that holds it lets go, so one copy's exit never takes away a picture
    // that another still shows. When a different file already lies under that name (another project's
    // picture, or anything planted there), the bytes go under a new unique name instead, so no file is ever
    // replaced and no link is followed. The file appears at once and whole (written aside, then linked into
    // place). Returns an empty name and sets *error on failure or when the name is not a bare file name.
    QString StorePicture(const QString& wantedName, const QByteArray& bytes, QString* error);

    // Reads a picture by bare name, refusing symbolic links, names that are not bare and files larger
    // than the picture limit. Returns nullopt with a message in *error.
    std::optional<QByteArray> ReadPicture(const QString& bareName, QString* error) const;

    // Registers a file for deletion when this object ends (the program's exit); each path once. Pictures
    // stored with StorePicture need no registration: they are held as described there.
    void AddToTempList(const QString& fullPath);

    // A folder of this process for the frame files of GIF output, created on first use; empty on failure.
    QString frameFilesDir();

private:
    explicit TempFolder(QString path);
    // Links the file `source` (the picture or the file written aside for it) into this process's holding
    // folder under `name`; false with errno set when that fails.
    bool holdPicture(const QString& name, const QByteArray& source);
    QString path_;
    QString holdDir_;  // <folder>/.held-<pid>, created on first use
    QStringList held_; // names of the pictures this process holds
    QStringList tempList_;
    std::unique_ptr<QTemporaryDir> frameDir_;
};

} // namespace morlo

#pragma once
// Placeholder file names of new projects: "untitled-N.mrp" with the smallest N that no open project uses.

#include <QString>
#include <QStringList>

namespace morlo {

// The smallest N from 1 such that no path of `openProjectPaths` has the file name (without folder)
// "untitled-N.mrp", compared case-sensitively. Files on disk do not count.
int UntitledNumber(const QStringList& openProjectPaths);

// `samplesFolder`/untitled-N.mrp.
QString UntitledProjectPath(const QString& samplesFolder, const QStringList& openProjectPaths);

// The file name of a path without its folder.
QString FileNameWithoutFolder(const QString& path);

} // namespace morlo

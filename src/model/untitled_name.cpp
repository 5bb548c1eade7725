#include "model/untitled_name.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace morlo {
namespace {
QString UntitledName(int n) {
    return QStringLiteral("untitled-%1.mrp").arg(n);
}
} // namespace

QString FileNameWithoutFolder(const QString& path) {
    return QFileInfo(path).fileName();
}

int UntitledNumber(const QStringList& openProjectPaths) {
    QSet<QString> used;
    for (const QString& path : openProjectPaths) {
        used.insert(FileNameWithoutFolder(path));
    }
    int n = 1;
    while (used.contains(UntitledName(n))) {
        ++n;
    }
    return n;
}

QString UntitledProjectPath(const QString& samplesFolder, const QStringList& openProjectPaths) {
    return QDir(samplesFolder).filePath(UntitledName(UntitledNumber(openProjectPaths)));
}

} // namespace morlo

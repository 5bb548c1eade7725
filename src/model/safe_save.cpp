#include "model/safe_save.h"

#include <QFileInfo>
#include <QSaveFile>

namespace morlo {

bool SaveFileSafely(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    const QString name = QFileInfo(path).fileName();
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("Could not write %1: %2").arg(name, file.errorString());
        return false;
    }
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            break;
        written += n;
    }
    if (written != bytes.size()) {
        *error = QStringLiteral("Could not write %1: %2").arg(name, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = QStringLiteral("Could not write %1: %2").arg(name, file.errorString());
        return false;
    }
    return true;
}

} // namespace morlo

#pragma once
// The picture that concurrent test processes store under the same names: the same bytes in every process,
// with no run of equal bytes, so that any torn or mixed file differs from it.

#include <QByteArray>
#include <QString>

namespace morlo::test {

inline QByteArray storedPictureBytes(int mib) {
    QByteArray bytes(static_cast<qsizetype>(mib) * 1024 * 1024, '\0');
    quint32 state = 12345;
    for (char& b : bytes) {
        state = state * 1103515245u + 12345u;
        b = static_cast<char>(state >> 24);
    }
    return bytes;
}

inline QString storedPictureName(const QString& prefix, int index) {
    return QStringLiteral("%1-%2.png").arg(prefix).arg(index);
}

} // namespace morlo::test

#pragma once
// The pictures that concurrent test processes store under the same names: the same seed gives the same
// bytes in every process, and no two seeds give files that a torn or mixed write could pass for.

#include <QByteArray>
#include <QString>

namespace morlo::test {

inline QByteArray storedPictureBytes(int mib, quint32 seed) {
    QByteArray bytes(static_cast<qsizetype>(mib) * 1024 * 1024, '\0');
    quint32 state = seed;
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

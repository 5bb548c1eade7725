#pragma once
// Whole-file reads and writes for tests.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace morlo::test {

// The file's bytes; empty when it cannot be read.
inline QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes (replacing) the file; false when not every byte was written.
inline bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace morlo::test

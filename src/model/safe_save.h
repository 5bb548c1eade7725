#pragma once
// Writing a file so that a failure never destroys the previous one: the bytes go to a scratch file beside
// it, which replaces the old file only when every write and the final flush succeeded.

#include <QByteArray>
#include <QString>

namespace morlo {

// Returns false with a message (naming the file and the reason) in *error when the file could not be
// written; the previous file, if any, is then left as it was and no scratch file remains.
bool SaveFileSafely(const QString& path, const QByteArray& bytes, QString* error);

} // namespace morlo

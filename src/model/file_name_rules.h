#pragma once
// The rule for file names taken from project files, object lines and the clipboard.

#include <QString>

namespace morlo {

// True for a bare file name that may be joined to a folder: not empty, not "." or "..", at most 255 bytes
// in UTF-8, and free of "/", "\", ":", "*", "?", "\"", "<", ">", "|" and control characters.
bool IsBareFileName(const QString& name);

// The name with every comma replaced by "_": object lines cannot hold a comma in a file name.
QString WithoutCommas(const QString& name);

} // namespace morlo

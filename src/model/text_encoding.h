#pragma once
// Decoding of lines read from files: UTF-8, with Windows-1252 for lines that are not valid UTF-8 (files
// written by older programs in the 8-bit code page).

#include <QByteArray>
#include <QString>

namespace morlo {

QString DecodeWindows1252(const QByteArray& bytes);
// UTF-8 when the bytes are valid UTF-8, Windows-1252 otherwise.
QString DecodeFileLine(const QByteArray& bytes);

} // namespace morlo

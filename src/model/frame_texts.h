#pragma once
// Texts built from frame numbers, and the reading of the toolbar's frame number box.

#include <QString>
#include <QStringList>

namespace morlo {

// "Frame - 1", "Frame - 2", ... for `frameCount` frames.
QStringList FrameListEntries(int frameCount, const QString& frameWord);

// What the frame number box shows: "Frame 7".
QString FrameNumberBoxText(const QString& frameWord, int frame);

// The frame number in text typed into the frame number box: with a space appended, text that begins with the
// frame word (case-sensitive) gives the rest after the word with surrounding blanks removed; other text is
// taken as it is. Not a whole number: 0.
int ParseFrameNumberText(const QString& typed, const QString& frameWord);

} // namespace morlo

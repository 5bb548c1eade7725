#include "model/frame_texts.h"

namespace morlo {

QStringList FrameListEntries(int frameCount, const QString& frameWord) {
    QStringList entries;
    entries.reserve(frameCount > 0 ? frameCount : 0);
    for (int n = 1; n <= frameCount; ++n) {
        entries.append(frameWord + QStringLiteral(" - ") + QString::number(n));
    }
    return entries;
}

QString FrameNumberBoxText(const QString& frameWord, int frame) {
    return frameWord + u' ' + QString::number(frame);
}

int ParseFrameNumberText(const QString& typed, const QString& frameWord) {
    const QString padded = typed + u' ';
    const QString number = padded.startsWith(frameWord) ? padded.mid(frameWord.size()) : typed;
    bool ok = false;
    const int value = number.trimmed().toInt(&ok, 10);
    return ok ? value : 0;
}

} // namespace morlo

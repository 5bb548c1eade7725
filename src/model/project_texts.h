#pragma once
// User-visible texts of the project operations. The translatable ones are plain values that the language
// table replaces; the others are fixed.

#include <QString>

namespace morlo {

struct ProjectTexts {
    QString frameWord = QStringLiteral("Frame");         // frame list entries and the frame number box
    QString waitText = QStringLiteral("Please wait..."); // status while a frame is being built
};

// Status text once a frame is shown.
inline const QString kFrameShownStatus = QStringLiteral("OK");
// Shown when the only frame of a project would be removed; never translated.
inline const QString kCouldNotDeleteFrameMessage = QStringLiteral("Could not delete this frame.");

} // namespace morlo

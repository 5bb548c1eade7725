#pragma once
// The export commands of the command line: the same project and GIF code as the editor, without a window.
// Each returns the process exit status: 0 success, 1 failure (one line on standard error naming the file
// and the reason).

#include <QString>

namespace morlo {

int ExportGifCommand(const QString& gifPath, const QString& projectPath);
int ExportBmpCommand(const QString& folder, const QString& projectPath);
int ExportFrameCommand(int frameNumber, const QString& bmpPath, const QString& projectPath);
int InfoCommand(const QString& projectPath);

} // namespace morlo

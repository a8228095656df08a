#pragma once

#include <QString>

// Shows a text file to the user without waiting: Notepad on Windows, the
// desktop's default viewer elsewhere. The outcome is not examined.
void ShowInTextViewer(const QString &filePath);

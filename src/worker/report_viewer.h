#pragma once

#include <QString>

// Shows a text file to the user without waiting: Notepad on Windows, the
// desktop's default viewer elsewhere. False when no viewer could be started.
bool ShowInTextViewer(const QString &filePath);

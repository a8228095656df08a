#pragma once

#include <QString>
#include <QStringList>

// Shows a text file to the user without waiting: Notepad on Windows, a
// graphical text viewer elsewhere. False when no viewer could be started.
bool ShowInTextViewer(const QString &filePath);

#ifndef _WIN32
// The program and arguments that show the file in a graphical viewer: the
// desktop's default for plain text (xdg-open) unless that runs in a terminal,
// which would open over nothing or in a window the user never asked for;
// else the first of the common graphical editors found on PATH. Empty when
// there is none.
QStringList GraphicalTextViewerCommand(const QString &filePath);
#endif

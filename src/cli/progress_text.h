#pragma once
// The words of the progress line: how many workbooks of the run are
// finished, how fast they go, and how long the rest will take at that pace.

#include <QString>

// "12 / 100, 3.4 workbooks/s, 0:26 left"; pace and time left are missing
// until there is a pace to go by.
QString ProgressText(int finished, int total, double elapsedSeconds);

// "0:26", "12:05", "3:02:10".
QString DurationText(qint64 seconds);

#pragma once

class QCoreApplication;

// Installs the window's English texts, built into the program's resources.
// Returns false when the program was built without them (no Qt Linguist
// tools at configure time): the window then stays Chinese.
bool LoadEnglishWindowTexts(QCoreApplication &application);

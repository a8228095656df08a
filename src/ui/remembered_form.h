#pragma once
// The form as the user last started a run with it: both paths as typed, the
// sheet name, the range text, the last row and the option boxes, each under a
// key of its own in the settings file.

class Ui_MainWindow;

// Fills the form from the settings buffer; a key that is absent or empty
// leaves its widget as the form set it up.
void ShowRememberedForm(Ui_MainWindow &form);

// Stores every remembered widget of the form in the settings file; false
// when the file could not be written.
bool RememberForm(const Ui_MainWindow &form);

#pragma once
// Where the choose dialogs open: near what the field already names, so the
// user does not start from the program's working folder.

#include <QString>

// The folder the field names, else the home folder.
QString FolderDialogStart(const QString &folderText);

// The folder holding the template the field names, else the home folder.
QString TemplateDialogStart(const QString &templateText);

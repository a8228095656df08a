#pragma once
// The questions the window puts to the user. Kept behind an interface so that
// tests can answer them without a person.

#include <QString>

#include <memory>

class QWidget;

class UserDialogs
{
  public:
    virtual ~UserDialogs() = default;
    // The chosen folder, or an empty text when the user cancelled.
    virtual QString ChooseFolder(QWidget *parent) = 0;
    // The chosen template workbook, or an empty text when the user cancelled.
    virtual QString ChooseTemplate() = 0;
    // A modal message titled "Message:".
    virtual void ShowMessage(QWidget *parent, const QString &text) = 0;
};

// The toolkit's own file dialogs and message box.
std::unique_ptr<UserDialogs> MakeStandardDialogs();

#pragma once
// The questions the window puts to the user. Kept behind an interface so that
// tests can answer them without a person.

#include <QList>
#include <QString>

#include <memory>

class QWidget;

// What the user wants when closing the window while a run goes on.
enum class CloseDuringRun {
    StopAndQuit,       // end the run after the workbook in hand, then quit
    KeepRunningInTray, // hide the window; the run goes on
    StayOpen,          // the user changed their mind
};

// One workbook of the last run that was not done, and why, in the user's words.
struct WorkbookTrouble {
    QString path;
    QString reason;
    QString detail; // the backend's own words, for whoever looks further
};

class UserDialogs
{
  public:
    virtual ~UserDialogs() = default;
    // The chosen folder, or an empty text when the user cancelled.
    virtual QString ChooseFolder(QWidget *parent, const QString &startFolder) = 0;
    // The chosen template workbook, or an empty text when the user cancelled.
    virtual QString ChooseTemplate(const QString &startFolder) = 0;
    // A modal message titled "提示" ("Message" in English).
    virtual void ShowMessage(QWidget *parent, const QString &text) = 0;
    virtual CloseDuringRun AskCloseDuringRun(QWidget *parent) = 0;
    // A yes-or-no question titled as the messages are; true for yes.
    virtual bool Confirm(QWidget *parent, const QString &question) = 0;
    // The workbooks of the last run that failed or were left, with the reasons.
    virtual void ShowTroubles(QWidget *parent, const QList<WorkbookTrouble> &troubles) = 0;
    // Opens a text file in the desktop's viewer; false when none could be started.
    virtual bool OpenTextFile(const QString &path) = 0;
};

// The template dialog's file kinds, as patterns the toolkit reads on every platform.
QString TemplateFileFilter();

// The toolkit's own file dialogs and message boxes.
std::unique_ptr<UserDialogs> MakeStandardDialogs();

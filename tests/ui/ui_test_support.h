#pragma once
// Shared by the main window tests: answers for the window's dialogs, a window
// whose workers run on the recording backend, and the settings file in a
// temporary folder.

#include "recording_backend.h"
#include "ui/mainwindow.h"
#include "ui/user_dialogs.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// Answers the file dialogs with preset texts and records the messages.
class ScriptedDialogs : public UserDialogs
{
  public:
    QString ChooseFolder(QWidget *parent, const QString &startFolder) override;
    QString ChooseTemplate(const QString &startFolder) override;
    void ShowMessage(QWidget *parent, const QString &text) override;
    CloseDuringRun AskCloseDuringRun(QWidget *parent) override;
    bool Confirm(QWidget *parent, const QString &question) override;
    void ShowTroubles(QWidget *parent, const QList<WorkbookTrouble> &troubles) override;
    bool OpenTextFile(const QString &path) override;

    QString folderAnswer;
    QString templateAnswer;
    CloseDuringRun closeAnswer = CloseDuringRun::StayOpen;
    bool viewerStarts = true;
    QStringList messages;
    QStringList startFolders; // of every choose dialog, in order
    int folderQuestions = 0;
    int templateQuestions = 0;
    int closeQuestions = 0;
    bool confirmAnswer = true;
    QStringList questions;
    QList<QList<WorkbookTrouble>> troublesShown;
    QStringList filesOpened;
};

// The settings file path points into this folder while it exists.
struct SettingsFolder {
    SettingsFolder();
    QString SettingsPath() const;

    QTemporaryDir dir;
};

// A window whose dialogs are scripted and whose workers use `backend`, or
// without one the backends the program itself composes.
struct TestWindow {
    TestWindow();
    explicit TestWindow(RecordingBackend &backend);

    template <typename T> T *Widget(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }

    std::unique_ptr<MainWindow> window;
    ScriptedDialogs *dialogs; // owned by the window
};

#include "ui_test_support.h"

#include "app/path_values.h"
#include "worker/merge_object.h"

#include <QFile>

QString ScriptedDialogs::ChooseFolder(QWidget *, const QString &startFolder)
{
    ++folderQuestions;
    startFolders << startFolder;
    return folderAnswer;
}

QString ScriptedDialogs::ChooseTemplate(const QString &startFolder)
{
    ++templateQuestions;
    startFolders << startFolder;
    return templateAnswer;
}

void ScriptedDialogs::ShowMessage(QWidget *, const QString &text)
{
    messages << text;
}

CloseDuringRun ScriptedDialogs::AskCloseDuringRun(QWidget *)
{
    ++closeQuestions;
    return closeAnswer;
}

bool ScriptedDialogs::Confirm(QWidget *, const QString &question)
{
    questions << question;
    return confirmAnswer;
}

void ScriptedDialogs::ShowTroubles(QWidget *, const QList<WorkbookTrouble> &troubles)
{
    troublesShown << troubles;
}

bool ScriptedDialogs::OpenTextFile(const QString &path)
{
    filesOpened << path;
    return viewerStarts;
}

SettingsFolder::SettingsFolder()
{
    SetPathValues(QFile::encodeName(dir.filePath(QStringLiteral("Sheetwright"))).constData());
}

QString SettingsFolder::SettingsPath() const
{
    return QFile::decodeName(settingsFilePath);
}

TestWindow::TestWindow() : window(std::make_unique<MainWindow>())
{
    auto scripted = std::make_unique<ScriptedDialogs>();
    dialogs = scripted.get();
    window->SetDialogs(std::move(scripted));
}

TestWindow::TestWindow(RecordingBackend &backend) : TestWindow()
{
    window->SetWorkerSetup(
        [&backend](MergeObject &worker) { worker.SetAppFactory(backend.Factory()); });
}

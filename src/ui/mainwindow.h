#pragma once
// The program's only window and the controller of a batch run: it checks a
// run request, fills the run options, hands the run to a fresh worker on its
// own thread and shows the worker's progress in the status line and the
// progress bar.

#include "ui/run_tally.h"

#include <QMainWindow>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>
#include <memory>

class MergeObject;
class QThread;
class RunEndRelay;
class SystemTray;
class Ui_MainWindow;
class UserDialogs;

class MainWindow : public QMainWindow
{
    Q_OBJECT

  public:
    // Prepares each new worker, after it has been given the standard backends
    // and before it moves to its thread (tests: another backend, report viewer).
    using WorkerSetup = std::function<void(MergeObject &)>;

    explicit MainWindow(QWidget *parent = nullptr);
    // Lets a run in progress finish the workbook in hand, then ends it, so that
    // leaving the program never leaves a workbook half-done.
    ~MainWindow() override;

    void SetDialogs(std::unique_ptr<UserDialogs> replacement);
    void SetWorkerSetup(WorkerSetup setup);

  signals:
    void pBtn_Transform_HasClicked();
    void pBtn_UnMerge_HasClicked();

  public slots:
    void ShowSoftWindow();
    void SystemTrayActivated(QSystemTrayIcon::ActivationReason reason);

  protected:
    // During a run, asks whether to stop and quit or to keep running in the tray.
    void closeEvent(QCloseEvent *event) override;

  private slots:
    void on_ShowDisposingFile(QString filePath);
    void on_pBtn_SourcePath_clicked();
    void on_pBtn_Transform_clicked();
    void on_Signal_SetButtonEnable();
    void on_pBtn_TemplatePath_clicked();
    void on_cBox_AppointedSheet_clicked();
    void on_cBox_AppointedRange_clicked();
    void on_pBtn_UnMerge_clicked();
    void on_pBtn_Undo_clicked();
    void on_pBtn_Stop_clicked();
    void on_pBtn_Details_clicked();

  private:
    void PlaceOnScreen();
    void CreateTray();
    void ShowRememberedSettings();
    bool SourceFolderAccepted();
    bool TemplateAccepted();
    bool RangeTextAccepted();
    void TakeSheetAndRangeOptions();
    void TakePasteOptions();
    void StartRun(void (MainWindow::*request)(), void (MergeObject::*run)());
    void ReplaceWorker();
    void DisposeWorker();
    void SetRunning(bool running);
    void TakeRunStart(int workbookCount);
    void TakeWorkbookEnd(const WorkbookProgress &progress);
    void ShowProgress();
    void ShowRunEnd();
    void ShowTemplateProblem();
    void OpenReport(const QString &reportPath);
    // During a run, asks whether to stop and quit, keep running in the tray or
    // stay; true when the program may end now.
    bool MayQuitDuringRun();
    QList<WorkbookTrouble> UntouchedWorkbooks() const;

    RunEndRelay *runEndRelay; // made before the form, so the form's by-name connection finds it
    std::unique_ptr<Ui_MainWindow> form;
    int screenWidth = 0;
    int screenHeight = 0;
    int rememberedHeight = 0;
    int rememberedWidth = 0;
    QThread *workerThread = nullptr;
    MergeObject *worker = nullptr;
    std::unique_ptr<UserDialogs> dialogs;
    WorkerSetup workerSetup;
    SystemTray *tray = nullptr;
    bool running = false;
    QString runFolder; // the folder of the run in progress or last ended
    RunTally tally;
    QTimer progressClock; // advances the elapsed time while one workbook takes long
};

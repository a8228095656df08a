#include "ui/mainwindow.h"

#include "app/system_tray.h"
#include "backends/range_check.h"
#include "backends/standard_backends.h"
#include "history/run_undo.h"
#include "ui/dialog_start.h"
#include "ui/failure_reasons.h"
#include "ui/remembered_form.h"
#include "ui/remembered_values.h"
#include "ui/run_end_relay.h"
#include "ui/user_dialogs.h"
#include "ui/whole_titles_style.h"
#include "ui_mainwindow.h"
#include "worker/folder_walk.h"
#include "worker/lock_file.h"
#include "worker/merge_object.h"
#include "worker/run_options.h"
#include "worker/run_report.h"
#include "worker/status_texts.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QThread>

#include <algorithm>

namespace
{

bool IsOn(const QCheckBox *box)
{
    return box->checkState() == Qt::Checked;
}

QString NativeText(const QLineEdit *field)
{
    return QDir::toNativeSeparators(field->text());
}

// Full-width colons, as a Chinese input method types them, become ":".
QString RangeText(const QLineEdit *field)
{
    return field->text().replace(QStringLiteral("："), QStringLiteral(":"));
}

// The value itself, not the displayed text: a locale with other digits
// would otherwise turn the last row into an address no sheet accepts.
QString DecimalText(const QSpinBox *box)
{
    return QString::number(box->value());
}

// What an undo did; whole sentences, so a translation can order its words.
QString UndoneText(const history::UndoOutcome &outcome)
{
    const int left = outcome.changedSince.size() + outcome.failed.size();
    if (left == 0)
        return MainWindow::tr("已撤销上次操作：恢复%1个工作簿。").arg(outcome.restored.size());
    return MainWindow::tr(
               "已撤销上次操作：恢复%1个工作簿，%2个未恢复（之后被改动或正被其他程序打开）。")
        .arg(outcome.restored.size())
        .arg(left);
}

// The job and the time of a run as a user reads them: "格式设置（2026-12-07 20:15）".
QString RunDescription(const QString &job, const QString &startedAt)
{
    const QString jobName = job == QLatin1String("unmerge") ? MainWindow::tr("批量取消合并单元格")
                                                            : MainWindow::tr("批量设置格式");
    const QDateTime when = QDateTime::fromString(startedAt, Qt::ISODate);
    const QString time =
        when.isValid() ? when.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : startedAt;
    return MainWindow::tr("%1（%2）").arg(jobName, time);
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), runEndRelay(new RunEndRelay(this)),
      form(std::make_unique<Ui_MainWindow>()), dialogs(MakeStandardDialogs())
{
    form->setupUi(this);
    auto *titlesStyle = new WholeTitlesStyle;
    titlesStyle->setParent(this);
    for (QGroupBox *box : findChildren<QGroupBox *>())
        box->setStyle(titlesStyle);
    PlaceOnScreen();
    setWindowTitle(QStringLiteral("Sheetwright " SHEETWRIGHT_WINDOW_VERSION));
    setWindowIcon(QIcon(QStringLiteral(":/images/orv.ico")));
    CreateTray();
    ShowRememberedSettings();
    progressClock.setInterval(1000);
    connect(&progressClock, &QTimer::timeout, this, &MainWindow::ShowProgress);
}

MainWindow::~MainWindow()
{
    if (worker)
        worker->RequestStop();
    DisposeWorker();
}

void MainWindow::SetDialogs(std::unique_ptr<UserDialogs> replacement)
{
    dialogs = std::move(replacement);
}

void MainWindow::SetWorkerSetup(WorkerSetup setup)
{
    workerSetup = std::move(setup);
}

void MainWindow::PlaceOnScreen()
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    screenWidth = screen.width();
    screenHeight = screen.height();
    rememberedHeight = height();
    rememberedWidth = width();
    move((screenWidth - width()) / 2, (screenHeight - height()) / 3);
}

void MainWindow::CreateTray()
{
    tray = new SystemTray(this);
    // Quitting from the tray during a run asks as closing the window does.
    tray->SetQuitGuard([this] { return MayQuitDuringRun(); });
    connect(tray, &SystemTray::showWidget, this, &MainWindow::ShowSoftWindow);
    connect(tray, &QSystemTrayIcon::activated, this, &MainWindow::SystemTrayActivated);
}

void MainWindow::ShowRememberedSettings()
{
    LoadSettingsFile();
    ShowRememberedForm(*form);
    // The dependent fields follow the remembered boxes as they follow clicks.
    on_cBox_AppointedSheet_clicked();
    on_cBox_AppointedRange_clicked();
}

void MainWindow::ShowSoftWindow()
{
    showNormal();
    resize(rememberedWidth, rememberedHeight);
    raise();
    activateWindow();
}

void MainWindow::SystemTrayActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
        ShowSoftWindow();
}

void MainWindow::on_ShowDisposingFile(QString filePath)
{
    form->lb_ShowDisposing->setText(filePath);
}

void MainWindow::on_pBtn_SourcePath_clicked()
{
    const QString folder =
        dialogs->ChooseFolder(this, FolderDialogStart(form->lEdt_SourcePath->text()));
    if (folder.isEmpty())
        return;
    const QString folderText = QDir::toNativeSeparators(folder + QLatin1Char('/'));
    form->lEdt_SourcePath->setText(folderText);
    RememberValue(kSourcePathKey, folderText);
}

void MainWindow::on_pBtn_TemplatePath_clicked()
{
    const QString file =
        dialogs->ChooseTemplate(TemplateDialogStart(form->lEdt_TemplatePath->text()));
    if (file.isEmpty())
        return;
    const QString templateText = QDir::toNativeSeparators(file);
    form->lEdt_TemplatePath->setText(templateText);
    RememberValue(kTemplatePathKey, templateText);
}

void MainWindow::on_cBox_AppointedSheet_clicked()
{
    form->lEdt_AppointedSheetName->setEnabled(IsOn(form->cBox_AppointedSheet));
}

void MainWindow::on_cBox_AppointedRange_clicked()
{
    const bool rangeOn = IsOn(form->cBox_AppointedRange);
    form->lEdt_AppointedRange->setEnabled(rangeOn);
    form->sBox_LastRow->setEnabled(!rangeOn);
}

void MainWindow::on_pBtn_Transform_clicked()
{
    runOptions.sourcePath = NativeText(form->lEdt_SourcePath);
    runOptions.templatePath = NativeText(form->lEdt_TemplatePath);
    runOptions.lastRowText = DecimalText(form->sBox_LastRow);
    if (!SourceFolderAccepted() || !TemplateAccepted() || !RangeTextAccepted())
        return;
    TakeSheetAndRangeOptions();
    TakePasteOptions();
    StartRun(&MainWindow::pBtn_Transform_HasClicked, &MergeObject::Transform);
}

void MainWindow::on_pBtn_UnMerge_clicked()
{
    runOptions.sourcePath = NativeText(form->lEdt_SourcePath);
    if (!SourceFolderAccepted())
        return;
    TakeSheetAndRangeOptions();
    StartRun(&MainWindow::pBtn_UnMerge_HasClicked, &MergeObject::UnMerge);
}

void MainWindow::on_Signal_SetButtonEnable()
{
    tally.End();
    SetRunning(false);
    ShowRunEnd();
}

void MainWindow::on_pBtn_Undo_clicked()
{
    const QString folder = form->lEdt_SourcePath->text();
    if (!QFileInfo(folder).isDir())
        return dialogs->ShowMessage(this, tr("Excel文件所在文件夹不存在!"));
    const history::UndoPlan plan = history::PlanUndo(folder);
    if (plan.run.id.isEmpty())
        return dialogs->ShowMessage(this, tr("这个文件夹没有可以撤销的操作。"));
    QString question = tr("撤销上次操作“%1”：%2个工作簿将恢复为原文件。")
                           .arg(RunDescription(plan.run.job, plan.run.startedAt))
                           .arg(plan.restorable.size());
    if (!plan.changedSince.isEmpty())
        question += tr("\n另有%1个工作簿之后被改动过，不会恢复。").arg(plan.changedSince.size());
    if (!dialogs->Confirm(this, question))
        return;
    const history::UndoOutcome outcome = history::UndoLastRun(folder, IsOpenElsewhere);
    on_ShowDisposingFile(UndoneText(outcome));
}

void MainWindow::on_pBtn_Stop_clicked()
{
    if (worker)
        worker->RequestStop();
    form->pBtn_Stop->setEnabled(false);
}

void MainWindow::on_pBtn_Details_clicked()
{
    QList<WorkbookTrouble> troubles = tally.Troubles();
    if (worker && worker->LastRunEnd() == RunEnd::Stopped)
        troubles += UntouchedWorkbooks();
    dialogs->ShowTroubles(this, troubles);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (MayQuitDuringRun())
        return QMainWindow::closeEvent(event);
    event->ignore();
}

bool MainWindow::MayQuitDuringRun()
{
    if (!running)
        return true;
    switch (dialogs->AskCloseDuringRun(this)) {
    case CloseDuringRun::StopAndQuit:
        // The destructor waits for the workbook in hand once the loop has ended.
        worker->RequestStop();
        return true;
    case CloseDuringRun::KeepRunningInTray:
        // Without a notification area, a hidden window could not be found again.
        QSystemTrayIcon::isSystemTrayAvailable() ? hide() : showMinimized();
        return false;
    case CloseDuringRun::StayOpen:
        break;
    }
    return false;
}

bool MainWindow::SourceFolderAccepted()
{
    if (QFileInfo(runOptions.sourcePath).isDir())
        return true;
    dialogs->ShowMessage(this, tr("Excel文件所在文件夹不存在!"));
    return false;
}

bool MainWindow::TemplateAccepted()
{
    if (QFileInfo(runOptions.templatePath).isFile())
        return true;
    dialogs->ShowMessage(this, tr("excel模板文件不存在!"));
    return false;
}

// A mistyped address would let every workbook be saved unchanged and counted as
// done. Checked before any option is taken, so a refused start leaves them all.
bool MainWindow::RangeTextAccepted()
{
    if (!IsOn(form->cBox_AppointedRange))
        return true;
    const QString entry = FirstInvalidRangeEntry(RangeText(form->lEdt_AppointedRange));
    if (entry.isNull())
        return true;
    dialogs->ShowMessage(this, tr("指定区域写法有误：%1").arg(entry));
    return false;
}

// The form as it is now: a name or range text of an earlier run whose box is
// now off must not reach this run.
void MainWindow::TakeSheetAndRangeOptions()
{
    runOptions.appointedSheet = IsOn(form->cBox_AppointedSheet);
    runOptions.appointedSheetName =
        runOptions.appointedSheet ? form->lEdt_AppointedSheetName->text() : QString();
    runOptions.onlyFirstSheet = IsOn(form->cBox_OnlyFirstSheet);
    runOptions.appointedRange = IsOn(form->cBox_AppointedRange);
    runOptions.appointedRangeText =
        runOptions.appointedRange ? RangeText(form->lEdt_AppointedRange) : QString();
}

void MainWindow::TakePasteOptions()
{
    runOptions.justColWidth = IsOn(form->cBox_JustColWidth);
    runOptions.withFormulas = IsOn(form->cBox_WithFormulas);
    runOptions.withValues = IsOn(form->cBox_WithValues);
}

void MainWindow::StartRun(void (MainWindow::*request)(), void (MergeObject::*run)())
{
    runOptions.reportPath = RunReportPath(runOptions.sourcePath);
    runOptions.keepOriginals = true;      // every run from the window can be undone
    QFile::remove(runOptions.reportPath); // a report that stays is only out of date
    RememberForm(*form);
    ReplaceWorker();
    connect(worker, &MergeObject::ShowDisposingFile, this, &MainWindow::on_ShowDisposingFile);
    connect(this, request, worker, run);
    connect(worker, &MergeObject::Signal_SetButtonEnable, runEndRelay,
            &RunEndRelay::SetButtonEnable);
    connect(worker, &MergeObject::Signal_RunStarted, this, &MainWindow::TakeRunStart);
    connect(worker, &MergeObject::Signal_WorkbookFinished, this, &MainWindow::TakeWorkbookEnd);
    tally.Start(0);
    runFolder = runOptions.sourcePath;
    emit(this->*request)();
    SetRunning(true);
}

void MainWindow::ReplaceWorker()
{
    DisposeWorker();
    workerThread = new QThread;
    workerThread->start(QThread::InheritPriority);
    worker = new MergeObject(QStringLiteral("tem"), nullptr);
    worker->SetBackends(StandardBackends());
    // The report is shown from the window's thread, where the window can say
    // where it lies when no viewer starts.
    worker->SetReportViewer([this](const QString &reportPath) {
        QMetaObject::invokeMethod(
            this, [this, reportPath] { OpenReport(reportPath); }, Qt::QueuedConnection);
    });
    if (workerSetup)
        workerSetup(*worker);
    worker->moveToThread(workerThread);
}

// The thread is stopped first, so the worker is never deleted while its
// thread could still deliver an event to it.
void MainWindow::DisposeWorker()
{
    if (workerThread) {
        workerThread->quit();
        workerThread->wait();
    }
    delete worker;
    worker = nullptr;
    delete workerThread;
    workerThread = nullptr;
}

void MainWindow::SetRunning(bool on)
{
    running = on;
    form->pBtn_Transform->setEnabled(!on);
    form->pBtn_UnMerge->setEnabled(!on);
    form->pBtn_Stop->setEnabled(on);
    form->pBtn_Undo->setEnabled(!on);
    if (on) {
        form->pBtn_Details->setEnabled(false);
        progressClock.start();
    } else {
        progressClock.stop();
    }
    ShowProgress();
}

void MainWindow::TakeRunStart(int workbookCount)
{
    tally.Start(workbookCount);
    ShowProgress();
}

void MainWindow::TakeWorkbookEnd(const WorkbookProgress &progress)
{
    tally.Finish(progress.path, progress.result.outcome, progress.result.reason);
    ShowProgress();
}

void MainWindow::ShowProgress()
{
    QProgressBar *bar = form->prgBar_Progress;
    bar->setMaximum(std::max(tally.Total(), 1));
    bar->setValue(tally.Finished());
    bar->setFormat(tally.ProgressText());
    // Hidden in the tray, the run shows how far it has got on the icon.
    tray->setToolTip(running ? windowTitle() + QLatin1Char('\n') + tally.ProgressText()
                             : QStringLiteral("Sheetwright"));
}

// The summary keeps the run's own text; the counts, a stop and where the
// report lies follow it.
void MainWindow::ShowRunEnd()
{
    const RunEnd end = worker->LastRunEnd();
    if (end == RunEnd::TemplateUnusable)
        return ShowTemplateProblem();
    if (end != RunEnd::Completed && end != RunEnd::Stopped)
        return;
    QString summary = form->lb_ShowDisposing->text() + tally.EndText(end == RunEnd::Stopped);
    if (!worker->WrittenReport().isEmpty())
        summary += QLatin1Char('\n') + ReportPlaceText(worker->WrittenReport());
    else if (!worker->ReportProblem().isEmpty())
        summary += QLatin1Char('\n') +
                   ReportNotWrittenText(runOptions.reportPath, worker->ReportProblem());
    form->lb_ShowDisposing->setText(summary);
    form->pBtn_Details->setEnabled(!tally.Troubles().isEmpty() || end == RunEnd::Stopped);
    if (!isVisible())
        tray->showMessage(windowTitle(), summary);
}

// The backend's reason, in the window's words, after the template's path.
void MainWindow::ShowTemplateProblem()
{
    const QString problem = worker->TemplateProblem();
    if (!problem.isEmpty())
        on_ShowDisposingFile(
            TemplateUnreadableText(runOptions.templatePath, ReasonInWindowLanguage(problem)));
}

// A viewer is started only for a user who is looking: not over another
// program while the window waits in the tray. The status line names the path.
void MainWindow::OpenReport(const QString &reportPath)
{
    if (isVisible() && !isMinimized())
        dialogs->OpenTextFile(reportPath);
}

// Every workbook of the folder whose turn had not ended when the run stopped.
QList<WorkbookTrouble> MainWindow::UntouchedWorkbooks() const
{
    QList<WorkbookTrouble> untouched;
    const QStringList paths = WorkbookPaths(worker->CollectFiles(runFolder));
    for (const QString &path : paths)
        if (!tally.HasEnded(path))
            untouched << WorkbookTrouble{path, tr("未处理：运行已停止"), QString()};
    return untouched;
}

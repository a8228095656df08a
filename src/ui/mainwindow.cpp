#include "ui/mainwindow.h"

#include "app/system_tray.h"
#include "backends/range_check.h"
#include "backends/standard_backends.h"
#include "ui/remembered_paths.h"
#include "ui/user_dialogs.h"
#include "ui_mainwindow.h"
#include "worker/merge_object.h"
#include "worker/run_options.h"
#include "worker/run_report.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QThread>

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

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), form(std::make_unique<Ui_MainWindow>()), dialogs(MakeStandardDialogs())
{
    form->setupUi(this);
    PlaceOnScreen();
    setWindowTitle(QStringLiteral("Sheetwright") + QStringLiteral("2.2"));
    setWindowIcon(QIcon(QStringLiteral(":/images/orv.ico")));
    CreateTray();
    ShowRememberedPaths();
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
    auto *tray = new SystemTray(this);
    connect(tray, &SystemTray::showWidget, this, &MainWindow::ShowSoftWindow);
    connect(tray, &QSystemTrayIcon::activated, this, &MainWindow::SystemTrayActivated);
}

void MainWindow::ShowRememberedPaths()
{
    LoadSettingsFile();
    const QString sourcePath = RememberedPath(kSourcePathKey);
    if (!sourcePath.isEmpty())
        form->lEdt_SourcePath->setText(sourcePath);
    const QString templatePath = RememberedPath(kTemplatePathKey);
    if (!templatePath.isEmpty())
        form->lEdt_TemplatePath->setText(templatePath);
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
    const QString folder = dialogs->ChooseFolder(this);
    if (folder.isEmpty())
        return;
    const QString folderText = QDir::toNativeSeparators(folder + QLatin1Char('/'));
    form->lEdt_SourcePath->setText(folderText);
    RememberPath(kSourcePathKey, folderText);
}

void MainWindow::on_pBtn_TemplatePath_clicked()
{
    const QString file = dialogs->ChooseTemplate();
    if (file.isEmpty())
        return;
    const QString templateText = QDir::toNativeSeparators(file);
    form->lEdt_TemplatePath->setText(templateText);
    RememberPath(kTemplatePathKey, templateText);
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
    SetRunButtonsEnabled(true);
}

bool MainWindow::SourceFolderAccepted()
{
    if (QFileInfo(runOptions.sourcePath).isDir())
        return true;
    dialogs->ShowMessage(this, QStringLiteral("Excel文件所在文件夹不存在!"));
    return false;
}

bool MainWindow::TemplateAccepted()
{
    if (QFileInfo(runOptions.templatePath).isFile())
        return true;
    dialogs->ShowMessage(this, QStringLiteral("excel模板文件不存在!"));
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
    dialogs->ShowMessage(this, QStringLiteral("指定区域写法有误：") + entry);
    return false;
}

void MainWindow::TakeSheetAndRangeOptions()
{
    runOptions.appointedSheet = IsOn(form->cBox_AppointedSheet);
    if (runOptions.appointedSheet)
        runOptions.appointedSheetName = form->lEdt_AppointedSheetName->text();
    runOptions.onlyFirstSheet = IsOn(form->cBox_OnlyFirstSheet);
    runOptions.appointedRange = IsOn(form->cBox_AppointedRange);
    if (runOptions.appointedRange)
        runOptions.appointedRangeText = RangeText(form->lEdt_AppointedRange);
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
    QFile::remove(runOptions.reportPath); // a report that stays is only out of date
    ReplaceWorker();
    connect(worker, &MergeObject::ShowDisposingFile, this, &MainWindow::on_ShowDisposingFile);
    connect(this, request, worker, run);
    connect(worker, &MergeObject::Signal_SetButtonEnable, this,
            &MainWindow::on_Signal_SetButtonEnable);
    emit(this->*request)();
    SetRunButtonsEnabled(false);
}

void MainWindow::ReplaceWorker()
{
    DisposeWorker();
    workerThread = new QThread;
    workerThread->start(QThread::InheritPriority);
    worker = new MergeObject(QStringLiteral("tem"), nullptr);
    worker->SetBackends(StandardBackends());
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

void MainWindow::SetRunButtonsEnabled(bool enabled)
{
    form->pBtn_Transform->setEnabled(enabled);
    form->pBtn_UnMerge->setEnabled(enabled);
}

#include "ui/user_dialogs.h"

#include "ui/troubles_dialog.h"
#include "worker/report_viewer.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace
{

class StandardDialogs : public UserDialogs
{
    Q_DECLARE_TR_FUNCTIONS(StandardDialogs)

  public:
    QString ChooseFolder(QWidget *parent, const QString &startFolder) override
    {
        return QFileDialog::getExistingDirectory(parent, tr("选择文件夹"), startFolder,
                                                 QFileDialog::ShowDirsOnly |
                                                     QFileDialog::DontResolveSymlinks);
    }

    QString ChooseTemplate(const QString &startFolder) override
    {
        return QFileDialog::getOpenFileName(nullptr, tr("选择Excel文件"), startFolder,
                                            TemplateFileFilter());
    }

    void ShowMessage(QWidget *parent, const QString &text) override
    {
        QMessageBox::about(parent, MessageTitle(), text);
    }

    CloseDuringRun AskCloseDuringRun(QWidget *parent) override;

    bool Confirm(QWidget *parent, const QString &question) override
    {
        return QMessageBox::question(parent, MessageTitle(), question) ==
               QMessageBox::Yes;
    }

    void ShowTroubles(QWidget *parent, const QList<WorkbookTrouble> &troubles) override
    {
        ShowTroublesDialog(parent, troubles);
    }

    bool OpenTextFile(const QString &path) override { return ShowInTextViewer(path); }

  private:
    // A word of the window's language, not an English label in a Chinese window.
    static QString MessageTitle() { return tr("提示"); }
};

CloseDuringRun StandardDialogs::AskCloseDuringRun(QWidget *parent)
{
    QMessageBox box(QMessageBox::Question, MessageTitle(),
                    tr("正在批量处理Excel文件。\n"
                       "停止并退出：当前文件保存后停止，其余文件不做改动。\n"
                       "在托盘中继续运行：关闭窗口，处理继续，完成后托盘图标会提示。"),
                    QMessageBox::NoButton, parent);
    QPushButton *stop = box.addButton(tr("停止并退出"), QMessageBox::AcceptRole);
    QPushButton *keep = box.addButton(tr("在托盘中继续运行"), QMessageBox::AcceptRole);
    box.addButton(tr("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.exec();
    if (box.clickedButton() == stop)
        return CloseDuringRun::StopAndQuit;
    if (box.clickedButton() == keep)
        return CloseDuringRun::KeepRunningInTray;
    return CloseDuringRun::StayOpen;
}

} // namespace

// Space-separated patterns: Qt reads the semicolon form as a single pattern
// that matches nothing outside Windows.
QString TemplateFileFilter()
{
    return QStringLiteral("*.xls *.xlsx *.xlsm");
}

std::unique_ptr<UserDialogs> MakeStandardDialogs()
{
    return std::make_unique<StandardDialogs>();
}

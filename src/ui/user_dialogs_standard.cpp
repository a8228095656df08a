#include "ui/user_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace
{

class StandardDialogs : public UserDialogs
{
  public:
    QString ChooseFolder(QWidget *parent) override
    {
        return QFileDialog::getExistingDirectory(
            parent, QStringLiteral("选择文件夹"), QStringLiteral("."),
            QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    }

    QString ChooseTemplate() override
    {
        return QFileDialog::getOpenFileName(nullptr, QStringLiteral("选择Excel文件"),
                                            QStringLiteral("."),
                                            QStringLiteral("*.xls;*.xlsx;*.xlsm"));
    }

    void ShowMessage(QWidget *parent, const QString &text) override
    {
        QMessageBox::about(parent, QStringLiteral("Message:"), text);
    }
};

} // namespace

std::unique_ptr<UserDialogs> MakeStandardDialogs()
{
    return std::make_unique<StandardDialogs>();
}

#include "ui/troubles_dialog.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{

QTreeWidget *TroublesList(const QList<WorkbookTrouble> &troubles, QWidget *parent)
{
    auto *list = new QTreeWidget(parent);
    list->setObjectName(QStringLiteral("troublesList"));
    list->setRootIsDecorated(false);
    list->setHeaderLabels({QCoreApplication::translate("TroublesDialog", "文件"),
                           QCoreApplication::translate("TroublesDialog", "原因")});
    for (const WorkbookTrouble &trouble : troubles) {
        auto *row = new QTreeWidgetItem(list, {trouble.path, trouble.reason});
        row->setToolTip(0, trouble.path);
        row->setToolTip(1, trouble.detail);
    }
    list->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    list->setColumnWidth(0, 480);
    return list;
}

} // namespace

void ShowTroublesDialog(QWidget *parent, const QList<WorkbookTrouble> &troubles)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QCoreApplication::translate("TroublesDialog", "详情"));
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(TroublesList(troubles, &dialog));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(860, 400);
    dialog.exec();
}

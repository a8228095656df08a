// What the window's dialogs offer: the template dialog's file kinds, where the
// choose dialogs open, and the reasons the details list gives in Chinese.

#include "ui/dialog_start.h"
#include "ui/failure_reasons.h"
#include "ui/user_dialogs.h"
#include "worker_test_support.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QListView>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace
{

QStringList ListedNames(const QListView &list)
{
    QStringList names;
    const QModelIndex root = list.rootIndex();
    for (int row = 0; row < list.model()->rowCount(root); ++row)
        names << list.model()->index(row, 0, root).data().toString();
    names.sort();
    return names;
}

} // namespace

class DialogsTest : public QObject
{
    Q_OBJECT

  private slots:
    void templateDialogListsEveryWorkbookKind();
    void dialogsStartNearTheField_data();
    void dialogsStartNearTheField();
    void reasonsAreGivenInChinese_data();
    void reasonsAreGivenInChinese();
    void messagesAreTitledInTheWindowsLanguage();
};

void DialogsTest::templateDialogListsEveryWorkbookKind()
{
    QTemporaryDir dir;
    MakeFiles(dir.path(), {"a.xlsx", "b.xls", "c.xlsm", "D.XLSX", "notes.txt", "e.csv", "f.xlsb"});
    QFileDialog dialog(nullptr, QStringLiteral("选择Excel文件"), dir.path(), TemplateFileFilter());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.show();
    const auto *list = dialog.findChild<QListView *>(QStringLiteral("listView"));
    QVERIFY(list);
    QTRY_COMPARE(ListedNames(*list), (QStringList{"D.XLSX", "a.xlsx", "b.xls", "c.xlsm"}));
}

void DialogsTest::dialogsStartNearTheField_data()
{
    QTest::addColumn<bool>("isTemplate");
    QTest::addColumn<QString>("fieldText");
    QTest::addColumn<QString>("start");

    QTest::newRow("folder") << false << "<root>/books/"
                            << "<root>/books";
    QTest::newRow("folder without final separator") << false << "<root>/books"
                                                    << "<root>/books";
    QTest::newRow("missing folder") << false << "<root>/gone/"
                                    << "<home>";
    QTest::newRow("empty folder field") << false << ""
                                        << "<home>";
    QTest::newRow("folder field names a file") << false << "<root>/books/t.xlsx"
                                               << "<home>";
    QTest::newRow("template") << true << "<root>/books/t.xlsx"
                              << "<root>/books";
    QTest::newRow("template not there yet") << true << "<root>/books/new.xlsx"
                                            << "<root>/books";
    QTest::newRow("template in a missing folder") << true << "<root>/gone/t.xlsx"
                                                  << "<home>";
    QTest::newRow("empty template field") << true << ""
                                          << "<home>";
}

void DialogsTest::dialogsStartNearTheField()
{
    QFETCH(bool, isTemplate);
    QFETCH(QString, fieldText);
    QFETCH(QString, start);
    QTemporaryDir root;
    MakeFiles(root.path(), {"books/t.xlsx"});
    const auto resolve = [&root](QString text) {
        return text.replace("<root>", root.path()).replace("<home>", QDir::homePath());
    };
    const QString field = QDir::toNativeSeparators(resolve(fieldText));
    QCOMPARE(isTemplate ? TemplateDialogStart(field) : FolderDialogStart(field), resolve(start));
}

void DialogsTest::reasonsAreGivenInChinese_data()
{
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("chinese");

    QTest::newRow("open elsewhere") << "the workbook is open in another program"
                                    << "文件正在被其他程序打开";
    QTest::newRow("encrypted") << "the workbook is encrypted (password protected)"
                               << "文件已加密（有密码保护）";
    QTest::newRow("damaged") << "damaged zip entry xl/worksheets/sheet1.xml"
                             << "文件已损坏";
    QTest::newRow("damaged sheet") << "sheet \"Data\": damaged XML: mismatched end tag"
                                   << "文件已损坏";
    QTest::newRow("not a zip") << "not a readable zip package: Not a zip archive"
                               << "不是Excel工作簿";
    QTest::newRow("empty") << "the workbook file is empty (0 bytes)"
                           << "文件是空的（0字节）";
    QTest::newRow("legacy") << "a legacy binary workbook (.xls) cannot be edited"
                            << "旧版 .xls 文件，需要安装 LibreOffice Calc 才能处理";
    QTest::newRow("needs LibreOffice") << "LibreOffice Calc is needed for .xls workbooks"
                                       << "需要安装 LibreOffice Calc 才能处理 .xls 文件";
    QTest::newRow("LibreOffice failed, is not missing")
        << "LibreOffice stopped responding or ended while working on the workbook"
        << "LibreOffice stopped responding or ended while working on the workbook";
    QTest::newRow("template copy") << "sheet \"Data\": the copy failed: damaged XML: x"
                                   << "模板区域无法复制：damaged XML: x";
    QTest::newRow("run's template copy, cause unknown") << "模板区域无法复制：clipboard busy"
                                                        << "模板区域无法复制：clipboard busy";
    QTest::newRow("read-only") << "the workbook is read-only"
                               << "保存失败：文件是只读的";
    QTest::newRow("save failed") << "cannot replace the workbook: No space left on device"
                                 << "保存失败";
    QTest::newRow("already Chinese") << "需要安装 LibreOffice Calc 才能处理 .xls 文件"
                                     << "需要安装 LibreOffice Calc 才能处理 .xls 文件";
    QTest::newRow("unknown") << "something new"
                             << "something new";
}

void DialogsTest::reasonsAreGivenInChinese()
{
    QFETCH(QString, reason);
    QFETCH(QString, chinese);
    QCOMPARE(ReasonInWindowLanguage(reason), chinese);
}

// The three message boxes of the window carry a Chinese title, not "Message:".
void DialogsTest::messagesAreTitledInTheWindowsLanguage()
{
    const std::unique_ptr<UserDialogs> dialogs = MakeStandardDialogs();
    QStringList titles;
    const auto closeNextBox = [&titles] {
        QTimer::singleShot(0, [&titles] {
            QWidget *box = QApplication::activeModalWidget();
            titles << (box ? box->windowTitle() : QStringLiteral("no box"));
            if (box)
                box->close();
        });
    };
    closeNextBox();
    dialogs->ShowMessage(nullptr, QStringLiteral("text"));
    closeNextBox();
    dialogs->Confirm(nullptr, QStringLiteral("question"));
    closeNextBox();
    dialogs->AskCloseDuringRun(nullptr);
    QCOMPARE(titles, QStringList({"提示", "提示", "提示"}));
}

QTEST_MAIN(DialogsTest)
#include "test_dialogs.moc"

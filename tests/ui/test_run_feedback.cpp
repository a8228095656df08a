// What the window tells and lets the user do while a run goes on and after it:
// stopping, closing during a run, the summary's counts, the failure details
// and the run report.

#include "app/system_tray.h"
#include "history/run_backup.h"
#include "ui/failure_reasons.h"
#include "ui_test_support.h"
#include "worker/run_options.h"
#include "worker_test_support.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QtTest>

namespace
{

const QString kReportName = QStringLiteral("无法打开的文件目录(文件格式有误).txt");

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Holds the run inside one workbook's Open until released.
struct HeldWorkbook {
    explicit HeldWorkbook(RecordingBackend &backend, const QString &name = "a.xlsx")
    {
        backend.SetOpenHook([this, name](const QString &path) {
            if (path.endsWith(name)) {
                opening.release();
                mayGoOn.acquire();
            }
        });
    }

    QSemaphore opening;
    QSemaphore mayGoOn;
};

} // namespace

class RunFeedbackTest : public QObject
{
    Q_OBJECT

  private slots:
    void init();

    void progressFollowsTheRun();
    void stopEndsTheRunAfterTheWorkbookInHand();
    void closingDuringARunAsksFirst_data();
    void closingDuringARunAsksFirst();
    void closingWhenIdleAsksNothing();
    void failuresAreCountedAndDetailedInChinese();
    void reportIsOpenedOnlyWhileTheWindowIsShown();
    void trayQuitDuringARunAsksFirst();
    void emptyFolderAndUnopenedTemplateAreSaid();
    void undoAsksThenRestoresTheLastRun();

  private:
    QString Folder() const { return QDir::toNativeSeparators(root->filePath("books") + "/"); }
    void StartUnmerge(TestWindow &test);
    static QString Status(const TestWindow &test)
    {
        return test.Widget<QLabel>("lb_ShowDisposing")->text();
    }
    static void WaitForTheEnd(const TestWindow &test)
    {
        QTRY_VERIFY(test.Widget<QPushButton>("pBtn_UnMerge")->isEnabled());
    }

    std::unique_ptr<SettingsFolder> settings;
    std::unique_ptr<QTemporaryDir> root;
    std::unique_ptr<RecordingBackend> backend;
};

void RunFeedbackTest::init()
{
    settings = std::make_unique<SettingsFolder>();
    root = std::make_unique<QTemporaryDir>();
    backend = std::make_unique<RecordingBackend>();
    runOptions = RunOptions();
    MakeFiles(root->path(), {"books/a.xlsx", "books/b.xlsx", "books/c.xlsx"});
}

void RunFeedbackTest::StartUnmerge(TestWindow &test)
{
    test.Widget<QLineEdit>("lEdt_SourcePath")->setText(Folder());
    test.Widget<QPushButton>("pBtn_UnMerge")->click();
}

void RunFeedbackTest::progressFollowsTheRun()
{
    HeldWorkbook held(*backend, "b.xlsx");
    TestWindow test(*backend);
    auto *bar = test.Widget<QProgressBar>("prgBar_Progress");
    StartUnmerge(test);
    QVERIFY(held.opening.tryAcquire(1, 5000));
    QTRY_COMPARE(bar->value(), 1);
    QCOMPARE(bar->maximum(), 3);
    QVERIFY2(bar->text().startsWith("1 / 3    已用 0:0"), qPrintable(bar->text()));
    QVERIFY2(bar->text().contains("    剩余约 0:0"), qPrintable(bar->text()));
    // The status line still shows the path in hand.
    QTRY_COMPARE(Status(test), Folder() + "b.xlsx");
    held.mayGoOn.release();
    WaitForTheEnd(test);
    QCOMPARE(bar->value(), 3);
    QVERIFY2(bar->text().startsWith("3 / 3    已用 0:0"), qPrintable(bar->text()));
    QVERIFY(!bar->text().contains("剩余"));

    // The next run starts from nothing.
    held.mayGoOn.release();
    StartUnmerge(test);
    QCOMPARE(bar->value(), 0);
    WaitForTheEnd(test);
}

void RunFeedbackTest::stopEndsTheRunAfterTheWorkbookInHand()
{
    HeldWorkbook held(*backend);
    TestWindow test(*backend);
    auto *stop = test.Widget<QPushButton>("pBtn_Stop");
    auto *details = test.Widget<QPushButton>("pBtn_Details");
    StartUnmerge(test);
    QVERIFY(stop->isEnabled());
    QVERIFY(held.opening.tryAcquire(1, 5000));
    QTRY_COMPARE(Status(test), Folder() + "a.xlsx");
    stop->click();
    QVERIFY(!stop->isEnabled());
    held.mayGoOn.release();
    WaitForTheEnd(test);

    QCOMPARE(backend->MembersOn("a.xlsx").count("Save()"), 1);
    for (const char *untouched : {"b.xlsx", "c.xlsx"})
        QVERIFY(!backend->Members().contains("Open(const QString&) " + Folder() + untouched));
    QVERIFY2(Status(test).startsWith("成功设置1个Excel文件,耗时"), qPrintable(Status(test)));
    QVERIFY2(
        Status(test).endsWith("秒。失败0个，未改动0个。已停止：其余2个文件未做改动，见“详情”。"),
        qPrintable(Status(test)));
    QVERIFY(!stop->isEnabled());
    // Nothing is left to estimate once the run has stopped.
    const QString progress = test.Widget<QProgressBar>("prgBar_Progress")->text();
    QVERIFY2(!progress.contains("剩余"), qPrintable(progress));

    // The details list the workbooks whose turn never came.
    QVERIFY(details->isEnabled());
    details->click();
    QCOMPARE(test.dialogs->troublesShown.size(), 1);
    const QList<WorkbookTrouble> listed = test.dialogs->troublesShown.first();
    QCOMPARE(listed.size(), 2);
    QCOMPARE(listed[0].path, Folder() + "b.xlsx");
    QCOMPARE(listed[1].path, Folder() + "c.xlsx");
    QCOMPARE(listed[1].reason, QStringLiteral("未处理：运行已停止"));
}

void RunFeedbackTest::closingDuringARunAsksFirst_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("workbooksOpened");

    QTest::newRow("stop and quit") << int(CloseDuringRun::StopAndQuit) << true << 1;
    QTest::newRow("keep running in the tray")
        << int(CloseDuringRun::KeepRunningInTray) << false << 3;
    QTest::newRow("stay open") << int(CloseDuringRun::StayOpen) << false << 3;
}

void RunFeedbackTest::closingDuringARunAsksFirst()
{
    QFETCH(int, answer);
    QFETCH(bool, closes);
    QFETCH(int, workbooksOpened);
    HeldWorkbook held(*backend);
    TestWindow test(*backend);
    test.dialogs->closeAnswer = CloseDuringRun(answer);
    test.window->show();
    StartUnmerge(test);
    QVERIFY(held.opening.tryAcquire(1, 5000));

    QCOMPARE(test.window->close(), closes);
    QCOMPARE(test.dialogs->closeQuestions, 1);
    const bool outOfSight = !test.window->isVisible() || test.window->isMinimized();
    QCOMPARE(outOfSight, answer != int(CloseDuringRun::StayOpen));
    held.mayGoOn.release();
    WaitForTheEnd(test);
    QCOMPARE(backend->Members().filter("Open(const QString&)").size(), workbooksOpened);
}

void RunFeedbackTest::closingWhenIdleAsksNothing()
{
    TestWindow test(*backend);
    test.window->show();
    StartUnmerge(test);
    WaitForTheEnd(test);
    QVERIFY(test.window->close());
    QCOMPARE(test.dialogs->closeQuestions, 0);
}

void RunFeedbackTest::failuresAreCountedAndDetailedInChinese()
{
    // A lock file beside b.xlsx: another program has it open.
    MakeFiles(root->path(), {"books/~$b.xlsx"});
    backend->FailSave("c.xlsx");
    TestWindow test(*backend);
    test.window->show();
    StartUnmerge(test);
    WaitForTheEnd(test);

    const QString report = Folder() + kReportName;
    QVERIFY2(Status(test).startsWith("成功设置1个Excel文件,耗时"), qPrintable(Status(test)));
    QVERIFY2(
        Status(test).endsWith("秒。失败2个，未改动0个。\n失败的文件已列在运行报告中：" + report),
        qPrintable(Status(test)));
    test.Widget<QPushButton>("pBtn_Details")->click();
    const QList<WorkbookTrouble> listed = test.dialogs->troublesShown.value(0);
    QCOMPARE(listed.size(), 2);
    QCOMPARE(listed[0].path, Folder() + "b.xlsx");
    QCOMPARE(listed[0].reason, QStringLiteral("文件正在被其他程序打开"));
    QCOMPARE(listed[0].detail, QStringLiteral("the workbook is open in another program"));
    QCOMPARE(listed[1].path, Folder() + "c.xlsx");
    QCOMPARE(listed[1].reason, ReasonInWindowLanguage(listed[1].detail));

    // The report keeps its name and format, and is handed to the viewer.
    QCOMPARE(test.dialogs->filesOpened, QStringList{report});
    QFile file(report);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QFile::encodeName(Folder() + "b.xlsx\r\n" + Folder() + "c.xlsx\r\n"));
}

// A window out of sight (in the tray) opens no viewer over other programs;
// the status line names the report whether a viewer starts or not, and says
// so when it could not be written.
void RunFeedbackTest::reportIsOpenedOnlyWhileTheWindowIsShown()
{
    backend->FailOpen("b.xlsx");
    TestWindow test(*backend);
    test.dialogs->viewerStarts = false;
    StartUnmerge(test);
    WaitForTheEnd(test);
    QCOMPARE(test.dialogs->filesOpened, QStringList());
    QVERIFY2(Status(test).endsWith("\n失败的文件已列在运行报告中：" + Folder() + kReportName),
             qPrintable(Status(test)));

    test.window->show();
    StartUnmerge(test);
    WaitForTheEnd(test);
    QCOMPARE(test.dialogs->filesOpened, QStringList{Folder() + kReportName});

    // A folder where the report should go: the report cannot be written.
    QVERIFY(QFile::remove(Folder() + kReportName));
    MakeFiles(root->path(), {"books/" + kReportName + "/inside"});
    StartUnmerge(test);
    WaitForTheEnd(test);
    QVERIFY2(Status(test).contains("\n运行报告无法写入：" + Folder() + kReportName + "（"),
             qPrintable(Status(test)));
}

// "退出程序" in the tray asks as closing the window does, and the tray's tool
// tip shows how far a run has got.
void RunFeedbackTest::trayQuitDuringARunAsksFirst()
{
    HeldWorkbook held(*backend);
    TestWindow test(*backend);
    auto *tray = test.window->findChild<SystemTray *>();
    test.dialogs->closeAnswer = CloseDuringRun::KeepRunningInTray;
    test.window->show();
    StartUnmerge(test);
    QVERIFY(held.opening.tryAcquire(1, 5000));
    QTRY_VERIFY2(tray->toolTip().contains("0 / 3"), qPrintable(tray->toolTip()));

    tray->UiQuit();
    QCOMPARE(test.dialogs->closeQuestions, 1);
    QVERIFY(!test.window->isVisible() || test.window->isMinimized());
    held.mayGoOn.release();
    WaitForTheEnd(test);
    QCOMPARE(backend->Members().filter("Open(const QString&)").size(), 3);
    QCOMPARE(tray->toolTip(), QStringLiteral("Sheetwright"));

    // Idle, the program ends without a question.
    tray->UiQuit();
    QCOMPARE(test.dialogs->closeQuestions, 1);
}

// A folder without workbooks and a template that does not open are said as
// they are: no "成功设置0个", and the template's reason in the window's words.
void RunFeedbackTest::emptyFolderAndUnopenedTemplateAreSaid()
{
    MakeFiles(root->path(), {"empty/notes.txt", "model.xlsx"});
    TestWindow test;
    test.Widget<QLineEdit>("lEdt_SourcePath")->setText(root->filePath("empty/"));
    test.Widget<QPushButton>("pBtn_UnMerge")->click();
    WaitForTheEnd(test);
    QCOMPARE(Status(test),
             QStringLiteral("文件夹中没有找到Excel工作簿（.xls、.xlsx、.xlsm），未做任何改动。"));

    test.Widget<QLineEdit>("lEdt_SourcePath")->setText(Folder());
    test.Widget<QLineEdit>("lEdt_TemplatePath")->setText(root->filePath("model.xlsx"));
    test.Widget<QPushButton>("pBtn_Transform")->click();
    WaitForTheEnd(test);
    QCOMPARE(Status(test),
             "模板文件无法打开：" + root->filePath("model.xlsx") + "（文件是空的（0字节））");
}

void RunFeedbackTest::undoAsksThenRestoresTheLastRun()
{
    TestWindow test(*backend);
    test.Widget<QLineEdit>("lEdt_SourcePath")->setText(Folder());
    test.Widget<QPushButton>("pBtn_Undo")->click();
    QCOMPARE(test.dialogs->messages, QStringList({"这个文件夹没有可以撤销的操作。"}));

    // A run that replaced a.xlsx, as a save does: a new file renamed over it.
    const QString a = root->filePath("books/a.xlsx");
    QString error;
    auto backup = history::RunBackup::Start(Folder(), "unmerge", {a}, error);
    QVERIFY2(backup && backup->Keep(a, error), qPrintable(error));
    QFile changed(a + ".new");
    QVERIFY(changed.open(QIODevice::WriteOnly) && changed.write("changed") > 0);
    changed.close();
    QVERIFY(QFile::remove(a) && QFile::rename(a + ".new", a));
    backup->Finish(a, true);
    backup->Close(true, 5);

    test.dialogs->confirmAnswer = false;
    test.Widget<QPushButton>("pBtn_Undo")->click();
    QCOMPARE(test.dialogs->questions.size(), 1);
    // The job and its time as a user reads them, not an ISO time stamp.
    const QString question = test.dialogs->questions[0];
    QVERIFY2(question.contains("1个工作簿将恢复为原文件"), qPrintable(question));
    QVERIFY2(question.contains(QRegularExpression("“批量取消合并单元格（\\d{4}-\\d\\d-\\d\\d "
                                                  "\\d\\d:\\d\\d）”")),
             qPrintable(question));
    QCOMPARE(ReadAll(a), QByteArray("changed"));

    test.dialogs->confirmAnswer = true;
    test.Widget<QPushButton>("pBtn_Undo")->click();
    QCOMPARE(Status(test), QString("已撤销上次操作：恢复1个工作簿。"));
    QVERIFY(ReadAll(a) != QByteArray("changed"));
}

QTEST_MAIN(RunFeedbackTest)
#include "test_run_feedback.moc"

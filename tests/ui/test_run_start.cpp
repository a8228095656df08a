// Starting runs from the window: the checks, the run options handed over,
// the worker and thread of each run, and leaving during a run.

#include "ui_test_support.h"
#include "worker/merge_object.h"
#include "worker/run_options.h"
#include "worker/run_report.h"
#include "worker_test_support.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSemaphore>
#include <QSpinBox>
#include <QThread>
#include <QtTest>

namespace
{

const QString kNoFolder = QStringLiteral("Excel文件所在文件夹不存在!");
const QString kNoTemplate = QStringLiteral("excel模板文件不存在!");
const QString kReportName = QStringLiteral("无法打开的文件目录(文件格式有误).txt");

} // namespace

class RunStartTest : public QObject
{
    Q_OBJECT

  private slots:
    void init();

    void refusedStartStartsNothing_data();
    void refusedStartStartsNothing();
    void unmergeDoesNotLookAtTheTemplate();
    void invalidRangeEntryIsRefused();
    void lastRowIsTheDecimalValueInAnyLocale();
    void partiallyCheckedBoxesCountAsOff();
    void rangeTextMattersOnlyToARangedFormatTransfer();
    void formatTransferOptionsReachTheRun();
    void unmergeKeepsTheFormatTransferOptions();
    void rangeTextOfAnEarlierRunIsNotKept();
    void eachStartReachesOneFreshWorker();
    void runButtonsWaitForTheCompletionSignal();
    void oldReportIsDeletedBeforeTheRun();
    void closingDuringARunWaitsForTheWorkbookInHand();

  private:
    QString Folder() const { return QDir::toNativeSeparators(root->filePath("books") + "/"); }
    QString Template() const { return root->filePath(QStringLiteral("template.xlsx")); }
    void FillPaths(TestWindow &test, const QString &folder, const QString &templatePath);
    void ClickAndFinish(TestWindow &test, const char *button);

    std::unique_ptr<SettingsFolder> settings;
    std::unique_ptr<QTemporaryDir> root;
    std::unique_ptr<RecordingBackend> backend;
};

void RunStartTest::init()
{
    settings = std::make_unique<SettingsFolder>();
    root = std::make_unique<QTemporaryDir>();
    backend = std::make_unique<RecordingBackend>();
    runOptions = RunOptions();
    MakeFiles(root->path(), {"books/a.xlsx", "books/b.xlsx", "books/c.xlsx", "template.xlsx"});
}

void RunStartTest::FillPaths(TestWindow &test, const QString &folder, const QString &templatePath)
{
    test.Widget<QLineEdit>("lEdt_SourcePath")->setText(folder);
    test.Widget<QLineEdit>("lEdt_TemplatePath")->setText(templatePath);
}

void RunStartTest::ClickAndFinish(TestWindow &test, const char *button)
{
    auto *start = test.Widget<QPushButton>(button);
    start->click();
    QVERIFY(!start->isEnabled());
    QTRY_VERIFY(start->isEnabled());
}

void RunStartTest::refusedStartStartsNothing_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("templatePath");
    QTest::addColumn<QString>("message");

    const QString existing = QStringLiteral("<existing>");
    QTest::newRow("transform, empty folder") << "pBtn_Transform"
                                             << "" << existing << kNoFolder;
    QTest::newRow("unmerge, empty folder") << "pBtn_UnMerge"
                                           << "" << existing << kNoFolder;
    QTest::newRow("folder is a file") << "pBtn_UnMerge"
                                      << "<template>" << existing << kNoFolder;
    QTest::newRow("missing folder") << "pBtn_Transform"
                                    << "/no/such/folder/" << existing << kNoFolder;
    QTest::newRow("empty template") << "pBtn_Transform"
                                    << "<folder>"
                                    << "" << kNoTemplate;
    QTest::newRow("template is a folder") << "pBtn_Transform"
                                          << "<folder>"
                                          << "<folder>" << kNoTemplate;
}

void RunStartTest::refusedStartStartsNothing()
{
    QFETCH(QString, button);
    QFETCH(QString, folder);
    QFETCH(QString, templatePath);
    QFETCH(QString, message);
    const auto resolve = [this](QString text) {
        return text.replace("<folder>", Folder())
            .replace("<template>", Template())
            .replace("<existing>", Template());
    };
    TestWindow test(*backend);
    FillPaths(test, resolve(folder), resolve(templatePath));
    int workers = 0;
    test.window->SetWorkerSetup([&workers](MergeObject &) { ++workers; });
    test.Widget<QPushButton>(button.toLatin1())->click();
    QCOMPARE(test.dialogs->messages, QStringList(message));
    QCOMPARE(workers, 0);
    QVERIFY(test.Widget<QPushButton>("pBtn_Transform")->isEnabled());
    QVERIFY(test.Widget<QPushButton>("pBtn_UnMerge")->isEnabled());
}

void RunStartTest::unmergeDoesNotLookAtTheTemplate()
{
    TestWindow test(*backend);
    FillPaths(test, Folder(), QString());
    ClickAndFinish(test, "pBtn_UnMerge");
    QVERIFY(test.dialogs->messages.isEmpty());
    QVERIFY(backend->Members().contains("UnMerge()"));
    QVERIFY(test.Widget<QLabel>("lb_ShowDisposing")->text().startsWith("成功设置3个Excel文件"));
}

void RunStartTest::invalidRangeEntryIsRefused()
{
    TestWindow test(*backend);
    FillPaths(test, Folder(), Template());
    int workers = 0;
    test.window->SetWorkerSetup([&workers](MergeObject &) { ++workers; });
    test.Widget<QCheckBox>("cBox_AppointedSheet")->click();
    test.Widget<QCheckBox>("cBox_AppointedRange")->click();
    test.Widget<QLineEdit>("lEdt_AppointedRange")->setText(QStringLiteral("A1：C7,,B2,C0,Q"));
    test.Widget<QPushButton>("pBtn_Transform")->click();
    QCOMPARE(test.dialogs->messages, QStringList(QStringLiteral("指定区域写法有误：C0")));
    QCOMPARE(workers, 0);
    QVERIFY(test.Widget<QPushButton>("pBtn_Transform")->isEnabled());
    // The refused text must not linger for a later start with ranges off,
    // where each of its entries would be one more whole-rows pass.
    QVERIFY(!runOptions.appointedRange);
    QVERIFY(runOptions.appointedRangeText.isEmpty());
    QVERIFY(!runOptions.appointedSheet);
}

void RunStartTest::lastRowIsTheDecimalValueInAnyLocale()
{
    TestWindow test(*backend);
    FillPaths(test, Folder(), Template());
    auto *lastRow = test.Widget<QSpinBox>("sBox_LastRow");
    lastRow->setLocale(QLocale(QLocale::Arabic, QLocale::Egypt));
    lastRow->setValue(250);
    ClickAndFinish(test, "pBtn_Transform");
    QCOMPARE(runOptions.lastRowText, QStringLiteral("250"));
    QVERIFY(backend->Members().contains("Range(const QString&) 1:250"));
}

void RunStartTest::partiallyCheckedBoxesCountAsOff()
{
    TestWindow test(*backend);
    FillPaths(test, Folder(), Template());
    for (const char *name : {"cBox_OnlyFirstSheet", "cBox_AppointedSheet", "cBox_AppointedRange",
                             "cBox_JustColWidth", "cBox_WithFormulas", "cBox_WithValues"}) {
        auto *box = test.Widget<QCheckBox>(name);
        box->setTristate(true);
        box->click(); // unchecked to partially checked
        QCOMPARE(box->checkState(), Qt::PartiallyChecked);
    }
    QVERIFY(!test.Widget<QLineEdit>("lEdt_AppointedSheetName")->isEnabled());
    QVERIFY(!test.Widget<QLineEdit>("lEdt_AppointedRange")->isEnabled());
    QVERIFY(test.Widget<QSpinBox>("sBox_LastRow")->isEnabled());
    ClickAndFinish(test, "pBtn_Transform");
    QVERIFY(!runOptions.onlyFirstSheet);
    QVERIFY(!runOptions.appointedSheet);
    QVERIFY(!runOptions.appointedRange);
    QVERIFY(!runOptions.justColWidth);
    QVERIFY(!runOptions.withFormulas);
    QVERIFY(!runOptions.withValues);
}

void RunStartTest::rangeTextMattersOnlyToARangedFormatTransfer()
{
    TestWindow test(*backend);
    FillPaths(test, Folder(), Template());
    test.Widget<QLineEdit>("lEdt_AppointedRange")->setText(QStringLiteral("not a range"));
    ClickAndFinish(test, "pBtn_Transform");
    test.Widget<QCheckBox>("cBox_AppointedRange")->click();
    ClickAndFinish(test, "pBtn_UnMerge");
    QVERIFY(test.dialogs->messages.isEmpty());
    QCOMPARE(backend->Members().count("Quit(void)"), 2);
}

void RunStartTest::formatTransferOptionsReachTheRun()
{
    TestWindow test(*backend);
    FillPaths(test, root->filePath("books"), Template());
    test.Widget<QCheckBox>("cBox_AppointedRange")->click();
    test.Widget<QLineEdit>("lEdt_AppointedRange")->setText(QStringLiteral("A1：C7,E1：E2"));
    test.Widget<QCheckBox>("cBox_AppointedSheet")->click();
    test.Widget<QLineEdit>("lEdt_AppointedSheetName")->setText(QStringLiteral("Sheet1"));
    test.Widget<QCheckBox>("cBox_OnlyFirstSheet")->click();
    test.Widget<QCheckBox>("cBox_WithValues")->click();
    test.Widget<QSpinBox>("sBox_LastRow")->setValue(250);
    ClickAndFinish(test, "pBtn_Transform");

    QCOMPARE(runOptions.sourcePath, root->filePath("books"));
    QCOMPARE(runOptions.templatePath, Template());
    QCOMPARE(runOptions.lastRowText, QStringLiteral("250"));
    QVERIFY(runOptions.appointedRange);
    QCOMPARE(runOptions.appointedRangeText, QStringLiteral("A1:C7,E1:E2"));
    QVERIFY(runOptions.appointedSheet);
    QCOMPARE(runOptions.appointedSheetName, QStringLiteral("Sheet1"));
    QVERIFY(runOptions.onlyFirstSheet);
    QVERIFY(!runOptions.justColWidth);
    QVERIFY(!runOptions.withFormulas);
    QVERIFY(runOptions.withValues);
    // Typed without a final separator, the report still lies inside the folder.
    QCOMPARE(runOptions.reportPath, root->filePath("books") + "/" + kReportName);
    QVERIFY(backend->Members().contains("Range(const QString&) A1:C7"));
}

void RunStartTest::unmergeKeepsTheFormatTransferOptions()
{
    TestWindow test(*backend);
    FillPaths(test, Folder(), Template());
    test.Widget<QCheckBox>("cBox_AppointedSheet")->click();
    test.Widget<QLineEdit>("lEdt_AppointedSheetName")->setText(QStringLiteral("Old"));
    test.Widget<QCheckBox>("cBox_JustColWidth")->click();
    test.Widget<QSpinBox>("sBox_LastRow")->setValue(9);
    ClickAndFinish(test, "pBtn_Transform");

    test.Widget<QLineEdit>("lEdt_TemplatePath")->setText(QStringLiteral("/elsewhere.xlsx"));
    test.Widget<QCheckBox>("cBox_JustColWidth")->click();
    test.Widget<QCheckBox>("cBox_WithFormulas")->click();
    test.Widget<QSpinBox>("sBox_LastRow")->setValue(50);
    test.Widget<QCheckBox>("cBox_AppointedSheet")->click();
    test.Widget<QLineEdit>("lEdt_AppointedSheetName")->setText(QStringLiteral("New"));
    ClickAndFinish(test, "pBtn_UnMerge");

    QCOMPARE(runOptions.templatePath, Template());
    QCOMPARE(runOptions.lastRowText, QStringLiteral("9"));
    QVERIFY(runOptions.justColWidth);
    QVERIFY(!runOptions.withFormulas);
    QVERIFY(!runOptions.appointedSheet);
    // The form as it is now: a name whose box is off is no option.
    QCOMPARE(runOptions.appointedSheetName, QString());
}

// Ranges ticked for one transfer and unticked for the next: the next makes
// one whole-rows pass per sheet, not one per entry of the old range text.
void RunStartTest::rangeTextOfAnEarlierRunIsNotKept()
{
    TestWindow test(*backend);
    FillPaths(test, Folder(), Template());
    test.Widget<QCheckBox>("cBox_AppointedRange")->click();
    test.Widget<QLineEdit>("lEdt_AppointedRange")->setText(QStringLiteral("A1:B2,C3:D4,E5"));
    ClickAndFinish(test, "pBtn_Transform");
    const int rangedCopies = backend->Members().count("Copy()");
    test.Widget<QCheckBox>("cBox_AppointedRange")->click();
    ClickAndFinish(test, "pBtn_Transform");

    QVERIFY(!runOptions.appointedRange);
    QCOMPARE(runOptions.appointedRangeText, QString());
    QCOMPARE(backend->Members().count("Copy()") - rangedCopies, rangedCopies / 3);
}

void RunStartTest::eachStartReachesOneFreshWorker()
{
    TestWindow test(*backend);
    FillPaths(test, Folder(), Template());
    QList<QPointer<MergeObject>> workers;
    QList<QPointer<QThread>> threads;
    test.window->SetWorkerSetup([&](MergeObject &worker) {
        worker.SetAppFactory(backend->Factory());
        worker.SetReportViewer(nullptr);
        workers << &worker;
        QObject::connect(
            &worker, &MergeObject::Signal_SetButtonEnable, &worker,
            [&threads] { threads << QThread::currentThread(); }, Qt::DirectConnection);
    });
    ClickAndFinish(test, "pBtn_Transform");
    ClickAndFinish(test, "pBtn_UnMerge");

    QCOMPARE(workers.size(), 2);
    QVERIFY(!workers[0]);
    QVERIFY(workers[1]);
    QCOMPARE(threads.size(), 2);
    QVERIFY(!threads[0]);
    QCOMPARE(threads[1].data(), workers[1]->thread());
    QVERIFY(threads[1] != QThread::currentThread());
    const QStringList calls = backend->Members();
    QCOMPARE(calls.count("Open(const QString&) " + Folder() + "a.xlsx"), 2);
    QCOMPARE(calls.count("Quit(void)"), 2);
}

void RunStartTest::runButtonsWaitForTheCompletionSignal()
{
    QSemaphore opening;
    QSemaphore mayOpen;
    backend->SetOpenHook([&](const QString &path) {
        if (path.endsWith("a.xlsx")) {
            opening.release();
            mayOpen.acquire();
        }
    });
    TestWindow test(*backend);
    FillPaths(test, Folder(), Template());
    test.Widget<QPushButton>("pBtn_Transform")->click();
    QVERIFY(opening.tryAcquire(1, 5000));
    QTRY_COMPARE(test.Widget<QLabel>("lb_ShowDisposing")->text(), Folder() + "a.xlsx");
    QVERIFY(!test.Widget<QPushButton>("pBtn_Transform")->isEnabled());
    QVERIFY(!test.Widget<QPushButton>("pBtn_UnMerge")->isEnabled());
    // Other controls stay usable during the run.
    QVERIFY(test.Widget<QPushButton>("pBtn_SourcePath")->isEnabled());
    mayOpen.release();
    QTRY_VERIFY(test.Widget<QPushButton>("pBtn_Transform")->isEnabled());
    QVERIFY(test.Widget<QPushButton>("pBtn_UnMerge")->isEnabled());
}

void RunStartTest::oldReportIsDeletedBeforeTheRun()
{
    const QString report = RunReportPath(Folder());
    MakeFiles(QFileInfo(report).absolutePath(), {QFileInfo(report).fileName()});
    bool reportThereAtRun = true;
    backend->SetOpenHook([&](const QString &) { reportThereAtRun = QFile::exists(report); });
    TestWindow test(*backend);
    FillPaths(test, Folder(), Template());
    ClickAndFinish(test, "pBtn_UnMerge");
    QVERIFY(!reportThereAtRun);
    QVERIFY(!QFile::exists(report));
}

void RunStartTest::closingDuringARunWaitsForTheWorkbookInHand()
{
    QSemaphore opening;
    backend->SetOpenHook([&](const QString &path) {
        if (path.endsWith("a.xlsx")) {
            opening.release();
            QThread::msleep(300);
        }
    });
    auto test = std::make_unique<TestWindow>(*backend);
    test->dialogs->closeAnswer = CloseDuringRun::StopAndQuit;
    FillPaths(*test, Folder(), Template());
    test->window->show();
    test->Widget<QPushButton>("pBtn_Transform")->click();
    QVERIFY(opening.tryAcquire(1, 5000));
    QVERIFY(test->window->close());
    QCOMPARE(test->dialogs->closeQuestions, 1);
    test.reset();

    const QStringList calls = backend->Members();
    QCOMPARE(backend->MembersOn("a.xlsx").count("Save()"), 1);
    QCOMPARE(backend->MembersOn("a.xlsx").count("Close (Boolean) false"), 1);
    QVERIFY(!calls.contains("Open(const QString&) " + Folder() + "b.xlsx"));
    QVERIFY(!calls.contains("Open(const QString&) " + Folder() + "c.xlsx"));
    QCOMPARE(calls.last(), QStringLiteral("Quit(void)"));
}

QTEST_MAIN(RunStartTest)
#include "test_run_start.moc"

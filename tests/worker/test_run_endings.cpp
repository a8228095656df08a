// How runs end: without an application, on a stop request, and with the
// worker on a thread of its own.

#include "backends/native/native_backend.h"
#include "worker/run_options.h"
#include "worker_test_support.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace
{

const QString noApplicationText = QStringLiteral("表格引擎无法启动，未改动任何文件（本程序无需安装O"
                                                 "ffice或WPS；部分.xls操作需LibreOffice Calc）。");

// Collects the worker's signals on the thread it lives on.
class StatusListener : public QObject
{
    Q_OBJECT
  public:
    QStringList texts;
    QList<int> positions; // of the workbooks reported finished
    QList<QThread *> threads;
    int completions = 0;
    bool completionWasLast = false;

  public slots:
    void OnText(const QString &text)
    {
        texts << text;
        threads << QThread::currentThread();
    }
    void OnWorkbookFinished(const WorkbookProgress &progress)
    {
        positions << progress.position;
        threads << QThread::currentThread();
    }
    void OnCompletion()
    {
        ++completions;
        threads << QThread::currentThread();
        completionWasLast = true;
    }
};

} // namespace

class RunEndingsTest : public QObject
{
    Q_OBJECT
  signals:
    void StartTransform();

  private slots:
    void init();
    void withoutWorkbooksCollectionNeitherRunCompletes_data();
    void withoutWorkbooksCollectionNeitherRunCompletes();
    void withoutApplicationNothingIsCalled();
    void defaultBackendNeedsNoApplication();
    void stopFinishesTheWorkbookInHandThenEnds();
    void stopBeforeTheRunTouchesNoWorkbook();
    void signalsReachTheGuiThreadInOrder();
    void summaryCountsDoneFailedAndUnchangedApart();
    void runWithoutWorkbooksSaysSo();

  private:
    QString Path(const QString &name) const { return root_->path() + QLatin1Char('/') + name; }

    std::unique_ptr<QTemporaryDir> root_;
    RecordingBackend backend_;
};

void RunEndingsTest::init()
{
    root_ = std::make_unique<QTemporaryDir>();
    backend_ = RecordingBackend();
    ResetRunOptions(root_->path());
    MakeFiles(root_->path(), {"a.xlsx", "b.xlsx", "c.xlsx", "model.xlsx"});
    runOptions.templatePath = Path("model.xlsx");
}

void RunEndingsTest::withoutWorkbooksCollectionNeitherRunCompletes_data()
{
    QTest::addColumn<bool>("transform");
    QTest::newRow("transform") << true;
    QTest::newRow("unmerge") << false;
}

void RunEndingsTest::withoutWorkbooksCollectionNeitherRunCompletes()
{
    QFETCH(bool, transform);
    backend_.SetNoWorkbooks(true);
    MergeObject worker("tem", nullptr);
    const RunRecord record =
        RunOn(worker, backend_, transform ? &MergeObject::Transform : &MergeObject::UnMerge);
    QCOMPARE(record.statusTexts, QStringList{noApplicationText});
    QCOMPARE(backend_.Members(), QStringList({"SetVisible (bool Visible) false",
                                              "DisplayAlerts false", "WorkBooks", "Quit(void)"}));
    QCOMPARE(record.completionSignals, 0);
    QCOMPARE(worker.LastRunEnd(), RunEnd::NoApplication);
}

void RunEndingsTest::withoutApplicationNothingIsCalled()
{
    backend_.SetNoApplication(true);
    MergeObject worker("tem", nullptr);
    const RunRecord record = RunOn(worker, backend_, &MergeObject::Transform);
    QCOMPARE(record.statusTexts, QStringList{noApplicationText});
    QVERIFY(backend_.Calls().isEmpty());
    QCOMPARE(record.completionSignals, 0);
}

void RunEndingsTest::defaultBackendNeedsNoApplication()
{
    MergeObject worker("tem", nullptr);
    worker.SetAppFactory(NativeAppFactory());
    worker.SetReportViewer(nullptr);
    QSignalSpy texts(&worker, &MergeObject::ShowDisposingFile);
    QSignalSpy completions(&worker, &MergeObject::Signal_SetButtonEnable);
    worker.UnMerge();
    // Our own engine is always there: the run ends with its summary, and the
    // empty test files, which are no workbooks, are its failures.
    QVERIFY(!texts.isEmpty());
    QVERIFY(texts.last().first().toString().startsWith(QStringLiteral("成功设置0个Excel文件")));
    QCOMPARE(completions.size(), 1);
    QCOMPARE(worker.LastRunEnd(), RunEnd::Completed);
    QCOMPARE(worker.Failures(),
             QStringList({Path("a.xlsx"), Path("b.xlsx"), Path("c.xlsx"), Path("model.xlsx")}));
}

void RunEndingsTest::stopFinishesTheWorkbookInHandThenEnds()
{
    MergeObject worker("tem", nullptr);
    backend_.SetOpenHook([&worker, this](const QString &path) {
        if (path == Path("b.xlsx"))
            worker.RequestStop();
    });
    const RunRecord record = RunOn(worker, backend_, &MergeObject::Transform);
    QCOMPARE(backend_.Members().filter("Open(").size(), 3); // template, a, b
    QCOMPARE(backend_.MembersOn("b.xlsx").mid(backend_.MembersOn("b.xlsx").size() - 2),
             QStringList({"Save()", "Close (Boolean) false"}));
    QVERIFY(backend_.MembersOn("c.xlsx").isEmpty());
    QCOMPARE(backend_.MembersOn("model.xlsx").last(), QStringLiteral("Close (Boolean) false"));
    QCOMPARE(backend_.Members().last(), QStringLiteral("Quit(void)"));
    QCOMPARE(worker.SuccessCount(), 2);
    QCOMPARE(worker.LastRunEnd(), RunEnd::Stopped);
    QVERIFY(record.statusTexts.last().startsWith(QStringLiteral("成功设置2个")));
    // Only the workbooks that had their turn are reported.
    QCOMPARE(record.workbookCounts, QList<int>{4});
    QCOMPARE(record.workbooks.size(), 2);
    QCOMPARE(record.completionSignals, 1);

    // The request ended that run only.
    backend_.SetOpenHook(nullptr);
    RunOn(worker, backend_, &MergeObject::UnMerge);
    QCOMPARE(worker.SuccessCount(), 4);
    QCOMPARE(worker.LastRunEnd(), RunEnd::Completed);
}

void RunEndingsTest::stopBeforeTheRunTouchesNoWorkbook()
{
    MergeObject worker("tem", nullptr);
    worker.RequestStop();
    const RunRecord record = RunOn(worker, backend_, &MergeObject::UnMerge);
    QVERIFY(backend_.Members().filter("Open(").isEmpty());
    QCOMPARE(worker.SuccessCount(), 0);
    QCOMPARE(record.completionSignals, 1);
}

void RunEndingsTest::signalsReachTheGuiThreadInOrder()
{
    QThread thread;
    thread.start();
    auto *worker = new MergeObject("tem", nullptr);
    worker->SetAppFactory(backend_.Factory());
    worker->SetReportViewer(nullptr);
    worker->moveToThread(&thread);
    StatusListener listener;
    connect(worker, &MergeObject::ShowDisposingFile, &listener, &StatusListener::OnText);
    connect(worker, &MergeObject::Signal_WorkbookFinished, &listener,
            &StatusListener::OnWorkbookFinished);
    connect(this, &RunEndingsTest::StartTransform, worker, &MergeObject::Transform);
    connect(worker, &MergeObject::Signal_SetButtonEnable, &listener, &StatusListener::OnCompletion);
    emit StartTransform();
    QTRY_COMPARE_WITH_TIMEOUT(listener.completions, 1, 10000);

    QCOMPARE(listener.texts.mid(0, 4),
             QStringList({Path("a.xlsx"), Path("b.xlsx"), Path("c.xlsx"), Path("model.xlsx")}));
    QVERIFY(listener.texts.last().startsWith(QStringLiteral("成功设置4个")));
    QVERIFY(listener.completionWasLast);
    QCOMPARE(listener.positions, QList<int>({1, 2, 3, 4}));
    for (QThread *receivedOn : listener.threads)
        QCOMPARE(receivedOn, QThread::currentThread());
    thread.quit();
    thread.wait();
    delete worker;
}

// A workbook saved as it was is not one the run set: the summary's number is
// the done ones alone, and done, unchanged and failed add up to the list.
void RunEndingsTest::summaryCountsDoneFailedAndUnchangedApart()
{
    backend_.SetSheets("a.xlsx", {"Data"});
    backend_.SetSheets("b.xlsx", {"Data", "Notes"});
    backend_.FailOpen("c.xlsx");
    runOptions.appointedSheet = true; // model.xlsx has no such sheet: unchanged
    runOptions.appointedSheetName = "Data";
    MergeObject worker("tem", nullptr);
    const RunRecord record = RunOn(worker, backend_, &MergeObject::UnMerge);
    QCOMPARE(worker.DoneCount(), 2);
    QCOMPARE(worker.UnchangedCount(), 1);
    QCOMPARE(worker.Failures(), QStringList{Path("c.xlsx")});
    QVERIFY2(record.statusTexts.last().startsWith(QStringLiteral("成功设置2个Excel文件,耗时")),
             qPrintable(record.statusTexts.last()));
}

void RunEndingsTest::runWithoutWorkbooksSaysSo()
{
    QTemporaryDir empty;
    MakeFiles(empty.path(), {"notes.txt"});
    ResetRunOptions(empty.path());
    MergeObject worker("tem", nullptr);
    const RunRecord record = RunOn(worker, backend_, &MergeObject::UnMerge);
    QCOMPARE(record.statusTexts,
             QStringList{"文件夹中没有找到Excel工作簿（.xls、.xlsx、.xlsm），未做任何改动。"});
    QCOMPARE(record.completionSignals, 1);
}

QTEST_GUILESS_MAIN(RunEndingsTest)
#include "test_run_endings.moc"

// The progress event beside the status texts: the number of workbooks when a
// run starts its work, then each workbook's result in list order.

#include "worker/run_options.h"
#include "worker_test_support.h"

#include <QTemporaryDir>
#include <QtTest>

class RunProgressTest : public QObject
{
    Q_OBJECT
  private slots:
    void init();
    void eachWorkbookReportsItsOutcomeInListOrder();
    void runThatCannotStartReportsNoProgress_data();
    void runThatCannotStartReportsNoProgress();

  private:
    QString Path(const QString &name) const { return root_->path() + QLatin1Char('/') + name; }

    std::unique_ptr<QTemporaryDir> root_;
    RecordingBackend backend_;
};

void RunProgressTest::init()
{
    root_ = std::make_unique<QTemporaryDir>();
    backend_ = RecordingBackend();
    ResetRunOptions(root_->path());
}

void RunProgressTest::eachWorkbookReportsItsOutcomeInListOrder()
{
    MakeFiles(root_->path(), {"a.xlsx", "b.xlsx", "c.xlsx", "d.xlsx", "notes.txt"});
    backend_.SetSheets("a.xlsx", {"Data"});
    backend_.FailOpen("b.xlsx");
    backend_.SetSheets("c.xlsx", {"Other"}); // no sheet to work on: saved as it was
    backend_.SetSheets("d.xlsx", {"Data"});
    backend_.FailSave("d.xlsx");
    runOptions.appointedSheet = true;
    runOptions.appointedSheetName = "Data";
    MergeObject worker("tem", nullptr);
    const RunRecord record = RunOn(worker, backend_, &MergeObject::UnMerge);

    // Each result after its status text, the summary after them all.
    QCOMPARE(record.signalOrder.mid(0, 9),
             QStringList({"started 4", Path("a.xlsx"), "finished 1", Path("b.xlsx"), "finished 2",
                          Path("c.xlsx"), "finished 3", Path("d.xlsx"), "finished 4"}));
    QCOMPARE(record.signalOrder.size(), 10);
    // Only a.xlsx was set: c.xlsx, saved as it was, is no success.
    QVERIFY(record.statusTexts.last().startsWith(QStringLiteral("成功设置1个Excel文件")));
    const QList<WorkbookOutcome> outcomes = {WorkbookOutcome::Done, WorkbookOutcome::Failed,
                                             WorkbookOutcome::Unchanged, WorkbookOutcome::Failed};
    const QStringList reasons = {"", "not a workbook", "", "disk full"};
    QCOMPARE(record.workbooks.size(), 4);
    for (int i = 0; i < 4; ++i) {
        const WorkbookProgress &progress = record.workbooks[i];
        QCOMPARE(progress.position, i + 1);
        QCOMPARE(progress.total, 4);
        QCOMPARE(progress.path, record.statusTexts[i]);
        QCOMPARE(progress.result.outcome, outcomes[i]);
        QCOMPARE(progress.result.reason, reasons[i]);
        QVERIFY(progress.result.seconds >= 0 && progress.result.seconds < 60);
    }
}

void RunProgressTest::runThatCannotStartReportsNoProgress_data()
{
    QTest::addColumn<bool>("noWorkbooks");
    QTest::newRow("no application") << true;
    QTest::newRow("template does not open") << false;
}

void RunProgressTest::runThatCannotStartReportsNoProgress()
{
    QFETCH(bool, noWorkbooks);
    MakeFiles(root_->path(), {"a.xlsx"});
    runOptions.templatePath = Path("model.xlsx");
    backend_.SetNoWorkbooks(noWorkbooks);
    backend_.FailOpen("model.xlsx");
    MergeObject worker("tem", nullptr);
    const RunRecord record = RunOn(worker, backend_, &MergeObject::Transform);
    QVERIFY(record.workbookCounts.isEmpty());
    QVERIFY(record.workbooks.isEmpty());
    QCOMPARE(record.statusTexts.size(), 1);
}

QTEST_GUILESS_MAIN(RunProgressTest)
#include "test_run_progress.moc"

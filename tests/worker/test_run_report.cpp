// The run report: where it goes, its exact bytes, and when it is written and
// shown at the end of a run.

#include "worker/run_options.h"
#include "worker/run_report.h"
#include "worker_test_support.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

const QString reportName = QStringLiteral("无法打开的文件目录(文件格式有误).txt");

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class RunReportTest : public QObject
{
    Q_OBJECT
  private slots:
    void pathIsInsideTheFolderWithOrWithoutFinalSeparator();
    void writesOneCrLfLinePerFailureInOrder();
    void replacesAnOlderLongerReport();
    void reportsFailureWhenTheFileCannotBeCreated();
    void runWithFailuresWritesAndShowsTheReport();
    void runWithoutFailuresWritesNoReport();
    void runWhoseReportCannotBeWrittenSaysWhyAndEnds();
};

void RunReportTest::pathIsInsideTheFolderWithOrWithoutFinalSeparator()
{
    QCOMPARE(RunReportPath("/data/Books/"), "/data/Books/" + reportName);
    // Without a final separator the report still lies inside the folder.
    QCOMPARE(RunReportPath("/data/Books"), "/data/Books/" + reportName);

    QTemporaryDir parent;
    const QString folder = parent.path() + "/Books";
    MakeFiles(folder, {"x.txt"});
    QVERIFY(WriteRunReport({"a"}, RunReportPath(folder + "/")));
    QVERIFY(WriteRunReport({"b"}, RunReportPath(folder)));
    QCOMPARE(ReadAll(folder + "/" + reportName), QByteArray("b\r\n"));
    QVERIFY(!QFile::exists(parent.path() + "/Books" + reportName));
}

void RunReportTest::writesOneCrLfLinePerFailureInOrder()
{
    QTemporaryDir folder;
    const QString report = folder.path() + "/report.txt";
    const QString second = QStringLiteral("/data/表格/第二.xlsx");
    QVERIFY(WriteRunReport({"/data/z.xlsx", second}, report));
    QCOMPARE(ReadAll(report), "/data/z.xlsx\r\n" + second.toLocal8Bit() + "\r\n");
}

void RunReportTest::replacesAnOlderLongerReport()
{
    QTemporaryDir folder;
    const QString report = folder.path() + "/report.txt";
    QVERIFY(WriteRunReport({"one-long-line", "two-long-line", "three"}, report));
    QVERIFY(WriteRunReport({"x"}, report));
    QCOMPARE(ReadAll(report), QByteArray("x\r\n"));
}

void RunReportTest::reportsFailureWhenTheFileCannotBeCreated()
{
    QTemporaryDir folder;
    QVERIFY(!WriteRunReport({"a"}, folder.path() + "/missing/report.txt"));
    QVERIFY(!QFile::exists(folder.path() + "/missing/report.txt"));
    // A folder of the report's name cannot be replaced by the report.
    MakeFiles(folder.path(), {"taken/inner.txt"});
    QVERIFY(!WriteRunReport({"a"}, folder.path() + "/taken"));
    QVERIFY(QFile::exists(folder.path() + "/taken/inner.txt"));
}

void RunReportTest::runWithFailuresWritesAndShowsTheReport()
{
    QTemporaryDir root;
    MakeFiles(root.path(), {"a.xlsx", "b.xlsx", "c.xlsx"});
    ResetRunOptions(root.path());
    RecordingBackend backend;
    backend.FailOpen("c.xlsx");
    backend.FailOpen("a.xlsx");
    MergeObject worker("tem", nullptr);
    const RunRecord record = RunOn(worker, backend, &MergeObject::UnMerge);

    const QString a = root.path() + "/a.xlsx";
    const QString c = root.path() + "/c.xlsx";
    QCOMPARE(ReadAll(runOptions.reportPath), (a + "\r\n" + c + "\r\n").toLocal8Bit());
    QCOMPARE(record.shownReports, QStringList{runOptions.reportPath});
    QCOMPARE(worker.WrittenReport(), runOptions.reportPath);
    QCOMPARE(worker.ReportProblem(), QString());
    QCOMPARE(worker.Failures(), QStringList({a, c}));
    QCOMPARE(worker.SuccessCount(), 1);
    QCOMPARE(record.completionSignals, 1);
}

void RunReportTest::runWithoutFailuresWritesNoReport()
{
    QTemporaryDir root;
    MakeFiles(root.path(), {"a.xlsx"});
    ResetRunOptions(root.path());
    RecordingBackend backend;
    MergeObject worker("tem", nullptr);
    const RunRecord record = RunOn(worker, backend, &MergeObject::UnMerge);
    QVERIFY(!QFile::exists(runOptions.reportPath));
    QVERIFY(record.shownReports.isEmpty());
    QCOMPARE(record.completionSignals, 1);
}

// The front ends say that the report is missing, and why.
void RunReportTest::runWhoseReportCannotBeWrittenSaysWhyAndEnds()
{
    QTemporaryDir root;
    MakeFiles(root.path(), {"a.xlsx"});
    ResetRunOptions(root.path());
    runOptions.reportPath = root.path() + "/no/such/folder/report.txt";
    RecordingBackend backend;
    backend.FailOpen("a.xlsx");
    MergeObject worker("tem", nullptr);
    const RunRecord record = RunOn(worker, backend, &MergeObject::UnMerge);
    QVERIFY(!QFile::exists(runOptions.reportPath));
    QVERIFY(record.shownReports.isEmpty());
    QCOMPARE(worker.WrittenReport(), QString());
    QVERIFY2(!worker.ReportProblem().isEmpty(), "no reason given for the missing report");
    QVERIFY(record.statusTexts.last().startsWith(QStringLiteral("成功设置0个Excel文件,耗时")));
    QCOMPARE(record.completionSignals, 1);
}

QTEST_GUILESS_MAIN(RunReportTest)
#include "test_run_report.moc"

// The native engine run on one thread and on several: the same folder gives
// byte-identical workbooks, the same failures and the same report.

#include "file_bytes.h"
#include "fixtures.h"
#include "transfer_fixtures.h"
#include "worker/default_backend.h"
#include "worker/merge_object.h"
#include "worker/run_options.h"
#include "worker/run_report.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

struct RunResult {
    QStringList failures; // relative to the folder
    QString report;       // folder paths replaced by "<folder>/"
    int successCount = 0;
};

// Six workbooks of different shapes in two folders, one file that is no
// workbook and one workbook that another program holds open.
void MakeCorpus(const QString &root, const std::function<bool(const QString &)> &writeBook)
{
    QDir().mkpath(root + "/sub");
    for (const char *name : {"a.xlsx", "b.xlsx", "sub/c.xlsx", "sub/d.xlsx", "sub/e.xlsm"})
        QVERIFY(writeBook(root + "/" + QString(name)));
    QVERIFY(testsupport::WriteFileBytes(root + "/broken.xlsx", "not a zip package"));
    QVERIFY(writeBook(root + "/sub/locked.xlsx"));
    QVERIFY(testsupport::WriteFileBytes(root + "/sub/~$locked.xlsx", "lock"));
}

RunResult RunIn(const QString &folder, int jobs, void (MergeObject::*run)())
{
    const QString templatePath = runOptions.templatePath;
    runOptions = RunOptions();
    runOptions.templatePath = templatePath;
    runOptions.lastRowText = QStringLiteral("12");
    runOptions.sourcePath = QDir::toNativeSeparators(folder + "/");
    runOptions.reportPath = RunReportPath(runOptions.sourcePath);
    MergeObject worker(QStringLiteral("tem"), nullptr);
    worker.SetAppFactory(DefaultAppFactory());
    worker.SetReportViewer({});
    worker.SetJobs(jobs);
    (worker.*run)();
    RunResult result;
    for (const QString &failure : worker.Failures())
        result.failures << QDir(folder).relativeFilePath(failure);
    result.report = QString::fromLocal8Bit(testsupport::FileBytes(runOptions.reportPath))
                        .replace(runOptions.sourcePath, QStringLiteral("<folder>/"));
    result.successCount = worker.SuccessCount();
    return result;
}

QStringList FilesBelow(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

} // namespace

class ParallelNativeTest : public QObject
{
    Q_OBJECT
  private slots:
    void parallelAndSerialRunsGiveTheSameWorkbooks_data();
    void parallelAndSerialRunsGiveTheSameWorkbooks();
};

void ParallelNativeTest::parallelAndSerialRunsGiveTheSameWorkbooks_data()
{
    QTest::addColumn<bool>("transform");
    QTest::newRow("unmerge") << false;
    QTest::newRow("transfer") << true;
}

void ParallelNativeTest::parallelAndSerialRunsGiveTheSameWorkbooks()
{
    QFETCH(bool, transform);
    QTemporaryDir root;
    const QString pristine = root.path() + "/pristine";
    int shape = 0;
    MakeCorpus(pristine, [&](const QString &path) {
        if (transform)
            return WriteTransferTarget(path);
        testsupport::MergedBookShape mergedShape;
        mergedShape.sheets = 1 + shape % 3;
        mergedShape.rows = 10 + 7 * shape++;
        return testsupport::WriteMergedWorkbook(path, mergedShape);
    });
    runOptions.templatePath = root.path() + "/template.xlsx";
    QVERIFY(WriteTransferTemplate(runOptions.templatePath));
    const auto run = transform ? &MergeObject::Transform : &MergeObject::UnMerge;

    QMap<int, RunResult> results;
    for (int jobs : {1, 3}) {
        const QString folder = root.path() + QStringLiteral("/jobs%1").arg(jobs);
        QVERIFY(QProcess::execute("cp", {"-a", pristine, folder}) == 0);
        results[jobs] = RunIn(folder, jobs, run);
    }

    QCOMPARE(results[3].failures, results[1].failures);
    QCOMPARE(results[1].failures, QStringList({"broken.xlsx", "sub/locked.xlsx"}));
    QCOMPARE(results[3].report, results[1].report);
    QCOMPARE(results[1].successCount, 5);
    QCOMPARE(results[3].successCount, 5);
    const QStringList files = FilesBelow(pristine);
    QCOMPARE(FilesBelow(root.path() + "/jobs3"), FilesBelow(root.path() + "/jobs1"));
    int changed = 0;
    for (const QString &file : files) {
        const QByteArray serial = testsupport::FileBytes(root.path() + "/jobs1/" + file);
        QVERIFY2(serial == testsupport::FileBytes(root.path() + "/jobs3/" + file),
                 qPrintable(file));
        changed += serial != testsupport::FileBytes(pristine + "/" + file) ? 1 : 0;
    }
    QCOMPARE(changed, 5); // every workbook done, none left as it was
}

QTEST_GUILESS_MAIN(ParallelNativeTest)
#include "test_parallel_native.moc"

// Runs on several threads, through the recording backend: what the user sees
// keeps the workbook-list order, no more workbooks are open than jobs, and a
// stop lets the workbooks in hand finish.

#include "worker/run_options.h"
#include "worker_test_support.h"

#include <QFile>
#include <QMutex>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

class ParallelRunTest : public QObject
{
    Q_OBJECT
  private slots:
    void init();
    void failuresFinishingOutOfOrderKeepListOrder();
    void noMoreWorkbooksOpenThanJobs();
    void stopLetsTheWorkbooksInHandFinish();
    void backendWithoutParallelUseRunsOneAtATime();
    void everyTransformLaneOpensAndClosesTheTemplate();

  private:
    QString Path(const QString &name) const { return root_->path() + QLatin1Char('/') + name; }
    QStringList Paths(const QStringList &names) const;
    int CallCount(const QString &member) const { return backend_.Members().count(member); }
    int MostWorkbooksOpenAtOnce() const;

    std::unique_ptr<QTemporaryDir> root_;
    std::unique_ptr<MergeObject> worker_;
    RecordingBackend backend_;
};

void ParallelRunTest::init()
{
    root_ = std::make_unique<QTemporaryDir>();
    worker_ = std::make_unique<MergeObject>("tem", nullptr);
    backend_ = RecordingBackend();
    backend_.SetParallelUse(true);
    ResetRunOptions(root_->path());
}

QStringList ParallelRunTest::Paths(const QStringList &names) const
{
    QStringList paths;
    for (const QString &name : names)
        paths << Path(name);
    return paths;
}

// Replays the log: an Open of a target workbook opens it, its Close closes it.
int ParallelRunTest::MostWorkbooksOpenAtOnce() const
{
    int open = 0;
    int most = 0;
    for (const RecordedCall &call : backend_.Calls()) {
        if (call.member == "Open(const QString&)")
            most = std::max(most, ++open);
        else if (call.member == "Close (Boolean)")
            --open;
    }
    return most;
}

void ParallelRunTest::failuresFinishingOutOfOrderKeepListOrder()
{
    const QStringList names = {"a.xlsx", "b.xlsx", "c.xlsx", "d.xlsx", "e.xlsx", "f.xlsx"};
    MakeFiles(root_->path(), names);
    for (const char *failing : {"a.xlsx", "c.xlsx", "e.xlsx"})
        backend_.FailOpen(failing);
    QMutex mutex;
    QStringList finishOrder;
    backend_.SetOpenHook([&](const QString &path) {
        // The first failure takes longest, so the later ones finish before it.
        if (path.endsWith("a.xlsx"))
            QThread::msleep(400);
        else if (path.endsWith("c.xlsx"))
            QThread::msleep(150);
        QMutexLocker lock(&mutex);
        finishOrder << QFileInfo(path).fileName();
    });
    QList<RunProgress> progress;
    QObject::connect(worker_.get(), &MergeObject::RunProgressed, [&](const RunProgress &event) {
        QMutexLocker lock(&mutex);
        progress << event;
    });
    worker_->SetJobs(3);
    const RunRecord record = RunOn(*worker_, backend_, &MergeObject::UnMerge);

    QVERIFY2(finishOrder.indexOf("e.xlsx") < finishOrder.indexOf("a.xlsx"),
             qPrintable(finishOrder.join(',')));
    const QStringList failures = Paths({"a.xlsx", "c.xlsx", "e.xlsx"});
    // Progress counts the workbooks as their turns end, in the order they end.
    QCOMPARE(progress.size(), names.size() + 1);
    QCOMPARE(progress[0].position, 0);
    QStringList ended;
    for (int i = 0; i < progress.size(); ++i) {
        QCOMPARE(progress[i].position, i);
        QCOMPARE(progress[i].total, names.size());
        if (i > 0)
            ended << QFileInfo(progress[i].path).fileName();
    }
    QVERIFY2(ended.indexOf("e.xlsx") < ended.indexOf("a.xlsx"), qPrintable(ended.join(',')));
    for (const RunProgress &event : progress.mid(1)) {
        const bool failing = failures.contains(event.path);
        QCOMPARE(event.outcome, failing ? WorkbookOutcome::Failed : WorkbookOutcome::Done);
        QCOMPARE(event.reason.isEmpty(), !failing);
    }
    QCOMPARE(worker_->Failures(), failures);
    QCOMPARE(worker_->SuccessCount(), 3);
    QCOMPARE(record.statusTexts.mid(0, names.size()), Paths(names));
    QCOMPARE(record.statusTexts.size(), names.size() + 1);
    QVERIFY(record.statusTexts.last().startsWith(QStringLiteral("成功设置3个Excel文件")));
    QFile report(runOptions.reportPath);
    QVERIFY(report.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLocal8Bit(report.readAll()), failures.join("\r\n") + "\r\n");
    QCOMPARE(record.completionSignals, 1);
}

void ParallelRunTest::noMoreWorkbooksOpenThanJobs()
{
    QStringList names;
    for (int i = 0; i < 12; ++i)
        names << QStringLiteral("book%1.xlsx").arg(i, 2, 10, QLatin1Char('0'));
    MakeFiles(root_->path(), names);
    // Long enough for the lanes to overlap, also on a busy machine.
    backend_.SetOpenHook([](const QString &) { QThread::msleep(30); });
    worker_->SetJobs(3);
    RunOn(*worker_, backend_, &MergeObject::UnMerge);

    const int most = MostWorkbooksOpenAtOnce();
    QVERIFY2(most <= 3, qPrintable(QString::number(most)));
    QVERIFY2(most >= 2, "the workbooks were not worked on in parallel");
    QCOMPARE(CallCount("Save()"), names.size());
    QCOMPARE(CallCount("Close (Boolean) false"), names.size());
    QCOMPARE(worker_->SuccessCount(), names.size());
    QCOMPARE(worker_->LastRunEnd(), RunEnd::Completed);
}

void ParallelRunTest::stopLetsTheWorkbooksInHandFinish()
{
    const QStringList names = {"a.xlsx", "b.xlsx", "c.xlsx", "d.xlsx",
                               "e.xlsx", "f.xlsx", "g.xlsx", "h.xlsx"};
    MakeFiles(root_->path(), names);
    MergeObject &worker = *worker_;
    backend_.SetOpenHook([&worker](const QString &path) {
        if (path.endsWith("c.xlsx"))
            worker.RequestStop();
        QThread::msleep(20);
    });
    worker.SetJobs(2);
    const RunRecord record = RunOn(worker, backend_, &MergeObject::UnMerge);

    const int opened = backend_.MembersOn("books").size();
    QVERIFY2(opened >= 3 && opened <= 4, qPrintable(QString::number(opened)));
    QCOMPARE(CallCount("Save()"), opened);
    QCOMPARE(CallCount("Close (Boolean) false"), opened);
    QCOMPARE(worker.SuccessCount(), opened);
    QCOMPARE(worker.LastRunEnd(), RunEnd::Stopped);
    // Announced are exactly the workbooks that were opened, in list order.
    QCOMPARE(record.statusTexts.mid(0, opened), Paths(names.mid(0, opened)));
    QCOMPARE(record.statusTexts.size(), opened + 1);
    QCOMPARE(record.completionSignals, 1);
}

void ParallelRunTest::backendWithoutParallelUseRunsOneAtATime()
{
    MakeFiles(root_->path(), {"a.xlsx", "b.xlsx", "c.xlsx"});
    backend_.SetParallelUse(false);
    worker_->SetJobs(4);
    RunOn(*worker_, backend_, &MergeObject::UnMerge);
    QCOMPARE(CallCount("WorkBooks"), 1);
    QCOMPARE(CallCount("Quit(void)"), 1);
    QCOMPARE(MostWorkbooksOpenAtOnce(), 1);
    QCOMPARE(worker_->SuccessCount(), 3);
}

void ParallelRunTest::everyTransformLaneOpensAndClosesTheTemplate()
{
    MakeFiles(root_->path(), {"a.xlsx", "b.xlsx", "c.xlsx", "d.xlsx"});
    QTemporaryDir templateFolder;
    runOptions.templatePath = templateFolder.path() + "/model.xlsx";
    worker_->SetJobs(2);
    const RunRecord record = RunOn(*worker_, backend_, &MergeObject::Transform);

    QCOMPARE(CallCount("WorkBooks"), 2);
    QCOMPARE(CallCount("Open(const QString&) " + runOptions.templatePath), 2);
    QCOMPARE(backend_.MembersOn("model.xlsx").count("Close (Boolean) false"), 2);
    QCOMPARE(CallCount("Quit(void)"), 2);
    for (const char *name : {"a.xlsx", "b.xlsx", "c.xlsx", "d.xlsx"})
        QCOMPARE(backend_.MembersOn(QString(name) + "/Sheet1!A1"),
                 QStringList(
                     {"PasteSpecial(conts QVariant&) 8", "PasteSpecial(conts QVariant&) -4122"}));
    QCOMPARE(worker_->SuccessCount(), 4);
    QCOMPARE(record.completionSignals, 1);
}

QTEST_GUILESS_MAIN(ParallelRunTest)
#include "test_parallel_runs.moc"

// The native engine finishes each save (the flush and replacement of the
// file) while its lane goes on with the next workbook. A finish that fails is
// still that workbook's failure, in list order, with the original kept and no
// temporary file left; a run, a stopped one too, ends only once every save it
// started is finished.

#include "backends/native/native_backend.h"
#include "file_bytes.h"
#include "fixtures.h"
#include "worker/merge_object.h"
#include "worker_test_support.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <future>

namespace
{

using Corpus = QMap<QString, QByteArray>; // file name: bytes before the run
using FinishHook = std::function<void(const QString &name)>;

struct FinishingRun {
    QStringList turns;    // names, in the order the status line showed them
    QStringList failures; // names
    QStringList reasons;
    QStringList reported; // names, as the run report lists them
    int successCount = 0;
    RunEnd end = RunEnd::Completed;
};

QString NameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

// Workbooks with merged areas: `rootBooks` in the folder itself, then (after
// them in list order, as sub-folders come after files) a file that is no
// workbook in sub/ and two more workbooks in sub/more/. Names are unique.
Corpus MakeCorpus(const QString &root, int rootBooks)
{
    QStringList paths;
    for (int i = 0; i < rootBooks; ++i)
        paths << QStringLiteral("book%1.xlsx").arg(i);
    paths << "sub/more/late0.xlsx"
          << "sub/more/late1.xlsx";
    QDir().mkpath(root + "/sub/more");
    Corpus corpus;
    for (const QString &path : paths) {
        testsupport::MergedBookShape shape;
        shape.rows = 30 + static_cast<int>(corpus.size());
        if (!testsupport::WriteMergedWorkbook(root + "/" + path, shape))
            qFatal("cannot write %s", qPrintable(path));
        corpus[NameOf(path)] = testsupport::FileBytes(root + "/" + path);
    }
    testsupport::WriteFileBytes(root + "/sub/broken.xlsx", "not a zip package");
    corpus["broken.xlsx"] = "not a zip package";
    return corpus;
}

// Every file below root but the run report.
Corpus FolderNow(const QString &root)
{
    Corpus now;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        now[NameOf(path)] = testsupport::FileBytes(path);
    }
    now.remove(NameOf(runOptions.reportPath));
    return now;
}

FinishingRun UnmergeIn(const QString &root, int jobs, MergeObject &worker,
                       const FinishHook &beforeFinish)
{
    ResetRunOptions(root);
    worker.SetAppFactory(NativeAppFactory([beforeFinish](const std::string &target) {
        beforeFinish(NameOf(QFile::decodeName(target.c_str())));
    }));
    worker.SetReportViewer({});
    worker.SetJobs(jobs);
    FinishingRun run;
    QObject::connect(&worker, &MergeObject::ShowDisposingFile, [&run](const QString &text) {
        if (text.endsWith(QLatin1String(".xlsx")))
            run.turns << NameOf(text);
    });
    worker.UnMerge();
    for (const QString &failure : worker.Failures())
        run.failures << NameOf(failure);
    run.reasons = worker.FailureReasons();
    const QString report = QString::fromLocal8Bit(testsupport::FileBytes(runOptions.reportPath));
    for (const QString &line : report.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        run.reported << NameOf(line);
    run.successCount = worker.SuccessCount();
    run.end = worker.LastRunEnd();
    return run;
}

// The last workbook of the folder itself in list order.
QString LastRootBook(MergeObject &worker, const QString &root)
{
    QString last;
    for (const QFileInfo &entry : worker.CollectFiles(root))
        if (entry.absolutePath() == QFileInfo(root).absoluteFilePath())
            last = entry.fileName();
    return last;
}

// Released once the status line has shown a given workbook.
struct TurnSeen {
    std::promise<void> promise;
    std::shared_future<void> seen = promise.get_future().share();
};

} // namespace

class SaveFinishingTest : public QObject
{
    Q_OBJECT
  private slots:
    void failedFinishIsThatWorkbooksFailureInListOrder_data();
    void failedFinishIsThatWorkbooksFailureInListOrder();
    void stopFinishesEveryStartedSave_data();
    void stopFinishesEveryStartedSave();
};

void SaveFinishingTest::failedFinishIsThatWorkbooksFailureInListOrder_data()
{
    QTest::addColumn<int>("jobs");
    QTest::newRow("one lane") << 1;
    QTest::newRow("three lanes") << 3;
}

// Another program rewrites one workbook between the writing of its new
// content and the replace. That workbook's failure only becomes known after
// a later workbook has failed, yet the report keeps list order.
void SaveFinishingTest::failedFinishIsThatWorkbooksFailureInListOrder()
{
    QFETCH(int, jobs);
    QTemporaryDir root;
    const Corpus before = MakeCorpus(root.path(), 4);
    MergeObject worker(QStringLiteral("tem"), nullptr);
    const QString victim = LastRootBook(worker, root.path());
    const QByteArray theirs = "another program's workbook";
    TurnSeen brokenShown;
    QObject::connect(&worker, &MergeObject::ShowDisposingFile, [&](const QString &text) {
        if (NameOf(text) == "broken.xlsx")
            brokenShown.promise.set_value();
    });

    const FinishingRun run = UnmergeIn(root.path(), jobs, worker, [&](const QString &name) {
        if (name != victim)
            return;
        // Bounded only so that a lane that never goes on fails instead of hanging.
        brokenShown.seen.wait_for(std::chrono::seconds(30));
        testsupport::WriteFileBytes(root.path() + "/" + victim, theirs);
    });

    QCOMPARE(run.end, RunEnd::Completed);
    QCOMPARE(run.turns.size(), before.size());
    QCOMPARE(run.failures, QStringList({victim, "broken.xlsx"}));
    QCOMPARE(run.reported, run.failures);
    QCOMPARE(run.reasons.first(), QStringLiteral("another program replaced or changed the "
                                                 "workbook while it was worked on"));
    QCOMPARE(run.successCount, before.size() - 2);
    const Corpus after = FolderNow(root.path());
    QCOMPARE(after.keys(), before.keys()); // no temporary file left
    QCOMPARE(after[victim], theirs);
    for (const QString &name : before.keys())
        if (name != victim && name != "broken.xlsx")
            QVERIFY2(after[name] != before[name], qPrintable(name + " was not saved"));
}

void SaveFinishingTest::stopFinishesEveryStartedSave_data()
{
    failedFinishIsThatWorkbooksFailureInListOrder_data();
}

// The stop comes while the first save is being finished, which takes long
// enough that a run that did not wait for it would have ended by then.
void SaveFinishingTest::stopFinishesEveryStartedSave()
{
    QFETCH(int, jobs);
    QTemporaryDir root;
    const Corpus before = MakeCorpus(root.path(), 8);
    MergeObject worker(QStringLiteral("tem"), nullptr);
    std::atomic<bool> stopped{false};

    const FinishingRun run = UnmergeIn(root.path(), jobs, worker, [&](const QString &) {
        if (stopped.exchange(true))
            return;
        worker.RequestStop();
        QThread::msleep(100);
    });

    QCOMPARE(run.end, RunEnd::Stopped);
    QVERIFY(run.turns.size() < before.size());
    const Corpus after = FolderNow(root.path());
    QCOMPARE(after.keys(), before.keys()); // no temporary file left
    int saved = 0;
    for (const QString &name : before.keys()) {
        const bool hadTurn = run.turns.contains(name);
        if (name == "broken.xlsx" || !hadTurn) {
            QVERIFY2(after[name] == before[name], qPrintable(name + " was touched"));
            continue;
        }
        QVERIFY2(after[name] != before[name], qPrintable(name + " was not saved"));
        ++saved;
    }
    QCOMPARE(run.successCount, saved);
    QCOMPARE(run.failures.size(), run.turns.size() - saved);
}

QTEST_GUILESS_MAIN(SaveFinishingTest)
#include "test_save_finishing.moc"

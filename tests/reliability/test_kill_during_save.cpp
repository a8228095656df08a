// A run killed (SIGKILL) at random moments over large workbooks: after each
// kill every workbook is exactly as before or exactly as after the run,
// never in between, and at most two temporary files are left: the one being
// written and the one of the previous workbook, whose save was still being
// finished (flushed and renamed). The next run ignores them and finishes the
// job.

#include "bounded_cli.h"
#include "file_bytes.h"
#include "fixtures.h"
#include "folder_state.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using namespace testsupport;

namespace
{

constexpr int kWorkbooks = 6;
constexpr int kKills = 10;
constexpr int kRunTimeoutMs = 120000;
// One lane: a workbook being written, the one before it being finished.
constexpr int kMaxLeftovers = 2;

QStringList UnmergeArguments(const QString &folder)
{
    return {QStringLiteral("unmerge"), folder, QStringLiteral("--jobs"), QStringLiteral("1")};
}

bool IsWorkbookName(const QString &name)
{
    return name.endsWith(QLatin1String(".xlsx"));
}

} // namespace

class KillDuringSaveTest : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void everyKillLeavesBeforeOrAfter();
    void nextRunIgnoresTheLeftoverAndFinishes();

  private:
    // Returns how many workbooks were already done, for the log.
    int VerifyBeforeOrAfter(int kill, qint64 delayMs);

    QTemporaryDir work_;
    QTemporaryDir expected_;
    FolderBytes before_;
    FolderBytes after_;
    qint64 runMs_ = 0;
};

void KillDuringSaveTest::initTestCase()
{
    QVERIFY(work_.isValid() && expected_.isValid());
    MergedBookShape shape;
    shape.sheets = 4;
    shape.rows = 1500;
    shape.columns = 24;
    shape.mergesPerSheet = 40;
    for (int i = 0; i < kWorkbooks; ++i)
        QVERIFY(WriteMergedWorkbook(work_.filePath(QStringLiteral("book%1.xlsx").arg(i)), shape));
    before_ = ReadFolder(work_.path());
    // The after state: the same job on a copy, run to its end.
    QVERIFY(RestoreFolder(expected_.path(), before_));
    const BoundedRun full = RunCliBounded(UnmergeArguments(expected_.path()), kRunTimeoutMs);
    QVERIFY2(full.finished && full.exitCode == 0, qPrintable(full.errors));
    after_ = ReadFolder(expected_.path());
    QCOMPARE(after_.keys(), before_.keys());
    for (const QString &name : before_.keys())
        QVERIFY2(after_[name] != before_[name], qPrintable(name + " was not changed by the run"));
    runMs_ = full.milliseconds;
    qInfo("a full run takes %lld ms", runMs_);
}

int KillDuringSaveTest::VerifyBeforeOrAfter(int kill, qint64 delayMs)
{
    const FolderBytes now = ReadFolder(work_.path());
    int leftovers = 0;
    int done = 0;
    int damaged = 0;
    for (auto file = now.begin(); file != now.end(); ++file) {
        const QString &name = file.key();
        if (!IsWorkbookName(name)) {
            ++leftovers;
        } else if (file.value() == after_.value(name)) {
            ++done;
        } else if (file.value() != before_.value(name)) {
            ++damaged;
            qCritical("%s is neither as before nor as after", qPrintable(name));
        }
    }
    int missing = 0;
    for (const QString &name : before_.keys())
        missing += now.contains(name) ? 0 : 1;
    qInfo("kill %d after %lld ms: %d of %d workbooks done, %d missing, %d temporary file(s)", kill,
          delayMs, done, kWorkbooks, missing, leftovers);
    return damaged == 0 && missing == 0 && leftovers <= kMaxLeftovers ? done : -1;
}

void KillDuringSaveTest::everyKillLeavesBeforeOrAfter()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("kill moments from seed %u", seed);
    QRandomGenerator random(seed);
    for (int kill = 0; kill < kKills; ++kill) {
        QVERIFY(RestoreFolder(work_.path(), before_));
        const qint64 delayMs = random.bounded(static_cast<int>(qMax<qint64>(runMs_, 1)));
        CliChild child;
        child.Start(UnmergeArguments(work_.path()));
        QThread::msleep(static_cast<unsigned long>(delayMs));
        child.Kill();
        child.Wait(kRunTimeoutMs);
        QVERIFY2(VerifyBeforeOrAfter(kill, delayMs) >= 0,
                 qPrintable(FileNames(work_.path()).join(", ")));
    }
}

void KillDuringSaveTest::nextRunIgnoresTheLeftoverAndFinishes()
{
    const QString leftover = work_.filePath(QStringLiteral(".sheetwright-save-Ab12Cd"));
    QVERIFY(WriteFileBytes(leftover, before_.first().left(5000)));
    const BoundedRun run = RunCliBounded(UnmergeArguments(work_.path()), kRunTimeoutMs);
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.errors));
    QVERIFY(!run.output.contains(QLatin1String(".sheetwright-save")));
    const FolderBytes now = ReadFolder(work_.path());
    for (const QString &name : before_.keys())
        QVERIFY2(now.value(name) == after_.value(name), qPrintable(name));
}

QTEST_GUILESS_MAIN(KillDuringSaveTest)
#include "test_kill_during_save.moc"

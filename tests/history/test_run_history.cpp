#include "history/run_backup.h"
#include "history/run_undo.h"
#include "scratch_mounts.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace
{

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// As a save does it: a new file renamed over the workbook.
void SaveAnew(const QString &path, const QByteArray &bytes)
{
    WriteFile(path + ".new", bytes);
    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::rename(path + ".new", path));
}

ino_t InodeOf(const QString &path)
{
    struct stat status {
    };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

QStringList KeptFiles(const QString &folder)
{
    QStringList files;
    QDirIterator it(history::RunsFolder(folder), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}

} // namespace

class RunHistoryTest : public QObject
{
    Q_OBJECT

  private slots:
    void undoRestoresWhatTheRunReplacedAndNothingEditedSince();
    void unchangedAndFailedWorkbooksLeaveNoRecord();
    void killedRunIsUndoneForTheWorkbooksItFinished();
    void completedRunsKeepOnlyTheNewest();
    void copiesWhereLinksAreImpossible();
    void noRoomForCopiesRefusesBeforeAnything();
    void workbookOutsideTheFolderIsKeptInsideTheRun();
    void partlyUndoneRunIsRetriedBeforeOlderRuns();
    void stoppedUndoLeavesTheRestForLater();
    void workbookKeptTwiceKeepsItsFirstOriginal();
    void reportGoesWithTheUndoneRun();
    void editKeepingSizeAndTimeIsStillSeen();
    void manifestsOfEarlierHashKindsAreUndone();

  private:
    std::unique_ptr<history::RunBackup> Start(const QString &folder, const QStringList &books)
    {
        QString error;
        auto backup = history::RunBackup::Start(folder, "transfer", books, error);
        if (!backup)
            qWarning() << error;
        return backup;
    }

    // A run that replaces each workbook with `result`, and notes `report`.
    void RunThatReplaces(const QString &folder, const QStringList &books, const QByteArray &result,
                         const QString &report = QString())
    {
        auto backup = Start(folder, books);
        QVERIFY(backup);
        QString error;
        for (const QString &book : books) {
            QVERIFY2(backup->Keep(book, error), qPrintable(error));
            SaveAnew(book, result);
            backup->Finish(book, true);
        }
        if (!report.isEmpty())
            backup->NoteReport(report);
        backup->Close(true, 5);
    }
};

void RunHistoryTest::undoRestoresWhatTheRunReplacedAndNothingEditedSince()
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.xlsx"), b = dir.filePath("sub/b.xlsx");
    WriteFile(a, "original a");
    WriteFile(b, "original b");
    const ino_t originalInode = InodeOf(a);
    auto backup = Start(dir.path(), {a, b});
    QVERIFY(backup);
    QString error;
    QVERIFY(backup->Keep(a, error) && backup->Keep(b, error));
    SaveAnew(a, "changed a");
    SaveAnew(b, "changed b");
    backup->Finish(a, true);
    backup->Finish(b, true);
    backup->Close(true, 5);

    // The original lives on as the same file, not a copy.
    QCOMPARE(KeptFiles(dir.path()).filter("/files/a.xlsx").size(), 1);
    QCOMPARE(InodeOf(KeptFiles(dir.path()).filter("/files/a.xlsx").first()), originalInode);
    const auto runs = history::ListRuns(dir.path());
    QCOMPARE(int(runs.size()), 1);
    QCOMPARE(runs.front().workbooks, 2);
    QCOMPARE(runs.front().job, QString("transfer"));

    WriteFile(b, "edited by hand after the run");
    const history::UndoPlan plan = history::PlanUndo(dir.path());
    QCOMPARE(plan.restorable, QStringList({a}));
    QCOMPARE(plan.changedSince, QStringList({b}));

    const history::UndoOutcome outcome = history::UndoLastRun(dir.path());
    QCOMPARE(outcome.restored, QStringList({a}));
    QCOMPARE(outcome.changedSince, QStringList({b}));
    QCOMPARE(ReadFile(a), QByteArray("original a"));
    QCOMPARE(ReadFile(b), QByteArray("edited by hand after the run"));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).filter("restore").isEmpty());

    // b is left for a retry; once it is as the run left it again, the run is whole.
    WriteFile(b, "changed b");
    QCOMPARE(history::UndoLastRun(dir.path()).restored, QStringList({b}));
    QCOMPARE(ReadFile(b), QByteArray("original b"));
    QVERIFY(history::ListRuns(dir.path()).front().undone);
    QVERIFY(history::PlanUndo(dir.path()).run.id.isEmpty()); // nothing left to undo
}

void RunHistoryTest::partlyUndoneRunIsRetriedBeforeOlderRuns()
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.xlsx"), b = dir.filePath("b.xlsx"),
                  c = dir.filePath("c.xlsx");
    for (const QString &path : {a, b, c})
        WriteFile(path, "original");
    RunThatReplaces(dir.path(), {a}, "first");
    RunThatReplaces(dir.path(), {a, b, c}, "second");
    WriteFile(b, "edited since");
    history::UndoHooks hooks;
    hooks.openElsewhere = [c](const QString &path) { return path == c; };

    for (int attempt = 0; attempt < 2; ++attempt) {
        const history::UndoOutcome outcome = history::UndoLastRun(dir.path(), hooks);
        QCOMPARE(outcome.restored, attempt == 0 ? QStringList({a}) : QStringList());
        QCOMPARE(outcome.changedSince, QStringList({b}));
        QCOMPARE(outcome.failed, QStringList({c}));
        QVERIFY(!outcome.run.undone);
        const auto runs = history::ListRuns(dir.path());
        QVERIFY(!runs.back().undone);
        QCOMPARE(runs.back().restored, 1);
        QCOMPARE(ReadFile(a), QByteArray("first"));
    }
    const history::UndoPlan plan = history::PlanUndo(dir.path(), hooks);
    QCOMPARE(plan.restorable, QStringList({c})); // a is done with
    QCOMPARE(plan.changedSince, QStringList({b}));

    WriteFile(b, "second");
    const history::UndoOutcome whole = history::UndoLastRun(dir.path());
    QCOMPARE(whole.restored, QStringList({b, c}));
    QVERIFY(whole.run.undone && history::ListRuns(dir.path()).back().undone);
    QCOMPARE(ReadFile(b), QByteArray("original"));
    QCOMPARE(ReadFile(c), QByteArray("original"));
    QCOMPARE(history::UndoLastRun(dir.path()).restored, QStringList({a}));
    QCOMPARE(ReadFile(a), QByteArray("original"));
}

void RunHistoryTest::stoppedUndoLeavesTheRestForLater()
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.xlsx"), b = dir.filePath("b.xlsx");
    WriteFile(a, "original");
    WriteFile(b, "original");
    RunThatReplaces(dir.path(), {a, b}, "changed");
    std::atomic<bool> stop{false};
    QStringList turns;
    history::UndoHooks hooks;
    hooks.stop = &stop;
    hooks.turnEnded = [&](int position, int total, const QString &path, const QString &problem) {
        turns << QString("%1/%2 %3 %4").arg(position).arg(total).arg(path, problem);
        stop = true;
    };
    const history::UndoOutcome outcome = history::UndoLastRun(dir.path(), hooks);
    QCOMPARE(turns, QStringList({"1/2 " + a + " "}));
    QCOMPARE(outcome.notReached, QStringList({b}));
    QVERIFY(!outcome.run.undone);
    QCOMPARE(ReadFile(b), QByteArray("changed"));
    QCOMPARE(history::UndoLastRun(dir.path()).restored, QStringList({b}));
    QCOMPARE(ReadFile(b), QByteArray("original"));
}

void RunHistoryTest::workbookKeptTwiceKeepsItsFirstOriginal()
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.xlsx");
    WriteFile(a, "original");
    auto backup = Start(dir.path(), {a, a});
    QString error;
    QVERIFY(backup->Keep(a, error));
    SaveAnew(a, "changed once");
    backup->Finish(a, true);
    QVERIFY(!backup->Keep(a, error)); // its second turn must not take "changed once" as original
    QVERIFY2(error.contains("turn"), qPrintable(error));
    backup->Close(true, 5);
    QCOMPARE(history::UndoLastRun(dir.path()).restored, QStringList({a}));
    QCOMPARE(ReadFile(a), QByteArray("original"));
}

void RunHistoryTest::reportGoesWithTheUndoneRun()
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.xlsx"), b = dir.filePath("b.xlsx");
    const QString report = dir.filePath("report.txt");
    WriteFile(a, "original");
    WriteFile(b, "original");
    WriteFile(report, "broken.xlsx\r\n");
    RunThatReplaces(dir.path(), {a, b}, "changed", report);
    WriteFile(b, "edited since");
    QStringList rewrittenWith;
    history::UndoHooks hooks;
    hooks.rewriteReport = [&](const QStringList &notRestored, const QString &path) {
        rewrittenWith = notRestored;
        WriteFile(path, "left: b\r\n");
        return true;
    };
    history::UndoLastRun(dir.path(), hooks);
    QCOMPARE(rewrittenWith, QStringList({b}));
    QCOMPARE(ReadFile(report), QByteArray("left: b\r\n"));

    // The rewritten report is the run's still: the whole undo takes it away.
    WriteFile(b, "changed");
    QVERIFY(history::UndoLastRun(dir.path(), hooks).run.undone);
    QVERIFY(!QFile::exists(report));

    // A report that another run has written since stays.
    RunThatReplaces(dir.path(), {a}, "changed again", report);
    WriteFile(report, "a later run's failures\r\n");
    QVERIFY(history::UndoLastRun(dir.path(), hooks).run.undone);
    QCOMPARE(ReadFile(report), QByteArray("a later run's failures\r\n"));
}

void RunHistoryTest::unchangedAndFailedWorkbooksLeaveNoRecord()
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.xlsx"), b = dir.filePath("b.xlsx");
    WriteFile(a, "a");
    WriteFile(b, "b");
    auto backup = Start(dir.path(), {a, b});
    QString error;
    QVERIFY(backup->Keep(a, error) && backup->Keep(b, error));
    backup->Finish(a, true);  // saved without a change
    backup->Finish(b, false); // failed: left as it was
    backup->Close(true, 5);
    QVERIFY(history::ListRuns(dir.path()).empty());
    QVERIFY(KeptFiles(dir.path()).isEmpty());
}

void RunHistoryTest::killedRunIsUndoneForTheWorkbooksItFinished()
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.xlsx"), b = dir.filePath("b.xlsx");
    WriteFile(a, "original a");
    WriteFile(b, "original b");
    {
        auto backup = Start(dir.path(), {a, b});
        QString error;
        QVERIFY(backup->Keep(a, error));
        SaveAnew(a, "changed a");
        backup->Finish(a, true);
        QVERIFY(backup->Keep(b, error)); // the run dies while b is in hand
    }
    const history::UndoOutcome outcome = history::UndoLastRun(dir.path());
    QCOMPARE(outcome.restored, QStringList({a}));
    QCOMPARE(ReadFile(a), QByteArray("original a"));
    QCOMPARE(ReadFile(b), QByteArray("original b"));
}

void RunHistoryTest::completedRunsKeepOnlyTheNewest()
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.xlsx");
    WriteFile(a, "0");
    for (int run = 1; run <= 3; ++run) {
        auto backup = Start(dir.path(), {a});
        QString error;
        QVERIFY(backup->Keep(a, error));
        SaveAnew(a, QByteArray::number(run));
        backup->Finish(a, true);
        backup->Close(true, 2);
    }
    const auto runs = history::ListRuns(dir.path());
    QCOMPARE(int(runs.size()), 2);
    history::UndoLastRun(dir.path());
    QCOMPARE(ReadFile(a), QByteArray("2"));
    history::UndoLastRun(dir.path());
    QCOMPARE(ReadFile(a), QByteArray("1"));
    QCOMPARE(history::UndoLastRun(dir.path()).restored, QStringList()); // run 1 was pruned
}

void RunHistoryTest::copiesWhereLinksAreImpossible()
{
    QTemporaryDir dir;
    const QString sub = dir.filePath("sub");
    QDir().mkpath(sub);
    ScratchMount mount(sub); // another file system: no links across it
    if (!mount.Mount(qint64(4) << 20))
        QSKIP("mounting a tmpfs needs root");
    const QString a = sub + "/a.xlsx";
    WriteFile(a, "original a");
    auto backup = Start(dir.path(), {a});
    QVERIFY(backup);
    QString error;
    QVERIFY(backup->Keep(a, error));
    const QString kept = KeptFiles(dir.path()).filter("/files/").value(0);
    QVERIFY(InodeOf(kept) != 0 && InodeOf(kept) != InodeOf(a));
    SaveAnew(a, "changed a");
    backup->Finish(a, true);
    backup->Close(true, 5);
    QCOMPARE(history::UndoLastRun(dir.path()).restored, QStringList({a}));
    QCOMPARE(ReadFile(a), QByteArray("original a"));
}

void RunHistoryTest::noRoomForCopiesRefusesBeforeAnything()
{
    QTemporaryDir dir;
    ScratchMount outer(dir.path()); // where the backups would go: almost full
    if (!outer.Mount(qint64(1) << 20))
        QSKIP("mounting a tmpfs needs root");
    const QString sub = dir.filePath("sub");
    QDir().mkpath(sub);
    ScratchMount inner(sub);
    QVERIFY(inner.Mount(qint64(4) << 20));
    const QString a = sub + "/a.xlsx";
    WriteFile(a, QByteArray(2 << 20, 'x'));
    QString error;
    QVERIFY(!history::RunBackup::Start(dir.path(), "unmerge", {a}, error));
    QVERIFY2(error.contains("not enough free disk space"), qPrintable(error));
    QVERIFY(KeptFiles(dir.path()).isEmpty());
    QVERIFY(QDir(history::RunsFolder(dir.path()))
                .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                .isEmpty());
}

void RunHistoryTest::workbookOutsideTheFolderIsKeptInsideTheRun()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("deep/report/folder");
    const QString outside = dir.filePath("elsewhere/a.xlsx");
    QDir().mkpath(folder);
    WriteFile(outside, "original");
    auto backup = Start(folder, {outside});
    QString error;
    QVERIFY(backup->Keep(outside, error));
    QCOMPARE(ReadFile(outside), QByteArray("original")); // never taken for the kept copy's name
    const QStringList kept = KeptFiles(folder).filter("/files/");
    QCOMPARE(kept.size(), 1);
    QVERIFY2(kept.first().startsWith(history::RunsFolder(folder)), qPrintable(kept.first()));
    SaveAnew(outside, "changed");
    backup->Finish(outside, true);
    backup->Close(true, 5);
    QCOMPARE(history::UndoLastRun(folder).restored, QStringList({outside}));
    QCOMPARE(ReadFile(outside), QByteArray("original"));
}

// The hash, not the file's size and time, tells an edit: one that keeps both
// (a tool that restores the time) still leaves the workbook alone.
void RunHistoryTest::editKeepingSizeAndTimeIsStillSeen()
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.xlsx");
    WriteFile(a, "original a");
    auto backup = Start(dir.path(), {a});
    QString error;
    QVERIFY(backup->Keep(a, error));
    SaveAnew(a, "changed a");
    backup->Finish(a, true);
    backup->Close(true, 5);

    QFile manifest(KeptFiles(dir.path()).filter("manifest.jsonl").value(0));
    QVERIFY(manifest.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = manifest.readAll().trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    const QJsonObject line = QJsonDocument::fromJson(lines[1]).object();
    QCOMPARE(line.value("digest").toString(), QString("xxh3-128"));
    QCOMPARE(line.value("result").toString().size(), 32);
    QVERIFY(line.value("result") != line.value("original"));

    const QDateTime modified = QFileInfo(a).lastModified();
    {
        QFile file(a);
        QVERIFY(file.open(QIODevice::ReadWrite)); // edited in place, same length
        QVERIFY(file.write("CHANGED") == 7 && file.flush());
        QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
    }
    QCOMPARE(QFileInfo(a).lastModified(), modified);
    const history::UndoOutcome outcome = history::UndoLastRun(dir.path(), {});
    QCOMPARE(outcome.changedSince, QStringList({a}));
    QCOMPARE(ReadFile(a), QByteArray("CHANGED a"));
}

// Runs recorded before the hash kind was named used SHA-1; a kind this build
// does not know is never taken as a match.
void RunHistoryTest::manifestsOfEarlierHashKindsAreUndone()
{
    QTemporaryDir dir;
    const QString runFolder = history::RunsFolder(dir.path()) + "/20240101-120000-000";
    const auto sha1 = [](const QByteArray &bytes) {
        return QString::fromLatin1(
            QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
    };
    QByteArray manifest = R"({"job":"unmerge","started":"2024-01-01T12:00:00"})"
                          "\n";
    for (const char *name : {"a", "b", "c"}) {
        const QString file = QString(name) + ".xlsx";
        WriteFile(runFolder + "/files/" + file, QByteArray("original ") + name);
        WriteFile(dir.filePath(file), QByteArray("changed ") + name);
        QJsonObject line{{"path", file},
                         {"size", 10},
                         {"modified", 0},
                         {"original", sha1(QByteArray("original ") + name)},
                         {"result", sha1(QByteArray("changed ") + name)}};
        if (QByteArray(name) == "c")
            line.insert("digest", "md17");
        manifest += QJsonDocument(line).toJson(QJsonDocument::Compact) + "\n";
    }
    WriteFile(runFolder + "/manifest.jsonl", manifest);
    WriteFile(dir.filePath("b.xlsx"), "edited b");

    const history::UndoOutcome outcome = history::UndoLastRun(dir.path(), {});
    QCOMPARE(outcome.restored, QStringList({dir.filePath("a.xlsx")}));
    QCOMPARE(outcome.changedSince, QStringList({dir.filePath("b.xlsx"), dir.filePath("c.xlsx")}));
    QCOMPARE(ReadFile(dir.filePath("a.xlsx")), QByteArray("original a"));
    QCOMPARE(ReadFile(dir.filePath("b.xlsx")), QByteArray("edited b"));
    QCOMPARE(ReadFile(dir.filePath("c.xlsx")), QByteArray("changed c"));
}

QTEST_GUILESS_MAIN(RunHistoryTest)
#include "test_run_history.moc"

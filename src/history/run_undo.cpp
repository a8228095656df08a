#include "history/run_undo.h"

#include "history/file_links.h"
#include "history/run_backup.h"
#include "history/run_manifest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace history
{
namespace
{

const char kUndoneMark[] = "undone";
const char kChangedSince[] = "changed since the run";

QString ManifestPath(const QString &runFolder)
{
    return runFolder + QStringLiteral("/manifest.jsonl");
}

QString UndoneMarkPath(const QString &runFolder)
{
    return runFolder + QLatin1Char('/') + QLatin1String(kUndoneMark);
}

KeptRun RunOf(const QString &runFolder, const RunManifest &manifest)
{
    KeptRun run;
    run.id = QFileInfo(runFolder).fileName();
    run.job = manifest.job;
    run.startedAt = manifest.startedAt;
    run.workbooks = static_cast<int>(manifest.workbooks.size());
    for (const KeptWorkbook &workbook : manifest.workbooks)
        run.restored += workbook.restored ? 1 : 0;
    run.undone = QFileInfo::exists(UndoneMarkPath(runFolder));
    return run;
}

// The newest run not yet wholly undone, with its manifest; an empty folder text when none.
QString LastRunFolder(const QString &workbookFolder, RunManifest &manifest)
{
    const QDir runs(RunsFolder(workbookFolder));
    const QStringList names = runs.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (auto name = names.crbegin(); name != names.crend(); ++name) {
        const QString folder = runs.absoluteFilePath(*name);
        if (!QFileInfo::exists(UndoneMarkPath(folder)) &&
            ReadManifest(ManifestPath(folder), manifest))
            return folder;
    }
    return QString();
}

struct PendingWorkbook {
    KeptWorkbook kept;
    QString path; // where the workbook is now, native separators
};

// The newest run not yet undone and the workbooks it still has to give back.
struct LastRun {
    QString folder;
    RunManifest manifest;
    std::vector<PendingWorkbook> pending;
};

bool FindLastRun(const QString &workbookFolder, LastRun &last)
{
    last.folder = LastRunFolder(workbookFolder, last.manifest);
    const QDir folder(workbookFolder);
    for (const KeptWorkbook &workbook : last.manifest.workbooks) {
        if (!workbook.restored)
            last.pending.push_back(
                {workbook, QDir::toNativeSeparators(
                               QDir::cleanPath(folder.absoluteFilePath(workbook.relativePath)))});
    }
    return !last.folder.isEmpty();
}

enum class Holds { RunResult, Original, Other };

Holds WhatItHolds(const PendingWorkbook &workbook)
{
    // No hash (a kind this build does not know) matches nothing.
    if (!QFileInfo(workbook.path).isFile() || workbook.kept.resultHash.isEmpty())
        return Holds::Other;
    const QByteArray hash = FileHash(workbook.path, workbook.kept.hashKind);
    if (hash == workbook.kept.resultHash)
        return Holds::RunResult;
    // Restored once already, its record lost to a kill: nothing left to do.
    return hash == workbook.kept.originalHash ? Holds::Original : Holds::Other;
}

bool Stopped(const UndoHooks &hooks)
{
    return hooks.stop && hooks.stop->load();
}

void EndTurn(const UndoHooks &hooks, size_t index, size_t total, const QString &path,
             const QString &problem)
{
    if (hooks.turnEnded)
        hooks.turnEnded(static_cast<int>(index) + 1, static_cast<int>(total), path, problem);
}

// Puts the backup under a temporary name beside the workbook, then renames it
// over the workbook, so the workbook is never seen half-written.
bool Restore(const QString &backup, const QString &path, QString &reason)
{
    const QString temporary = QFileInfo(path).absolutePath() +
                              QStringLiteral("/.sheetwright-restore-") + QFileInfo(path).fileName();
    QFile::remove(temporary);
    if (!LinkOrCopy(backup, temporary)) {
        reason = QStringLiteral("the original could not be put beside the workbook");
        return false;
    }
    if (!ReplaceFile(temporary, path)) {
        QFile::remove(temporary);
        reason = QStringLiteral("the workbook could not be replaced");
        return false;
    }
    return true;
}

bool AppendToManifest(const QString &runFolder, const QByteArray &line)
{
    QFile manifest(ManifestPath(runFolder));
    return manifest.open(QIODevice::WriteOnly | QIODevice::Append) &&
           manifest.write(line) == line.size();
}

// Gives one workbook its original back; the problem when it is not, else empty.
QString RestoreOne(const QString &workbookFolder, const LastRun &last,
                   const PendingWorkbook &workbook, const UndoHooks &hooks)
{
    const Holds holds = WhatItHolds(workbook);
    if (holds == Holds::Other)
        return QLatin1String(kChangedSince);
    if (hooks.openElsewhere && hooks.openElsewhere(workbook.path))
        return QStringLiteral("the workbook is open in another program");
    const QString kept = KeptFilePath(last.folder, workbookFolder, workbook.kept.relativePath);
    QString reason;
    if (holds == Holds::RunResult && !Restore(kept, workbook.path, reason))
        return reason;
    // Without its record a retry still knows the workbook by its original's hash.
    if (AppendToManifest(last.folder, RestoredLine(workbook.kept.relativePath)))
        QFile::remove(kept);
    return QString();
}

void Tally(UndoOutcome &outcome, const QString &path, const QString &problem)
{
    if (problem.isEmpty()) {
        outcome.restored << path;
    } else if (problem == QLatin1String(kChangedSince)) {
        outcome.changedSince << path;
    } else {
        outcome.failed << path;
        outcome.reasons << problem;
    }
}

// The run's report, while it is still the one the run, or an undo of it, wrote.
QString OwnReport(const QString &workbookFolder, const RunManifest &manifest)
{
    if (manifest.reportPath.isEmpty() || manifest.reportHash.isEmpty())
        return QString();
    const QString path =
        QDir::cleanPath(QDir(workbookFolder).absoluteFilePath(manifest.reportPath));
    return FileHash(path) == manifest.reportHash ? path : QString();
}

// A report of a run that was taken back would name workbooks that are now
// as they were before it.
void SettleReport(const QString &workbookFolder, const LastRun &last,
                  const QStringList &notRestored, const UndoHooks &hooks)
{
    const QString report = OwnReport(workbookFolder, last.manifest);
    if (report.isEmpty())
        return;
    if (notRestored.isEmpty()) {
        QFile::remove(report);
    } else if (hooks.rewriteReport && hooks.rewriteReport(notRestored, report)) {
        AppendToManifest(last.folder, ReportLine(last.manifest.reportPath, FileHash(report)));
    }
}

} // namespace

std::vector<KeptRun> ListRuns(const QString &workbookFolder)
{
    std::vector<KeptRun> kept;
    const QDir runs(RunsFolder(workbookFolder));
    for (const QString &name : runs.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        RunManifest manifest;
        const QString folder = runs.absoluteFilePath(name);
        if (ReadManifest(ManifestPath(folder), manifest))
            kept.push_back(RunOf(folder, manifest));
    }
    return kept;
}

UndoPlan PlanUndo(const QString &workbookFolder, const UndoHooks &hooks)
{
    UndoPlan plan;
    LastRun last;
    if (!FindLastRun(workbookFolder, last))
        return plan;
    plan.run = RunOf(last.folder, last.manifest);
    for (size_t i = 0; i < last.pending.size(); ++i) {
        if (Stopped(hooks)) {
            plan.stopped = true;
            break;
        }
        const PendingWorkbook &workbook = last.pending[i];
        const bool restorable = WhatItHolds(workbook) != Holds::Other;
        (restorable ? plan.restorable : plan.changedSince) << workbook.path;
        EndTurn(hooks, i, last.pending.size(), workbook.path,
                restorable ? QString() : QLatin1String(kChangedSince));
    }
    return plan;
}

UndoOutcome UndoLastRun(const QString &workbookFolder, const UndoHooks &hooks)
{
    UndoOutcome outcome;
    LastRun last;
    if (!FindLastRun(workbookFolder, last))
        return outcome;
    outcome.run = RunOf(last.folder, last.manifest);
    for (size_t i = 0; i < last.pending.size(); ++i) {
        const PendingWorkbook &workbook = last.pending[i];
        if (Stopped(hooks)) {
            outcome.notReached << workbook.path;
            continue;
        }
        const QString problem = RestoreOne(workbookFolder, last, workbook, hooks);
        Tally(outcome, workbook.path, problem);
        EndTurn(hooks, i, last.pending.size(), workbook.path, problem);
    }
    outcome.run.restored += outcome.restored.size();
    const QStringList notRestored = outcome.changedSince + outcome.failed + outcome.notReached;
    if (notRestored.isEmpty()) {
        QFile mark(UndoneMarkPath(last.folder));
        outcome.run.undone = mark.open(QIODevice::WriteOnly);
    }
    SettleReport(workbookFolder, last, notRestored, hooks);
    return outcome;
}

} // namespace history

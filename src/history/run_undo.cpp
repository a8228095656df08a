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

QString ManifestPath(const QString &runFolder)
{
    return runFolder + QStringLiteral("/manifest.jsonl");
}

KeptRun RunOf(const QString &runFolder, const RunManifest &manifest)
{
    KeptRun run;
    run.id = QFileInfo(runFolder).fileName();
    run.job = manifest.job;
    run.startedAt = manifest.startedAt;
    run.workbooks = static_cast<int>(manifest.workbooks.size());
    run.undone = QFileInfo::exists(runFolder + QLatin1Char('/') + QLatin1String(kUndoneMark));
    return run;
}

// The newest run not yet undone, with its manifest; an empty folder text when none.
QString LastRunFolder(const QString &workbookFolder, RunManifest &manifest)
{
    const QDir runs(RunsFolder(workbookFolder));
    const QStringList names = runs.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (auto name = names.crbegin(); name != names.crend(); ++name) {
        const QString folder = runs.absoluteFilePath(*name);
        if (!RunOf(folder, RunManifest()).undone && ReadManifest(ManifestPath(folder), manifest))
            return folder;
    }
    return QString();
}

// The newest run not yet undone and its workbooks' current paths; false when none.
bool LastRun(const QString &workbookFolder, QString &runFolder, RunManifest &manifest,
             QStringList &paths)
{
    runFolder = LastRunFolder(workbookFolder, manifest);
    const QDir folder(workbookFolder);
    for (const KeptWorkbook &workbook : manifest.workbooks)
        paths << QDir::toNativeSeparators(
            QDir::cleanPath(folder.absoluteFilePath(workbook.relativePath)));
    return !runFolder.isEmpty();
}

bool StillAsRunLeftIt(const QString &path, const KeptWorkbook &workbook)
{
    // No hash (a kind this build does not know) matches nothing.
    return QFileInfo(path).isFile() && !workbook.resultHash.isEmpty() &&
           FileHash(path, workbook.hashKind) == workbook.resultHash;
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

UndoPlan PlanUndo(const QString &workbookFolder)
{
    UndoPlan plan;
    QString runFolder;
    RunManifest manifest;
    QStringList paths;
    if (!LastRun(workbookFolder, runFolder, manifest, paths))
        return plan;
    plan.run = RunOf(runFolder, manifest);
    for (size_t i = 0; i < manifest.workbooks.size(); ++i) {
        const QString &path = paths[static_cast<int>(i)];
        (StillAsRunLeftIt(path, manifest.workbooks[i]) ? plan.restorable : plan.changedSince)
            << path;
    }
    return plan;
}

UndoOutcome UndoLastRun(const QString &workbookFolder, const OpenElsewhere &openElsewhere)
{
    UndoOutcome outcome;
    QString runFolder;
    RunManifest manifest;
    QStringList paths;
    if (!LastRun(workbookFolder, runFolder, manifest, paths))
        return outcome;
    outcome.run = RunOf(runFolder, manifest);
    for (size_t i = 0; i < manifest.workbooks.size(); ++i) {
        const KeptWorkbook &workbook = manifest.workbooks[i];
        const QString &path = paths[static_cast<int>(i)];
        const QString kept = KeptFilePath(runFolder, workbookFolder, workbook.relativePath);
        QString reason;
        if (!StillAsRunLeftIt(path, workbook)) {
            outcome.changedSince << path;
        } else if (openElsewhere && openElsewhere(path)) {
            outcome.failed << path;
            outcome.reasons << QStringLiteral("the workbook is open in another program");
        } else if (Restore(kept, path, reason)) {
            outcome.restored << path;
            QFile::remove(kept);
        } else {
            outcome.failed << path;
            outcome.reasons << reason;
        }
    }
    QFile mark(runFolder + QLatin1Char('/') + QLatin1String(kUndoneMark));
    mark.open(QIODevice::WriteOnly);
    outcome.run.undone = true;
    return outcome;
}

} // namespace history

#include "history/run_backup.h"

#include "history/file_links.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace history
{
namespace
{

const char kManifestName[] = "manifest.jsonl";
const char kFilesFolder[] = "files";
// Room left over beside the copies, so the disk is not filled to the last byte.
constexpr qint64 kSpareBytes = qint64(64) << 20;

QString NewRunFolder(const QString &workbookFolder)
{
    const QString base =
        RunsFolder(workbookFolder) + QLatin1Char('/') +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    QString folder = base;
    for (int suffix = 2; QFileInfo::exists(folder); ++suffix)
        folder = base + QLatin1Char('-') + QString::number(suffix);
    return QDir().mkpath(folder) ? folder : QString();
}

bool LinksWork(const QString &workbook, const QString &runFolder)
{
    const QString probe = runFolder + QStringLiteral("/link-probe");
    const bool linked = MakeHardLink(workbook, probe);
    QFile::remove(probe);
    return linked;
}

qint64 TotalSize(const QStringList &paths)
{
    qint64 total = 0;
    for (const QString &path : paths)
        total += QFileInfo(path).size();
    return total;
}

QString RoomProblem(const QStringList &workbooks, const QString &runFolder)
{
    if (workbooks.isEmpty() || LinksWork(workbooks.first(), runFolder))
        return QString();
    const qint64 needed = TotalSize(workbooks) + kSpareBytes;
    const qint64 free = QStorageInfo(runFolder).bytesAvailable();
    if (free >= needed)
        return QString();
    return QStringLiteral("not enough free disk space to keep the originals: %1 MB needed, %2 MB "
                          "free")
        .arg(needed >> 20)
        .arg(free >> 20);
}

// An absolute path as folders below another: a drive ("C:/a") becomes a folder
// of its own ("/C/a"), a share ("//server/a") drops one slash.
QString OutsideFolders(const QString &absolutePath)
{
    if (absolutePath.size() >= 2 && absolutePath.at(0) != QLatin1Char('/') &&
        absolutePath.at(1) == QLatin1Char(':'))
        return QLatin1Char('/') + absolutePath.left(1) + absolutePath.mid(2);
    if (absolutePath.startsWith(QLatin1String("//")))
        return absolutePath.mid(1);
    return absolutePath;
}

} // namespace

QString RunsFolder(const QString &workbookFolder)
{
    return QDir(workbookFolder).absoluteFilePath(QStringLiteral(".sheetwright/runs"));
}

bool LinkOrCopy(const QString &original, const QString &copy)
{
    if (MakeHardLink(original, copy))
        return true;
    // QFile::copy keeps the permission bits.
    return QFile::copy(original, copy);
}

std::unique_ptr<RunBackup> RunBackup::Start(const QString &workbookFolder, const QString &job,
                                            const QStringList &workbooks, QString &error)
{
    const QString runFolder = NewRunFolder(workbookFolder);
    if (runFolder.isEmpty()) {
        error = QStringLiteral("cannot create the backup folder in ") + RunsFolder(workbookFolder);
        return nullptr;
    }
    error = RoomProblem(workbooks, runFolder);
    std::unique_ptr<RunBackup> backup(new RunBackup(workbookFolder, runFolder));
    const QString startedAt = QDateTime::currentDateTime().toString(Qt::ISODate);
    if (error.isEmpty() && !backup->manifest_.open(QIODevice::WriteOnly | QIODevice::Append))
        error = QStringLiteral("cannot write the run's manifest in ") + runFolder;
    if (error.isEmpty() && backup->manifest_.write(ManifestHeaderLine(job, startedAt)) < 0)
        error = QStringLiteral("cannot write the run's manifest in ") + runFolder;
    if (!error.isEmpty()) {
        backup->manifest_.close();
        QDir(runFolder).removeRecursively();
        return nullptr;
    }
    backup->manifest_.flush();
    return backup;
}

RunBackup::RunBackup(QString workbookFolder, QString runFolder)
    : workbookFolder_(std::move(workbookFolder)), runFolder_(std::move(runFolder)),
      manifest_(runFolder_ + QLatin1Char('/') + QLatin1String(kManifestName))
{
}

QString KeptFilePath(const QString &runFolder, const QString &workbookFolder,
                     const QString &relativePath)
{
    const QString files = runFolder + QLatin1Char('/') + QLatin1String(kFilesFolder);
    if (!relativePath.startsWith(QLatin1String("..")) && !QDir::isAbsolutePath(relativePath))
        return files + QLatin1Char('/') + relativePath;
    return files + QStringLiteral("/outside") +
           OutsideFolders(QDir::cleanPath(QDir(workbookFolder).absoluteFilePath(relativePath)));
}

QString RunBackup::BackupPathOf(const QString &relativePath) const
{
    return KeptFilePath(runFolder_, workbookFolder_, relativePath);
}

bool RunBackup::Keep(const QString &workbookPath, QString &error)
{
    KeptWorkbook workbook;
    const QFileInfo original(workbookPath);
    workbook.relativePath = QDir(workbookFolder_).relativeFilePath(original.absoluteFilePath());
    workbook.size = original.size();
    workbook.modifiedMs = original.lastModified().toMSecsSinceEpoch();
    const QString backupPath = BackupPathOf(workbook.relativePath);
    {
        // A second turn would take the first one's result for the original.
        std::lock_guard<std::mutex> lock(mutex_);
        if (kept_.contains(workbook.relativePath)) {
            error = QStringLiteral("the workbook has had its turn in this run already");
            return false;
        }
        kept_.insert(workbook.relativePath);
    }
    if (!QDir().mkpath(QFileInfo(backupPath).absolutePath()) ||
        !LinkOrCopy(workbookPath, backupPath)) {
        QFile::remove(backupPath);
        error = QStringLiteral("the original could not be kept for undo in ") + runFolder_;
        return false;
    }
    workbook.originalHash = FileHash(backupPath);
    std::lock_guard<std::mutex> lock(mutex_);
    inHand_[workbookPath] = workbook;
    return true;
}

void RunBackup::Finish(const QString &workbookPath, bool done)
{
    KeptWorkbook workbook;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = inHand_.find(workbookPath);
        if (found == inHand_.end())
            return;
        workbook = found->second;
        inHand_.erase(found);
    }
    workbook.resultHash = done ? FileHash(workbookPath) : workbook.originalHash;
    if (workbook.resultHash == workbook.originalHash || !Record(ManifestLine(workbook)))
        QFile::remove(BackupPathOf(workbook.relativePath));
    else
        ++recorded_;
}

bool RunBackup::Record(const QByteArray &line)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return manifest_.write(line) == line.size() && manifest_.flush();
}

void RunBackup::NoteReport(const QString &reportPath)
{
    const QString relativePath =
        QDir(workbookFolder_).relativeFilePath(QFileInfo(reportPath).absoluteFilePath());
    Record(ReportLine(relativePath, FileHash(reportPath)));
}

void RunBackup::Close(bool completed, int keep)
{
    manifest_.close();
    if (recorded_ == 0) {
        QDir(runFolder_).removeRecursively();
        // Nothing kept at all: the folder is left as the run found it.
        const QString runs = RunsFolder(workbookFolder_);
        QDir().rmdir(runs) && QDir().rmdir(QFileInfo(runs).absolutePath());
    }
    if (!completed)
        return;
    QDir runs(RunsFolder(workbookFolder_));
    QStringList names = runs.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    while (names.size() > std::max(keep, 1))
        QDir(runs.absoluteFilePath(names.takeFirst())).removeRecursively();
}

} // namespace history

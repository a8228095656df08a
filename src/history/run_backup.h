#pragma once
// The originals a run replaces, kept so that the run can be taken back.
//
// Saves replace a workbook by renaming a new file over it, so the original's
// file lives on under a second name (a hard link) in the run's backup folder
// at no copying cost; where links are impossible it is copied. The folder is
// hidden inside the processed folder, so the folder walk passes it by.

#include "history/run_manifest.h"

#include <QFile>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>

namespace history
{

// <folder>/.sheetwright/runs: one sub-folder per kept run, named by its start.
QString RunsFolder(const QString &workbookFolder);

class RunBackup
{
  public:
    // Creates the run's backup folder. Fails, with the reason, when it cannot
    // be made, or when links are impossible there and the disk lacks room for
    // copies of `workbooks`: then nothing has been changed yet.
    static std::unique_ptr<RunBackup> Start(const QString &workbookFolder, const QString &job,
                                            const QStringList &workbooks, QString &error);

    // Keeps the original of a workbook before the run may replace it; a
    // workbook whose original cannot be kept must not be changed. A workbook
    // kept once already in this run is refused: its kept original stays.
    // Callable from several threads at once, as Finish is.
    bool Keep(const QString &workbookPath, QString &error);
    // After the workbook's turn: a failed or unchanged workbook needs no backup.
    void Finish(const QString &workbookPath, bool done);
    // The report the run wrote into the folder, noted so that an undo can
    // tell whether the report there is still that one.
    void NoteReport(const QString &reportPath);
    // A run that changed nothing leaves no record; a completed run removes the
    // oldest runs beyond `keep`.
    void Close(bool completed, int keep);

  private:
    RunBackup(QString workbookFolder, QString runFolder);
    QString BackupPathOf(const QString &relativePath) const;
    bool Record(const QByteArray &line);

    QString workbookFolder_;
    QString runFolder_;
    std::mutex mutex_;
    std::map<QString, KeptWorkbook> inHand_; // by workbook path
    QSet<QString> kept_;                     // relative paths kept in this run
    QFile manifest_;
    std::atomic<int> recorded_{0}; // workbooks in the manifest
};

// Where a run's folder keeps the original of a workbook. A workbook outside
// the processed folder (one a list named) is kept under its absolute path, so
// that no name leads out of the run's folder.
QString KeptFilePath(const QString &runFolder, const QString &workbookFolder,
                     const QString &relativePath);

// Gives `copy` the content and permissions of `original`: a hard link where
// the filesystem allows, else a copy. False when neither works.
bool LinkOrCopy(const QString &original, const QString &copy);

} // namespace history

#pragma once
// A file named twice in one run, through another spelling, a link to it or a
// second hard link, must have one turn only: two turns would save it twice
// and take the first turn's result for the original kept for undo.

#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <set>
#include <utility>

// The files a run has taken, known by device and inode rather than by path text.
class FileIdentities
{
  public:
    // True the first time a file is offered. A path that names no file is
    // known by its text, so that the run reports it, once, as not found.
    bool IsNew(const QString &path);

  private:
    std::set<std::pair<std::uint64_t, std::uint64_t>> files_;
    QSet<QString> missing_;
};

// The paths in their order, without those that name a file named before.
QStringList DistinctFiles(const QStringList &paths);

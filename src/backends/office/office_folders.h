#pragma once
// The folders an office instance lives in: its own profile, its own TMPDIR
// and its log, under one folder per instance named after our PID. They are
// removed when the instance stops; those of a run that died (its PID gone)
// are removed when the next instance starts.

#include <QString>

namespace office
{

class OfficeFolders
{
  public:
    // Creates a fresh set; Valid() is false when that failed.
    OfficeFolders();
    ~OfficeFolders();
    OfficeFolders(const OfficeFolders &) = delete;
    OfficeFolders &operator=(const OfficeFolders &) = delete;

    bool Valid() const { return !base_.isEmpty(); }
    // Why it is not valid.
    const QString &Problem() const { return problem_; }
    QString ProfileDir() const { return base_ + QStringLiteral("/profile"); }
    QString ProfileUrl() const;
    QString TemporaryDir() const { return base_ + QStringLiteral("/tmp"); }
    QString LogPath() const { return base_ + QStringLiteral("/soffice.log"); }
    // Unique on this machine.
    QString PipeName() const { return QStringLiteral("sheetwright-office-") + name_; }

  private:
    QString base_;
    QString name_;
    QString problem_;
};

// Where every instance's folder goes, for this user.
QString OfficeFoldersRoot();
// Once per process: the folders of runs that died go, so that a lock file
// naming their profile reads as left behind (worker/lock_file.cpp).
void RemoveFoldersOfDeadRuns();

} // namespace office

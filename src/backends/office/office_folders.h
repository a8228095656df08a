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
    QString ProfileUrl() const;
    QString TemporaryDir() const { return base_ + QStringLiteral("/tmp"); }
    QString LogPath() const { return base_ + QStringLiteral("/soffice.log"); }
    // Unique on this machine.
    QString PipeName() const { return QStringLiteral("sheetwright-office-") + name_; }

  private:
    QString base_;
    QString name_;
};

// Where every instance's folder goes, for this user.
QString OfficeFoldersRoot();

} // namespace office

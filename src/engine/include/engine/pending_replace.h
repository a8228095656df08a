#pragma once
// The last step of an atomic save: a new package lies written beside the
// original, and Finish() does the part that waits for the disk. A caller may
// finish it on another thread while it goes on with other work.

#include "engine/error.h"
#include "engine/file_identity.h"

#include <optional>
#include <string>

namespace engine
{

class PendingReplace
{
  public:
    PendingReplace() = default; // nothing to replace
    PendingReplace(PendingReplace &&other) noexcept;
    PendingReplace &operator=(PendingReplace &&other) noexcept;
    ~PendingReplace(); // removes the temporary file unless finished
    PendingReplace(const PendingReplace &) = delete;
    PendingReplace &operator=(const PendingReplace &) = delete;

    bool Pending() const { return !tempPath_.empty(); }
    // The file to be replaced, links resolved.
    const std::string &TargetPath() const { return targetPath_; }
    // Flushes the new content, keeps the original's permission bits and
    // owner, checks that no other program changed the original since it was
    // read, renames, and flushes the folder.
    bool Finish(Error &error) noexcept;

  private:
    friend class AtomicFileWriter;

    bool Fail(Error &error, const std::string &what, int cause);
    bool OriginalUnchanged(Error &error) const;
    void Discard();

    std::string targetPath_;
    std::string tempPath_;
    int fd_ = -1;
    unsigned mode_ = 0;
    unsigned owner_ = 0;
    unsigned group_ = 0;
    std::optional<FileIdentity> original_; // the target as the caller read it
};

} // namespace engine

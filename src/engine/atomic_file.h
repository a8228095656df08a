#pragma once
// Replacing a file so that it is never seen half-written: the new content
// goes to a temporary file in the same folder, is flushed to the disk and
// renamed over the original. On any failure the original stays as it was and
// the temporary file is removed.
//
// The writer fills the temporary file and hands it over as a pending replace,
// which does the part that waits for the disk. A caller may finish that on
// another thread while it goes on with other work.

#include "engine_error.h"
#include "file_identity.h"

#include <optional>
#include <string>
#include <vector>

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

class AtomicFileWriter
{
  public:
    AtomicFileWriter() = default;
    AtomicFileWriter(const AtomicFileWriter &) = delete;
    AtomicFileWriter &operator=(const AtomicFileWriter &) = delete;

    // Refuses a target that is read-only or a folder it cannot write in.
    // `original` is the target as the caller read it: another program's file
    // found in its place at the end is left alone.
    bool Begin(const std::string &targetPath, const std::optional<FileIdentity> &original,
               Error &error);
    bool Write(const char *data, size_t size);
    // Writes what is still buffered; `replace` then finishes the job.
    bool HandOver(PendingReplace &replace, Error &error);

  private:
    bool Flush();

    PendingReplace file_; // removed with the writer unless handed over
    int writeErrno_ = 0;
    std::vector<char> buffer_;
};

} // namespace engine

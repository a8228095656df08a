#pragma once
// Replacing a file so that it is never seen half-written: the new content
// goes to a temporary file in the same folder, is flushed to the disk and
// renamed over the original. On any failure the original stays as it was and
// the temporary file is removed.
//
// The writer fills the temporary file and hands it over as a pending replace.

#include "engine/error.h"
#include "engine/file_identity.h"
#include "engine/pending_replace.h"

#include <optional>
#include <string>
#include <vector>

namespace engine
{

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

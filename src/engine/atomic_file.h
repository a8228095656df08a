#pragma once
// Replacing a file so that it is never seen half-written: the new content
// goes to a temporary file in the same folder, is flushed to the disk and
// renamed over the original. On any failure the original stays as it was and
// the temporary file is removed.

#include "engine_error.h"

#include <string>
#include <vector>

namespace engine
{

class AtomicFileWriter
{
  public:
    AtomicFileWriter() = default;
    ~AtomicFileWriter(); // removes the temporary file unless committed
    AtomicFileWriter(const AtomicFileWriter &) = delete;
    AtomicFileWriter &operator=(const AtomicFileWriter &) = delete;

    // Refuses a target that is read-only or a folder it cannot write in.
    bool Begin(const std::string &targetPath, Error &error);
    bool Write(const char *data, size_t size);
    // Flushes, keeps the original's permission bits and owner, renames.
    bool Commit(Error &error);

  private:
    bool Flush();
    bool Fail(Error &error, const std::string &what);
    void Discard();

    std::string targetPath_;
    std::string tempPath_;
    int fd_ = -1;
    int writeErrno_ = 0;
    unsigned mode_ = 0;
    unsigned owner_ = 0;
    unsigned group_ = 0;
    std::vector<char> buffer_;
};

} // namespace engine

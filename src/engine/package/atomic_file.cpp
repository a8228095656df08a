#include "package/atomic_file.h"

#include "package/platform_calls.h"

#include <cerrno>
#include <system_error>
#include <utility>

namespace engine
{
namespace
{

constexpr size_t kBufferSize = 1 << 20;

} // namespace

PendingReplace::PendingReplace(PendingReplace &&other) noexcept
{
    *this = std::move(other);
}

PendingReplace &PendingReplace::operator=(PendingReplace &&other) noexcept
{
    if (this == &other)
        return *this;
    Discard();
    targetPath_ = std::move(other.targetPath_);
    tempPath_ = std::exchange(other.tempPath_, std::string());
    fd_ = std::exchange(other.fd_, -1);
    mode_ = other.mode_;
    owner_ = other.owner_;
    group_ = other.group_;
    original_ = other.original_;
    return *this;
}

PendingReplace::~PendingReplace()
{
    Discard();
}

void PendingReplace::Discard()
{
    if (fd_ >= 0)
        CloseFile(fd_);
    fd_ = -1;
    if (!tempPath_.empty())
        RemoveFile(tempPath_);
    tempPath_.clear();
}

bool PendingReplace::Fail(Error &error, const std::string &what, int cause)
{
    // strerror() may share one buffer between threads; this does not.
    error.Set(ErrorCode::FileAccess, what + ": " + std::generic_category().message(cause));
    Discard();
    return false;
}

bool PendingReplace::OriginalUnchanged(Error &error) const
{
    if (IdentityOf(targetPath_) == original_)
        return true;
    error.Set(ErrorCode::FileAccess,
              "another program replaced or changed the workbook while it was worked on");
    return false;
}

bool PendingReplace::Finish(Error &error) noexcept
{
    if (fd_ < 0) {
        error.Set(ErrorCode::FileAccess, "the workbook was not written");
        return false;
    }
    const char *step = "";
    if (!FlushAndKeep(fd_, FileKeep{false, mode_, owner_, group_}, step))
        return Fail(error, step, errno);
    const bool closed = CloseFile(fd_);
    fd_ = -1;
    if (!closed)
        return Fail(error, "cannot write the workbook", errno);
    // Checked last, just before the rename, to keep the window small.
    if (!OriginalUnchanged(error)) {
        Discard();
        return false;
    }
    if (!ReplaceWith(tempPath_, targetPath_))
        return Fail(error,
                    errno == EBUSY ? "the workbook is open in another program"
                                   : "cannot replace the workbook",
                    errno);
    tempPath_.clear();
    return true;
}

bool AtomicFileWriter::Begin(const std::string &targetPath,
                             const std::optional<FileIdentity> &original, Error &error)
{
    file_.targetPath_ = ResolvedPath(targetPath);
    file_.original_ = original;
    const std::string &target = file_.targetPath_;
    FileKeep keep;
    if (!ReadFileKeep(target, keep))
        return file_.Fail(error, "cannot save the workbook", errno);
    if (keep.readOnly) {
        error.Set(ErrorCode::FileAccess, "the workbook is read-only");
        return false;
    }
    file_.mode_ = keep.mode;
    file_.owner_ = keep.owner;
    file_.group_ = keep.group;
    file_.fd_ = CreateTemporaryBeside(target, file_.tempPath_);
    if (file_.fd_ < 0)
        return file_.Fail(error, "cannot create a temporary file beside the workbook", errno);
    buffer_.reserve(kBufferSize);
    return true;
}

bool AtomicFileWriter::Flush()
{
    if (!WriteAll(file_.fd_, buffer_.data(), buffer_.size())) {
        writeErrno_ = errno;
        return false;
    }
    buffer_.clear();
    return true;
}

bool AtomicFileWriter::Write(const char *data, size_t size)
{
    if (file_.fd_ < 0 || writeErrno_)
        return false;
    if (buffer_.size() + size > kBufferSize && !Flush())
        return false;
    if (size >= kBufferSize) {
        if (WriteAll(file_.fd_, data, size))
            return true;
        writeErrno_ = errno;
        return false;
    }
    buffer_.insert(buffer_.end(), data, data + size);
    return true;
}

bool AtomicFileWriter::HandOver(PendingReplace &replace, Error &error)
{
    if (file_.fd_ < 0 || writeErrno_ || !Flush())
        return file_.Fail(error, "cannot write the workbook", writeErrno_ ? writeErrno_ : errno);
    replace = std::move(file_);
    return true;
}

bool PrepareReplace(const std::string &targetPath, const std::optional<FileIdentity> &original,
                    const char *data, size_t size, PendingReplace &replace, Error &error)
{
    AtomicFileWriter writer;
    if (!writer.Begin(targetPath, original, error))
        return false;
    writer.Write(data, size); // a failed write is reported by HandOver
    return writer.HandOver(replace, error);
}

} // namespace engine

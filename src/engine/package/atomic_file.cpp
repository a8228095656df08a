#include "package/atomic_file.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace engine
{
namespace
{

constexpr size_t kBufferSize = 1 << 20;

std::string FolderOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A symbolic link is kept: the file it points to is the one replaced.
std::string ResolvedPath(const std::string &path)
{
    std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr),
                                                         &std::free);
    return resolved ? std::string(resolved.get()) : path;
}

bool WriteAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Makes the rename itself durable.
void SyncFolder(const std::string &folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool IsReadOnly(const struct stat &info, const std::string &path)
{
    const mode_t writeBits = S_IWUSR | S_IWGRP | S_IWOTH;
    // Root passes access(); the permission bits still mark the file read-only.
    return (info.st_mode & writeBits) == 0 || ::access(path.c_str(), W_OK) != 0;
}

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
        ::close(fd_);
    fd_ = -1;
    if (!tempPath_.empty())
        ::unlink(tempPath_.c_str());
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
    if (::fsync(fd_) != 0)
        return Fail(error, "cannot flush the workbook to disk", errno);
    if (::fchmod(fd_, mode_) != 0)
        return Fail(error, "cannot keep the workbook's permissions", errno);
    // Only root may give a file away; for anyone else the owner is already right.
    if (::fchown(fd_, owner_, group_) != 0 && errno != EPERM)
        return Fail(error, "cannot keep the workbook's owner", errno);
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0)
        return Fail(error, "cannot write the workbook", errno);
    // Checked last, just before the rename, to keep the window small.
    if (!OriginalUnchanged(error)) {
        Discard();
        return false;
    }
    if (::rename(tempPath_.c_str(), targetPath_.c_str()) != 0)
        return Fail(error, "cannot replace the workbook", errno);
    tempPath_.clear();
    SyncFolder(FolderOf(targetPath_));
    return true;
}

bool AtomicFileWriter::Begin(const std::string &targetPath,
                             const std::optional<FileIdentity> &original, Error &error)
{
    file_.targetPath_ = ResolvedPath(targetPath);
    file_.original_ = original;
    const std::string &target = file_.targetPath_;
    struct stat info;
    if (::stat(target.c_str(), &info) != 0)
        return file_.Fail(error, "cannot save the workbook", errno);
    if (IsReadOnly(info, target)) {
        error.Set(ErrorCode::FileAccess, "the workbook is read-only");
        return false;
    }
    file_.mode_ = info.st_mode & 07777;
    file_.owner_ = info.st_uid;
    file_.group_ = info.st_gid;
    std::string pattern = FolderOf(target) + "/.sheetwright-save-XXXXXX";
    file_.fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (file_.fd_ < 0)
        return file_.Fail(error, "cannot create a temporary file beside the workbook", errno);
    file_.tempPath_ = pattern;
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

} // namespace engine

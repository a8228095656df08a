#include "atomic_file.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

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

AtomicFileWriter::~AtomicFileWriter()
{
    Discard();
}

void AtomicFileWriter::Discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!tempPath_.empty())
        ::unlink(tempPath_.c_str());
    tempPath_.clear();
}

bool AtomicFileWriter::Fail(Error &error, const std::string &what)
{
    const int cause = writeErrno_ ? writeErrno_ : errno;
    // strerror() may share one buffer between threads; this does not.
    error.Set(ErrorCode::FileAccess, what + ": " + std::generic_category().message(cause));
    Discard();
    return false;
}

bool AtomicFileWriter::Begin(const std::string &targetPath, Error &error)
{
    targetPath_ = ResolvedPath(targetPath);
    struct stat info;
    if (::stat(targetPath_.c_str(), &info) != 0)
        return Fail(error, "cannot save the workbook");
    if (IsReadOnly(info, targetPath_)) {
        error.Set(ErrorCode::FileAccess, "the workbook is read-only");
        return false;
    }
    mode_ = info.st_mode & 07777;
    owner_ = info.st_uid;
    group_ = info.st_gid;
    std::string pattern = FolderOf(targetPath_) + "/.sheetwright-save-XXXXXX";
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0)
        return Fail(error, "cannot create a temporary file beside the workbook");
    tempPath_ = pattern;
    buffer_.reserve(kBufferSize);
    return true;
}

bool AtomicFileWriter::Flush()
{
    if (!WriteAll(fd_, buffer_.data(), buffer_.size())) {
        writeErrno_ = errno;
        return false;
    }
    buffer_.clear();
    return true;
}

bool AtomicFileWriter::Write(const char *data, size_t size)
{
    if (fd_ < 0 || writeErrno_)
        return false;
    if (buffer_.size() + size > kBufferSize && !Flush())
        return false;
    if (size >= kBufferSize) {
        if (WriteAll(fd_, data, size))
            return true;
        writeErrno_ = errno;
        return false;
    }
    buffer_.insert(buffer_.end(), data, data + size);
    return true;
}

bool AtomicFileWriter::Commit(Error &error)
{
    if (fd_ < 0 || writeErrno_ || !Flush())
        return Fail(error, "cannot write the workbook");
    if (::fsync(fd_) != 0)
        return Fail(error, "cannot flush the workbook to disk");
    if (::fchmod(fd_, mode_) != 0)
        return Fail(error, "cannot keep the workbook's permissions");
    // Only root may give a file away; for anyone else the owner is already right.
    if (::fchown(fd_, owner_, group_) != 0 && errno != EPERM)
        return Fail(error, "cannot keep the workbook's owner");
    if (::close(fd_) != 0) {
        fd_ = -1;
        return Fail(error, "cannot write the workbook");
    }
    fd_ = -1;
    if (::rename(tempPath_.c_str(), targetPath_.c_str()) != 0)
        return Fail(error, "cannot replace the workbook");
    tempPath_.clear();
    SyncFolder(FolderOf(targetPath_));
    return true;
}

} // namespace engine

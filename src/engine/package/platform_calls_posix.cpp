#include "package/platform_calls.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace engine
{
namespace
{

std::string FolderOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes a rename itself durable.
void SyncFolder(const std::string &folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

std::string ResolvedPath(const std::string &path)
{
    std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr),
                                                         &std::free);
    return resolved ? std::string(resolved.get()) : path;
}

bool ReadFileKeep(const std::string &path, FileKeep &keep)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        return false;
    const mode_t writeBits = S_IWUSR | S_IWGRP | S_IWOTH;
    // Root passes access(); the permission bits still mark the file read-only.
    keep.readOnly = (info.st_mode & writeBits) == 0 || ::access(path.c_str(), W_OK) != 0;
    keep.mode = info.st_mode & 07777;
    keep.owner = info.st_uid;
    keep.group = info.st_gid;
    return true;
}

int CreateTemporaryBeside(const std::string &target, std::string &tempPath)
{
    std::string pattern = FolderOf(target) + "/.sheetwright-save-XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0)
        tempPath = pattern;
    return fd;
}

bool WriteAll(int fd, const char *data, std::size_t size)
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

bool FlushAndKeep(int fd, const FileKeep &keep, const char *&what)
{
    what = "cannot flush the workbook to disk";
    if (::fsync(fd) != 0)
        return false;
    what = "cannot keep the workbook's permissions";
    if (::fchmod(fd, keep.mode) != 0)
        return false;
    // Only root may give a file away; for anyone else the owner is already right.
    what = "cannot keep the workbook's owner";
    return ::fchown(fd, keep.owner, keep.group) == 0 || errno == EPERM;
}

bool CloseFile(int fd)
{
    return ::close(fd) == 0;
}

void RemoveFile(const std::string &path)
{
    ::unlink(path.c_str());
}

bool ReplaceWith(const std::string &from, const std::string &to)
{
    if (::rename(from.c_str(), to.c_str()) != 0)
        return false;
    SyncFolder(FolderOf(to));
    return true;
}

std::FILE *OpenFile(const std::string &path, const char *mode)
{
    return std::fopen(path.c_str(), mode);
}

zip_t *OpenZip(const std::string &path, int flags, int &code)
{
    return zip_open(path.c_str(), flags, &code);
}

std::tm LocalTime(std::time_t time)
{
    std::tm local{};
    localtime_r(&time, &local);
    return local;
}

} // namespace engine

#include "package/platform_calls.h"

#include "package/wide_path_windows.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace engine
{
namespace
{

void SetErrno(DWORD code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        errno = ENOENT;
        break;
    case ERROR_ACCESS_DENIED:
        errno = EACCES;
        break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        errno = EBUSY;
        break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        errno = ENOSPC;
        break;
    default:
        errno = EIO;
    }
}

std::string Utf8(const std::wstring &wide)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                        nullptr, nullptr);
    return text;
}

std::string FolderOf(const std::string &path)
{
    const size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? "." : path.substr(0, separator);
}

// GetFinalPathNameByHandle answers in the \\?\ form, which not every call takes.
std::wstring WithoutLongPrefix(const std::wstring &path)
{
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        return L"\\\\" + path.substr(8);
    if (path.compare(0, 4, L"\\\\?\\") == 0)
        return path.substr(4);
    return path;
}

// Open without leave to delete or rename it, as Excel holds a workbook. Asked
// before ReplaceFileW, which some implementations leave a temporary behind
// when it fails.
bool HeldByAnotherProgram(const std::wstring &path)
{
    const HANDLE file =
        CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

} // namespace

std::wstring WidePath(const std::string &path)
{
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), wide.data(), size);
    return wide;
}

std::string ResolvedPath(const std::string &path)
{
    const HANDLE file = CreateFileW(WidePath(path).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return path;
    std::wstring resolved(MAX_PATH, L'\0');
    DWORD length =
        GetFinalPathNameByHandleW(file, resolved.data(), static_cast<DWORD>(resolved.size()), 0);
    if (length >= resolved.size()) {
        resolved.resize(length);
        length = GetFinalPathNameByHandleW(file, resolved.data(),
                                           static_cast<DWORD>(resolved.size()), 0);
    }
    CloseHandle(file);
    if (length == 0 || length >= resolved.size())
        return path;
    resolved.resize(length);
    return Utf8(WithoutLongPrefix(resolved));
}

// The attributes and the security of the file are kept by ReplaceFileW itself.
bool ReadFileKeep(const std::string &path, FileKeep &keep)
{
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        SetErrno(GetLastError());
        return false;
    }
    keep = FileKeep{};
    keep.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    return true;
}

int CreateTemporaryBeside(const std::string &target, std::string &tempPath)
{
    const std::string folder = FolderOf(target);
    const unsigned seed = GetCurrentProcessId() * 2654435761u ^ GetTickCount();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string name =
            folder + "\\.sheetwright-save-" + std::to_string((seed + attempt * 7919u) % 1000000u);
        const int fd =
            _wopen(WidePath(name).c_str(), _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY | _O_NOINHERIT,
                   _S_IREAD | _S_IWRITE);
        if (fd >= 0) {
            tempPath = name;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

bool WriteAll(int fd, const char *data, std::size_t size)
{
    const std::size_t kMostAtOnce = 1u << 30; // _write counts in an unsigned int
    while (size > 0) {
        const unsigned chunk = static_cast<unsigned>(size < kMostAtOnce ? size : kMostAtOnce);
        const int written = _write(fd, data, chunk);
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool FlushAndKeep(int fd, const FileKeep &, const char *&what)
{
    what = "cannot flush the workbook to disk";
    const HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (file != INVALID_HANDLE_VALUE && FlushFileBuffers(file))
        return true;
    SetErrno(GetLastError());
    return false;
}

bool CloseFile(int fd)
{
    return _close(fd) == 0;
}

void RemoveFile(const std::string &path)
{
    DeleteFileW(WidePath(path).c_str());
}

// ReplaceFileW keeps the original's attributes and security; where it cannot
// work (some network shares, FAT), a plain replacing move does the job. A file
// another program holds open (as Excel does) cannot be replaced: EBUSY.
bool ReplaceWith(const std::string &from, const std::string &to)
{
    const std::wstring source = WidePath(from);
    const std::wstring target = WidePath(to);
    if (HeldByAnotherProgram(target)) {
        errno = EBUSY;
        return false;
    }
    if (ReplaceFileW(target.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                     nullptr, nullptr))
        return true;
    const DWORD replaceError = GetLastError();
    if (replaceError == ERROR_SHARING_VIOLATION || replaceError == ERROR_ACCESS_DENIED ||
        replaceError == ERROR_LOCK_VIOLATION || replaceError == ERROR_UNABLE_TO_REMOVE_REPLACED) {
        errno = EBUSY;
        return false;
    }
    if (MoveFileExW(source.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    const DWORD moveError = GetLastError();
    if (moveError == ERROR_ACCESS_DENIED)
        errno = EBUSY;
    else
        SetErrno(moveError);
    return false;
}

std::FILE *OpenFile(const std::string &path, const char *mode)
{
    return _wfopen(WidePath(path).c_str(), WidePath(mode).c_str());
}

zip_t *OpenZip(const std::string &path, int flags, int &code)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_win32w_create(WidePath(path).c_str(), 0, -1, &error);
    zip_t *archive = source ? zip_open_from_source(source, flags, &error) : nullptr;
    if (!archive && source)
        zip_source_free(source);
    code = archive ? 0 : zip_error_code_zip(&error);
    zip_error_fini(&error);
    return archive;
}

std::tm LocalTime(std::time_t time)
{
    std::tm local{};
    localtime_s(&local, &time);
    return local;
}

} // namespace engine

#include "settings/file_replace.h"
#include "settings/file_open.h"
#include "settings/file_sync.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace
{

bool CanOpenForWriting(const fs::path &path)
{
    // "r+" asks for write access without truncating anything.
    std::FILE *file = OpenFile(path, "r+b");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

bool WriteNewFile(const fs::path &path, std::string_view bytes)
{
    std::FILE *file = OpenFile(path, "wbx");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool synced = written && FlushFileToDisk(file);
    return std::fclose(file) == 0 && synced;
}

// Renaming over a link would replace the link itself; write beside its target.
fs::path ResolvedTarget(const fs::path &path)
{
    std::error_code error;
    fs::path target = fs::canonical(path, error);
    return error ? path : target;
}

bool MoveIntoPlace(const fs::path &temporary, const fs::path &target)
{
    std::error_code error;
    const fs::perms mode = fs::status(target, error).permissions();
    if (error)
        return false;
    fs::permissions(temporary, mode, error);
    if (error)
        return false;
    fs::rename(temporary, target, error);
    return !error;
}

// Writes `bytes` to a temporary file beside `target` and lets `place` put it there.
template <typename Place>
bool WriteBesideAndRename(const fs::path &target, std::string_view bytes, const Place &place)
{
    fs::path temporary = target;
    temporary += ".new";
    std::error_code error;
    fs::remove(temporary, error); // a leftover of an interrupted write
    if (WriteNewFile(temporary, bytes) && place(temporary, target))
        return true;
    fs::remove(temporary, error);
    return false;
}

} // namespace

bool ReadWholeFile(const char *path, std::size_t maxBytes, std::string &text)
{
    std::FILE *file = OpenFile(PathOf(path), "rb");
    if (!file)
        return false;
    text.assign(maxBytes + 1, '\0');
    const std::size_t length = std::fread(text.data(), 1, text.size(), file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    text.resize(length);
    return !failed && length <= maxBytes;
}

bool ReplaceFileContents(const char *path, std::string_view bytes)
{
    const fs::path target = ResolvedTarget(PathOf(path));
    if (!CanOpenForWriting(target))
        return false;
    return WriteBesideAndRename(target, bytes, MoveIntoPlace);
}

bool FileExists(const char *path)
{
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

bool CreateFileWithContents(const char *path, std::string_view bytes)
{
    return WriteBesideAndRename(path, bytes, [](const fs::path &temporary, const fs::path &target) {
        std::error_code error;
        fs::rename(temporary, target, error);
        return !error;
    });
}

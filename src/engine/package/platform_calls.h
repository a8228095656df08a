#pragma once
// The engine's calls into the operating system, one small function each,
// implemented once per platform. Paths are the engine's own: the bytes the
// file system uses on POSIX systems, UTF-8 on Windows (turned into UTF-16 at
// every call there). Failures leave errno set, as the C library does.

#include <cstddef>
#include <cstdio>
#include <ctime>
#include <string>
#include <zip.h>

namespace engine
{

// What a save must keep of the file it replaces.
struct FileKeep {
    bool readOnly = false;
    unsigned mode = 0; // permission bits, where the platform has them
    unsigned owner = 0;
    unsigned group = 0;
};

// The path with links resolved (the file a link points to is the one a save
// replaces); the path itself when it cannot be resolved.
std::string ResolvedPath(const std::string &path);
// False, with errno set, when the file cannot be looked at.
bool ReadFileKeep(const std::string &path, FileKeep &keep);
// A new, empty file beside `target` that nobody else opened; its descriptor,
// or -1. `tempPath` receives its name.
int CreateTemporaryBeside(const std::string &target, std::string &tempPath);
// Writes every byte or returns false.
bool WriteAll(int fd, const char *data, std::size_t size);
// Pushes the written bytes to the disk and gives the file what `keep` holds.
// False, with errno set and `what` naming the step, on failure.
bool FlushAndKeep(int fd, const FileKeep &keep, const char *&what);
bool CloseFile(int fd);
void RemoveFile(const std::string &path);
// Puts `from` in the place of `to` in one step, durably: `to` is never
// missing or half-written. Fails while another program holds `to` open
// without letting it be replaced.
bool ReplaceWith(const std::string &from, const std::string &to);

std::FILE *OpenFile(const std::string &path, const char *mode);
zip_t *OpenZip(const std::string &path, int flags, int &code);

// The calendar time of `time` in the local time zone.
std::tm LocalTime(std::time_t time);

} // namespace engine

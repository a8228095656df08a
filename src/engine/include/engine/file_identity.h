#pragma once
// Which file a path names and when it last changed, so that a save can tell
// that another program replaced or rewrote the workbook after it was opened
// and leave that program's file in place instead of overwriting it.

#include <cstdint>
#include <optional>
#include <string>

namespace engine
{

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;

    bool operator==(const FileIdentity &other) const
    {
        return device == other.device && inode == other.inode && size == other.size &&
               modifiedSeconds == other.modifiedSeconds &&
               modifiedNanoseconds == other.modifiedNanoseconds;
    }
    bool operator!=(const FileIdentity &other) const { return !(*this == other); }
};

// Nothing when the path names no file (a link is followed).
std::optional<FileIdentity> IdentityOf(const std::string &path);

} // namespace engine

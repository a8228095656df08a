#include "engine/file_identity.h"

#include "package/wide_path_windows.h"

#include <windows.h>

namespace engine
{

// The volume's serial number and the file's index name the file; the last
// write time counts in 100-nanosecond steps.
std::optional<FileIdentity> IdentityOf(const std::string &path)
{
    const HANDLE file = CreateFileW(WidePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    if (!known)
        return std::nullopt;
    const auto join = [](DWORD high, DWORD low) {
        return (static_cast<std::uint64_t>(high) << 32) | low;
    };
    const std::uint64_t written =
        join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
    return FileIdentity{info.dwVolumeSerialNumber, join(info.nFileIndexHigh, info.nFileIndexLow),
                        static_cast<std::int64_t>(join(info.nFileSizeHigh, info.nFileSizeLow)),
                        static_cast<std::int64_t>(written / 10000000u),
                        static_cast<std::int64_t>(written % 10000000u * 100u)};
}

} // namespace engine

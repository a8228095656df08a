#include "package/ole_sniff.h"

#include "base/engine_limits.h"
#include "package/platform_calls.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <system_error>

namespace engine
{
namespace
{

constexpr unsigned char kOleSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
// Directory entry names are UTF-16LE.
constexpr char kEncryptionInfo[] = "E\0n\0c\0r\0y\0p\0t\0i\0o\0n\0I\0n\0f\0o\0";
constexpr size_t kEncryptionInfoSize = sizeof kEncryptionInfo - 1;

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool ContainsEncryptionInfo(std::FILE *file)
{
    std::string window(1 << 16, '\0');
    size_t kept = 0;
    std::uint64_t scanned = 0;
    while (scanned < limits::kMaxPackageFileSize) {
        const size_t got = std::fread(window.data() + kept, 1, window.size() - kept, file);
        if (got == 0)
            return false;
        const std::string_view text(window.data(), kept + got);
        if (text.find(std::string_view(kEncryptionInfo, kEncryptionInfoSize)) !=
            std::string_view::npos)
            return true;
        // Keep a tail so a name split across two reads is still found.
        kept = std::min(text.size(), kEncryptionInfoSize);
        std::memmove(window.data(), text.data() + text.size() - kept, kept);
        scanned += got;
    }
    return false;
}

} // namespace

bool RefuseOleFile(const std::string &path, Error &error)
{
    File file(OpenFile(path, "rb"));
    if (!file) {
        error.Set(ErrorCode::FileAccess,
                  "cannot read the file: " + std::generic_category().message(errno));
        return false;
    }
    unsigned char head[8] = {};
    if (std::fread(head, 1, sizeof head, file.get()) != sizeof head ||
        std::memcmp(head, kOleSignature, sizeof head) != 0)
        return true;
    if (ContainsEncryptionInfo(file.get()))
        error.Set(ErrorCode::Encrypted, "the workbook is encrypted (password protected)");
    else
        error.Set(ErrorCode::LegacyFormat, "a legacy binary workbook (.xls) cannot be edited");
    return false;
}

} // namespace engine

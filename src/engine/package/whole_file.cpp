#include "package/whole_file.h"

#include "package/platform_calls.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

namespace engine
{
namespace
{

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

bool Refuse(Error &error)
{
    error.Set(ErrorCode::FileAccess,
              "cannot read the file: " + std::generic_category().message(errno));
    return false;
}

} // namespace

bool ReadWholeFile(const std::string &path, std::uint64_t limit, std::string &bytes, Error &error)
{
    std::unique_ptr<std::FILE, FileCloser> file(OpenFile(path, "rb"));
    if (!file)
        return Refuse(error);
    bytes.clear();
    char buffer[1 << 16];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        if (bytes.size() + got > limit) {
            error.Set(ErrorCode::LimitExceeded, "the file is too large to be edited");
            return false;
        }
        bytes.append(buffer, got);
    }
    return !std::ferror(file.get()) || Refuse(error);
}

} // namespace engine

#include "scratch_file.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace
{

std::string MakeScratchFolder()
{
    std::error_code error;
    const bool hasShm = std::filesystem::is_directory("/dev/shm", error);
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = hasShm ? "/dev/shm" : (tmp ? tmp : "/tmp");
    pattern += "/sheetwright-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    return pattern;
}

void RemoveScratchFolder()
{
    std::error_code error;
    std::filesystem::remove_all(ScratchFolder(), error);
}

} // namespace

const std::string &ScratchFolder()
{
    static const std::string folder = MakeScratchFolder();
    // Registered after the folder exists, so it runs before the text is gone.
    static const int cleanup = std::atexit(RemoveScratchFolder);
    (void)cleanup;
    return folder;
}

std::string WriteScratchFile(const std::uint8_t *data, std::size_t size)
{
    const std::string path = ScratchFolder() + "/input.xlsx";
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
    return path;
}

#include "settings/file_sync.h"

#include <unistd.h>

bool FlushFileToDisk(std::FILE *file)
{
    return std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

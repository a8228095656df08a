#include "settings/file_sync.h"

#include <io.h>
#include <windows.h>

bool FlushFileToDisk(std::FILE *file)
{
    return std::fflush(file) == 0 &&
           FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))));
}

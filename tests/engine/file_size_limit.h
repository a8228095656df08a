#pragma once
// A disk that fills up, for the save-failure tests (POSIX systems only).

#include <sys/resource.h>

// Lowers the soft file size limit while it lives; writes past it fail with
// EFBIG instead of killing the process.
struct FileSizeLimit {
    rlimit previous{};
    void (*previousHandler)(int) = nullptr;

    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
};

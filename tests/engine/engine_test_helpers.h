#pragma once
// Small steps the engine tests share.

#include "engine/workbook.h"

#include <QString>

#include <optional>

#include <sys/resource.h>

// Opens the workbook, unmerges `area` (everything when none) on every sheet
// with cells and saves; returns the engine's message, empty on success.
QString UnmergeAndSave(const QString &path, const std::optional<engine::CellArea> &area = {});
// The same, every merge removed, with the save stopped before its last step:
// `replace` finishes it. The workbook itself is gone on return.
QString UnmergeUntilReplace(const QString &path, engine::PendingReplace &replace);

// The reason a workbook is refused; empty when it opens.
QString OpenError(const QString &path);

// Lowers the soft file size limit while it lives; writes past it fail with
// EFBIG instead of killing the process.
struct FileSizeLimit {
    rlimit previous{};
    void (*previousHandler)(int) = nullptr;

    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
};

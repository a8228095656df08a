#pragma once
// Small steps the engine tests share.

#include "engine/workbook.h"

#include <QString>

#include <optional>

// Opens the workbook, unmerges `area` (everything when none) on every sheet
// with cells and saves; returns the engine's message, empty on success.
QString UnmergeAndSave(const QString &path, const std::optional<engine::CellArea> &area = {});
// The same, every merge removed, with the save stopped before its last step:
// `replace` finishes it. The workbook itself is gone on return.
QString UnmergeUntilReplace(const QString &path, engine::PendingReplace &replace);

// The reason a workbook is refused; empty when it opens.
QString OpenError(const QString &path);

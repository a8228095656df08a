#pragma once
// What every fuzz target demands of the engine, whatever the input: a
// refusal carries a reason, and a workbook it saved opens again. A broken
// rule aborts, which the fuzzer reports as a finding.

#include "engine/workbook.h"

#include <cstdint>
#include <memory>
#include <string>

// Aborts unless the failed step left an error with a message.
void RequireReason(const char *step, const engine::Error &error);

// The input written to the scratch file (its path in `path`) and opened:
// the workbook, or null when it is refused with a reason.
std::unique_ptr<engine::Workbook> OpenInput(const std::uint8_t *data, std::size_t size,
                                            std::string &path, engine::PartHolding holding = {});

// True when saved; false when the save failed with a reason.
bool SaveOrExplain(engine::Workbook &book, engine::Error &error);

// A package the engine saved must open and keep its sheet list.
std::unique_ptr<engine::Workbook> ReopenSaved(const std::string &path, size_t sheetCount,
                                              engine::PartHolding holding = {});

// The sheet, read again from the saved package, has no merged area.
void RequireNoMergesLeft(engine::Workbook &book, size_t sheetIndex);

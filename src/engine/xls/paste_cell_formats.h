#pragma once
// A snapshot's cell formats set on the cells of an .xls sheet: each target
// cell's XF becomes the one the workbook's tables hold for the template
// cell's format, a cell without a record getting a BLANK one.

#include "engine/cell_area.h"
#include "engine/error.h"
#include "xls/cell_formats.h"
#include "xls/format_tables.h"

namespace engine
{

struct ClipboardSnapshot;

// The target area and how far the snapshot moved to land on it.
struct FormatsTarget {
    CellArea area; // 1-based
    long rows = 0;
    long columns = 0;
};

// Refused, with the reason and nothing changed, for what the native path
// does not paste yet: a target cell in a row without cells of a sheet with
// row blocks (INDEX, DBCELL), the template's
// whole rows or conditional formats; failed, with the reason,
// when the tables reach BIFF's limits.
bool PasteFormatsOnto(const ClipboardSnapshot &snapshot, const FormatsTarget &target,
                      CellFormats &cells, BiffStyleTable &table, Error &error);

} // namespace engine

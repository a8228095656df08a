#pragma once
// What the paste operations share: where the snapshot lands and which cells of
// the target rows a paste has to visit.

#include "engine/cell_area.h"
#include "sheet/sheet_columns.h"
#include "sheet/sheet_rows.h"
#include "sheet/worksheet_edit.h"
#include "transfer/clipboard_snapshot.h"
#include "transfer/paste.h"

#include <cstdint>
#include <map>
#include <vector>

namespace engine
{

struct Offset {
    long rows = 0;
    long columns = 0;
};

Offset OffsetOf(const ClipboardSnapshot &snapshot, PastePlace place);
// The snapshot's area moved onto the place, cut at the sheet's edge.
CellArea TargetArea(const ClipboardSnapshot &snapshot, PastePlace place);
bool Moved(const CellArea &area, Offset offset, CellArea &moved);

// Whether a paste onto `target` visits every cell of it, rather than only the
// cells that either sheet has there.
bool VisitsEveryCell(const CellArea &target);

// Target rows -> columns to visit: every cell of a small area, otherwise the
// cells that either sheet has there.
std::map<std::uint32_t, std::vector<std::uint32_t>>
PastePositions(const ClipboardSnapshot &snapshot, const RowWindow &window, const CellArea &target,
               Offset offset);

// Loads the rows of the sheetData element; `index` receives its child index.
bool LoadSheetData(const WorksheetEdit &edit, std::uint32_t firstRow, std::uint32_t lastRow,
                   RowWindow &window, size_t &index, Error &error);

// The format an absent cell shows: its row's, else its column's.
std::uint32_t FallbackStyle(const pugi::xml_node &row, const ColumnSet &columns,
                            std::uint32_t column);

// Loads the cols element; a sheet without one has no column ranges.
bool LoadColumns(const WorksheetEdit &edit, ColumnSet &columns, Error &error);

// Sets a row's spans to its cells' columns, when it has spans at all.
void FixSpans(pugi::xml_node row);
// The same for a row whose cells' columns are known: `last` 0 for none.
void SetSpans(pugi::xml_node row, std::uint32_t first, std::uint32_t last);

// Bounding box of the cells a paste adds.
class AddedCells
{
  public:
    void Add(std::uint32_t row, std::uint32_t column);
    void CoverIn(WorksheetEdit &edit) const;

  private:
    bool any_ = false;
    CellArea box_;
};

} // namespace engine

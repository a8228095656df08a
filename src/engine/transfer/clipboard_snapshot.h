#pragma once
// What Copy() takes from a template range: per cell its format, formula and
// value, the widths of its columns, for whole rows the rows' heights and
// formats, the merged areas inside and the conditional formats touching it.
// A snapshot refers to nothing in its workbook, so it stays valid after the
// template is closed and may be read by several threads at once.

#include "engine/cell_area.h"
#include "engine/error.h"
#include "parts/styles_part.h"
#include "sheet/conditional_formats.h"
#include "sheet/sheet_columns.h"
#include "sheet/worksheet_part.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace engine
{

class SharedStrings;

struct CellContent {
    std::string formula;  // as it applies to this cell, "" when none
    std::string arrayRef; // area of an array formula entered here, "" otherwise
    std::string type;     // the t attribute, "" for a number; "inlineStr" for any string
    std::string value;    // text of v: a constant or a formula's cached result
    std::string richText; // content of is for strings (shared strings resolved)

    bool Empty() const { return formula.empty() && value.empty() && richText.empty(); }
};

struct SnapshotCell {
    std::uint32_t row = 0;
    std::uint32_t column = 0;
    std::uint32_t style = 0; // the template's cellXfs index
    CellContent content;
};

struct SnapshotRow {
    bool hasStyle = false; // customFormat
    std::uint32_t style = 0;
    std::string height; // ht, "" when the row has the default height
    bool customHeight = false;
};

struct SnapshotWidth {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    std::string width;
};

struct ClipboardSnapshot {
    // Unique to each snapshot taken (copies share it), 0 for one made by hand:
    // what a paste derives from a snapshot may be kept under its id.
    std::uint64_t id = 0;
    CellArea area;
    bool wholeRows = false;
    // By the template's cellXfs index; shared, as what a run keeps of them
    // may be these very values.
    std::map<std::uint32_t, std::shared_ptr<const StyleValue>> styles;
    std::vector<SnapshotCell> cells;           // ascending by row, then column
    std::map<std::uint32_t, SnapshotRow> rows; // rows with a format or a height
    ColumnSet columns;                         // the template's cols, for column formats
    std::vector<SnapshotWidth> widths;
    std::vector<CellArea> merges;
    std::vector<ConditionalFormat> conditionalFormats;
};

// The snapshot's cells by position, for lookups that mostly ascend as a paste
// walks its rows: each a step on from the last cell found; only a step back
// or a jump searches.
class SnapshotLookup
{
  public:
    explicit SnapshotLookup(const ClipboardSnapshot &snapshot)
        : snapshot_(snapshot), next_(snapshot.cells.begin())
    {
    }

    const SnapshotCell *CellAt(std::uint32_t row, std::uint32_t column);
    // The format a cell shows: its own, else its row's, else its column's.
    std::uint32_t EffectiveStyle(std::uint32_t row, std::uint32_t column);

  private:
    const ClipboardSnapshot &snapshot_;
    std::vector<SnapshotCell>::const_iterator next_;
};

struct TemplateSheet {
    const WorksheetPart &worksheet;
    const StylesPart &styles;
    const SharedStrings *strings; // null when the workbook has none
};

bool TakeSnapshot(const TemplateSheet &sheet, const CellArea &area, ClipboardSnapshot &snapshot,
                  Error &error);

} // namespace engine

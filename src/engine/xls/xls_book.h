#pragma once
// A legacy .xls workbook's Workbook stream and the jobs done on it: unmerge
// and column widths. Each sheet's merges and widths are read on first use;
// the edited stream changes only the records the jobs changed.

#include "biff/workbook_stream.h"
#include "engine/cell_area.h"
#include "engine/error.h"
#include "xls/cell_formats.h"
#include "xls/column_infos.h"
#include "xls/globals_formats.h"
#include "xls/sheet_merges.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace engine
{

struct ClipboardSnapshot;

// A width for columns first to last (1-based), in 1/256 of a character.
struct ColumnWidth {
    std::uint32_t first = 1;
    std::uint32_t last = 1;
    std::uint16_t width = 0;
};

class XlsBook
{
  public:
    bool Load(std::string stream, Error &error);
    const WorkbookStream &Stream() const { return stream_; }

    // Only worksheets have cells; these fail, with the reason, for other
    // sheets and for cell records that cannot be read.
    bool UnMerge(size_t sheet, const std::optional<CellArea> &area, Error &error);
    // DIMENSIONS and every merged area; A1 for an empty sheet.
    bool UsedArea(size_t sheet, CellArea &area, Error &error);
    bool SetColumnWidths(size_t sheet, const std::vector<ColumnWidth> &widths, Error &error);
    // The snapshot's cell formats onto `target` (1-based), where the
    // snapshot's cell at (row, column) lands on (row + rows, column +
    // columns); merged areas of the sheet that intersect it are dissolved,
    // the template's inside it made.
    // Target cells without a record get a BLANK one. Refused, with nothing
    // changed, for what the native path does not paste yet: a target cell in
    // a row without cells, the template's whole rows or conditional
    // formats.
    bool PasteCellFormats(size_t sheet, const ClipboardSnapshot &snapshot, const CellArea &target,
                          long rows, long columns, Error &error);

    bool Changed() const;
    // The stream with the changes; the stream as loaded when there are none.
    bool EditedStream(std::string &edited, Error &error) const;

  private:
    struct SheetState {
        SheetMerges merges;
        ColumnInfos columns;
        CellFormats cells;
        std::optional<CellArea> dimensions; // none: no cells
    };
    SheetState *Sheet(size_t sheet, Error &error);
    GlobalsFormats *Formats(Error &error);

    WorkbookStream stream_;
    std::vector<std::unique_ptr<SheetState>> sheets_; // by sheet, read on first use
    std::unique_ptr<GlobalsFormats> formats_;         // read on first use
};

} // namespace engine

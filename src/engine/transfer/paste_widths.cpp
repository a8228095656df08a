#include "transfer/paste.h"

#include "sheet/sheet_columns.h"
#include "sheet/worksheet_edit.h"
#include "transfer/paste_area.h"

namespace engine
{

bool PasteColumnWidths(const ClipboardSnapshot &snapshot, PastePlace place, WorksheetPart &sheet,
                       Error &error)
{
    WorksheetEdit edit(sheet);
    const auto colsIndex = edit.FindFirst("cols");
    ColumnSet columns;
    if (!columns.Load(colsIndex ? edit.Text(*colsIndex) : std::string_view(), error))
        return false;
    const Offset offset{0, OffsetOf(snapshot, place).columns};
    for (const SnapshotWidth &width : snapshot.widths) {
        CellArea moved;
        if (Moved(CellArea{1, width.first, 1, width.last}, offset, moved))
            columns.SetWidth(moved.firstColumn, moved.lastColumn, width.width);
    }
    std::string cols = columns.Serialise();
    if (!colsIndex || cols != edit.Text(*colsIndex))
        edit.Put("cols", std::move(cols));
    return edit.Commit(error);
}

} // namespace engine

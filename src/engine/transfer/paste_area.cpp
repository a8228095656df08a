#include "transfer/paste_area.h"

#include "xml/xml_fragment.h"

#include <algorithm>
#include <string>

namespace engine
{

namespace
{

// Up to this many cells a paste visits every cell of its area.
constexpr std::uint64_t kDenseCells = 1u << 16;

bool Inside(long value, std::uint32_t last)
{
    return value >= 1 && value <= long(last);
}

} // namespace

Offset OffsetOf(const ClipboardSnapshot &snapshot, PastePlace place)
{
    return Offset{long(place.row) - long(snapshot.area.firstRow),
                  long(place.column) - long(snapshot.area.firstColumn)};
}

bool Moved(const CellArea &area, Offset offset, CellArea &moved)
{
    const long firstRow = long(area.firstRow) + offset.rows;
    const long firstColumn = long(area.firstColumn) + offset.columns;
    if (!Inside(firstRow, kMaxRow) || !Inside(firstColumn, kMaxColumn))
        return false;
    moved.firstRow = std::uint32_t(firstRow);
    moved.firstColumn = std::uint32_t(firstColumn);
    moved.lastRow = std::uint32_t(std::min(long(area.lastRow) + offset.rows, long(kMaxRow)));
    moved.lastColumn =
        std::uint32_t(std::min(long(area.lastColumn) + offset.columns, long(kMaxColumn)));
    return true;
}

CellArea TargetArea(const ClipboardSnapshot &snapshot, PastePlace place)
{
    CellArea target;
    Moved(snapshot.area, OffsetOf(snapshot, place), target);
    return target;
}

bool VisitsEveryCell(const CellArea &target)
{
    const std::uint64_t cells = std::uint64_t(target.lastRow - target.firstRow + 1) *
                                (target.lastColumn - target.firstColumn + 1);
    return cells <= kDenseCells;
}

std::map<std::uint32_t, std::vector<std::uint32_t>>
PastePositions(const ClipboardSnapshot &snapshot, const RowWindow &window, const CellArea &target,
               Offset offset)
{
    std::map<std::uint32_t, std::vector<std::uint32_t>> positions;
    if (VisitsEveryCell(target)) {
        for (std::uint32_t row = target.firstRow; row <= target.lastRow; ++row)
            for (std::uint32_t column = target.firstColumn; column <= target.lastColumn; ++column)
                positions[row].push_back(column);
        return positions;
    }
    for (const SnapshotCell &cell : snapshot.cells) {
        const long row = long(cell.row) + offset.rows;
        const long column = long(cell.column) + offset.columns;
        if (Inside(row, target.lastRow) && Inside(column, target.lastColumn))
            positions[std::uint32_t(row)].push_back(std::uint32_t(column));
    }
    for (pugi::xml_node row : window.Rows()) {
        const std::uint32_t number = RowNumber(row);
        if (number < target.firstRow || number > target.lastRow)
            continue;
        for (pugi::xml_node cell : Elements(row)) {
            const std::uint32_t column = CellColumn(cell);
            if (column >= target.firstColumn && column <= target.lastColumn)
                positions[number].push_back(column);
        }
    }
    // both sheets name most columns: collected as they come, then made a set
    for (auto &[row, columns] : positions) {
        std::sort(columns.begin(), columns.end());
        columns.erase(std::unique(columns.begin(), columns.end()), columns.end());
    }
    return positions;
}

bool LoadSheetData(const WorksheetEdit &edit, std::uint32_t firstRow, std::uint32_t lastRow,
                   RowWindow &window, size_t &index, Error &error)
{
    const auto found = edit.FindFirst("sheetData");
    if (!found) {
        error.Set(ErrorCode::Damaged, "worksheet without sheetData");
        return false;
    }
    index = *found;
    return window.Load(edit.Text(index), firstRow, lastRow, error) &&
           edit.Part().CheckRowsHeld(window.LastRow(), error);
}

std::uint32_t FallbackStyle(const pugi::xml_node &row, const ColumnSet &columns,
                            std::uint32_t column)
{
    if (row && IsTrue(row.attribute("customFormat")))
        return row.attribute("s").as_uint(0);
    return columns.Style(column);
}

bool LoadColumns(const WorksheetEdit &edit, ColumnSet &columns, Error &error)
{
    const auto index = edit.FindFirst("cols");
    return columns.Load(index ? edit.Text(*index) : std::string_view(), error);
}

void FixSpans(pugi::xml_node row)
{
    if (!row.attribute("spans"))
        return;
    std::uint32_t first = kMaxColumn + 1;
    std::uint32_t last = 0;
    for (pugi::xml_node cell : Elements(row)) {
        const std::uint32_t column = CellColumn(cell);
        if (column == 0)
            continue;
        first = std::min(first, column);
        last = std::max(last, column);
    }
    SetSpans(row, first, last);
}

void SetSpans(pugi::xml_node row, std::uint32_t first, std::uint32_t last)
{
    pugi::xml_attribute spans = row.attribute("spans");
    if (!spans)
        return;
    if (last == 0) {
        row.remove_attribute(spans);
        return;
    }
    spans.set_value((std::to_string(first) + ":" + std::to_string(last)).c_str());
}

void AddedCells::Add(std::uint32_t row, std::uint32_t column)
{
    if (!any_)
        box_ = CellArea{row, column, row, column};
    box_ = CellArea{std::min(box_.firstRow, row), std::min(box_.firstColumn, column),
                    std::max(box_.lastRow, row), std::max(box_.lastColumn, column)};
    any_ = true;
}

void AddedCells::CoverIn(WorksheetEdit &edit) const
{
    if (any_)
        edit.CoverInDimension(box_);
}

} // namespace engine

#include "transfer/paste.h"

#include "engine/a1_text.h"
#include "sheet/merges.h"
#include "sheet/sheet_columns.h"
#include "sheet/worksheet_edit.h"
#include "transfer/paste_area.h"
#include "xml/xml_fragment.h"

#include <pugixml.hpp>

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace engine
{

namespace
{

// Template cellXfs index -> target cellXfs index, interned on first use.
class StyleMap
{
  public:
    StyleMap(const ClipboardSnapshot &snapshot, StyleInterner &styles, InternedStyles &interned)
        : snapshot_(snapshot), styles_(styles), interned_(interned)
    {
        interned_.reserve(snapshot.styles.size());
    }

    std::uint32_t operator()(std::uint32_t templateIndex)
    {
        auto [slot, fresh] = interned_.try_emplace(templateIndex, 0);
        if (!fresh)
            return slot->second;
        const auto style = snapshot_.styles.find(templateIndex);
        if (style != snapshot_.styles.end())
            slot->second = std::uint32_t(styles_.InternShared(style->second));
        return slot->second;
    }

  private:
    const ClipboardSnapshot &snapshot_;
    StyleInterner &styles_;
    InternedStyles &interned_; // looked up cell by cell
};

// `value` as pugixml writes it: text, or a number without making a string of it.
template <typename Value>
void SetOrRemove(pugi::xml_node node, const char *name, bool keep, const Value &value)
{
    pugi::xml_attribute attribute = node.attribute(name);
    if (!keep) {
        node.remove_attribute(attribute);
        return;
    }
    if (!attribute)
        attribute = node.append_attribute(name);
    attribute.set_value(value);
}

// Whole rows carry their height and row format; a template row without
// them gives its target row the default ones.
void CopyRowFormats(const ClipboardSnapshot &snapshot, RowWindow &window, const CellArea &target,
                    Offset offset, StyleMap &map)
{
    for (pugi::xml_node row : window.Rows()) {
        const std::uint32_t number = RowNumber(row);
        if (number >= target.firstRow && number <= target.lastRow &&
            !snapshot.rows.count(std::uint32_t(std::int64_t(number) - offset.rows)))
            for (const char *name : {"s", "customFormat", "ht", "customHeight"})
                row.remove_attribute(name);
    }
    for (const auto &[number, format] : snapshot.rows) {
        const std::int64_t moved = std::int64_t(number) + offset.rows;
        if (moved < std::int64_t(target.firstRow) || moved > std::int64_t(target.lastRow))
            continue;
        pugi::xml_node row = window.RowForWriting(std::uint32_t(moved));
        SetOrRemove(row, "s", format.hasStyle, map(format.style));
        SetOrRemove(row, "customFormat", format.hasStyle, "1");
        SetOrRemove(row, "ht", !format.height.empty(), format.height.c_str());
        SetOrRemove(row, "customHeight", format.customHeight, "1");
    }
}

// The columns of one target row that a paste onto a large area visits: those
// of the template's cells moved there and of the row's cells inside the area,
// ascending and each once. The template's cells lie inside its area, so only
// the sheet's edge cuts them off.
class PresentColumns
{
  public:
    using Cells = std::vector<SnapshotCell>::const_iterator;

    PresentColumns(Cells first, Cells last, std::int64_t offset, const RowCursor &row,
                   const CellArea &target)
        : cell_(first), cellsEnd_(last), offset_(offset), row_(row), target_(target)
    {
    }

    // The next column, 0 after the last.
    std::uint32_t operator()()
    {
        while (cell_ != cellsEnd_ && !Wanted(Moved(*cell_)))
            ++cell_;
        const std::vector<std::uint32_t> &present = row_.Columns();
        while (at_ < present.size() && !Wanted(present[at_]))
            ++at_;
        std::int64_t next = cell_ != cellsEnd_ ? Moved(*cell_) : 0;
        if (at_ < present.size() && (next == 0 || present[at_] < next))
            next = present[at_];
        previous_ = std::uint32_t(next);
        return previous_;
    }

  private:
    std::int64_t Moved(const SnapshotCell &cell) const
    {
        return std::int64_t(cell.column) + offset_;
    }
    bool Wanted(std::int64_t column) const
    {
        return column >= std::int64_t(target_.firstColumn) &&
               column <= std::int64_t(target_.lastColumn) && column > std::int64_t(previous_);
    }

    Cells cell_;
    const Cells cellsEnd_;
    const std::int64_t offset_;
    const RowCursor &row_;
    const CellArea &target_;
    size_t at_ = 0;
    std::uint32_t previous_ = 0;
};

bool CellsAscend(const ClipboardSnapshot &snapshot)
{
    return std::is_sorted(snapshot.cells.begin(), snapshot.cells.end(),
                          [](const SnapshotCell &a, const SnapshotCell &b) {
                              return std::pair(a.row, a.column) < std::pair(b.row, b.column);
                          });
}

// Gives the cells of the target area the template's formats; an absent cell
// that would show its format anyway stays absent. Rows are met by ascending
// number and each in one walk along its cells; a row whose cells do not allow
// the walk, and a paste onto rows whose numbers repeat or from template cells
// out of order, go by lookups among the visited positions instead.
class CellFormatter
{
  public:
    CellFormatter(const ClipboardSnapshot &snapshot, RowWindow &window, const ColumnSet &columns,
                  Offset offset, StyleMap &map, AddedCells &added)
        : snapshot_(snapshot), lookup_(snapshot), window_(window), columns_(columns),
          offset_(offset), map_(map), added_(added)
    {
    }

    void Format(const CellArea &target)
    {
        if (VisitsEveryCell(target))
            FormatEveryCell(target);
        else if (window_.NumbersRepeat() || !CellsAscend(snapshot_))
            for (const auto &[number, cellColumns] : Positions(target))
                FormatByLookup(number, cellColumns);
        else
            FormatPresentCells(target);
    }

  private:
    void FormatEveryCell(const CellArea &target)
    {
        for (std::uint32_t number = target.firstRow; number <= target.lastRow; ++number) {
            std::uint32_t column = target.firstColumn;
            auto nextColumn = [&column, &target] {
                return column <= target.lastColumn ? column++ : 0;
            };
            if (!FormatInOrder(number, window_.Row(number), nextColumn))
                FormatRowByLookup(number, target);
        }
    }

    // Rows with template cells or with cells of their own, by ascending number.
    void FormatPresentCells(const CellArea &target)
    {
        auto cell = snapshot_.cells.begin();
        const auto cellsEnd = snapshot_.cells.end();
        auto present = window_.RowsFrom(target.firstRow);
        for (;;) {
            while (cell != cellsEnd && !InRows(MovedRow(*cell), target))
                ++cell;
            const bool templateRow = cell != cellsEnd;
            const bool targetRow = present != window_.RowsEnd() && InRows(present->first, target);
            if (!templateRow && !targetRow)
                return;
            const std::int64_t number =
                templateRow && (!targetRow || MovedRow(*cell) < present->first)
                    ? MovedRow(*cell)
                    : std::int64_t(present->first);
            auto rowEnd = cell;
            while (rowEnd != cellsEnd && MovedRow(*rowEnd) == number)
                ++rowEnd;
            pugi::xml_node row;
            if (targetRow && present->first == number)
                row = (present++)->second;
            PresentColumns nextColumn(cell, rowEnd, offset_.columns, cursor_, target);
            if (!FormatInOrder(std::uint32_t(number), row, nextColumn))
                FormatRowByLookup(std::uint32_t(number), target);
            cell = rowEnd;
        }
    }

    std::int64_t MovedRow(const SnapshotCell &cell) const
    {
        return std::int64_t(cell.row) + offset_.rows;
    }
    static bool InRows(std::int64_t number, const CellArea &target)
    {
        return number >= std::int64_t(target.firstRow) && number <= std::int64_t(target.lastRow);
    }

    // One walk along the row's cells and the columns to visit together;
    // false, with nothing changed, for a row whose cells do not allow it.
    template <typename NextColumn>
    bool FormatInOrder(std::uint32_t number, pugi::xml_node row, NextColumn &nextColumn)
    {
        if (!cursor_.Start(row))
            return false;
        bool visited = false;
        for (std::uint32_t column = nextColumn(); column != 0; column = nextColumn()) {
            FormatCell(number, column, row, cursor_);
            visited = true;
        }
        if (visited && row)
            SetSpans(row, cursor_.FirstColumn(), cursor_.LastColumn());
        return true;
    }

    // Rows not yet formatted are as they were, so positions found late still
    // hold for them.
    void FormatRowByLookup(std::uint32_t number, const CellArea &target)
    {
        const auto &positions = Positions(target);
        const auto found = positions.find(number);
        if (found != positions.end())
            FormatByLookup(number, found->second);
    }

    const std::map<std::uint32_t, std::vector<std::uint32_t>> &Positions(const CellArea &target)
    {
        if (!positions_)
            positions_ = PastePositions(snapshot_, window_, target, offset_);
        return *positions_;
    }

    void FormatByLookup(std::uint32_t number, const std::vector<std::uint32_t> &cellColumns)
    {
        pugi::xml_node row = window_.Row(number);
        RowCells cells(row);
        for (std::uint32_t column : cellColumns)
            FormatCell(number, column, row, cells);
        if (row)
            FixSpans(row);
    }

    // `row` is null until a cell has to be made in a row still missing.
    template <typename Cells>
    void FormatCell(std::uint32_t number, std::uint32_t column, pugi::xml_node &row, Cells &cells)
    {
        const std::uint32_t wanted =
            map_(lookup_.EffectiveStyle(std::uint32_t(std::int64_t(number) - offset_.rows),
                                        std::uint32_t(std::int64_t(column) - offset_.columns)));
        pugi::xml_node cell = cells.Find(column);
        if (!cell && wanted == FallbackStyle(row, columns_, column))
            return;
        if (!cell) {
            row = window_.RowForWriting(number);
            cell = cells.FindOrAdd(row, column, window_.Prefix());
            added_.Add(number, column);
        }
        SetOrRemove(cell, "s", wanted != 0, wanted);
    }

    const ClipboardSnapshot &snapshot_;
    SnapshotLookup lookup_;
    RowWindow &window_;
    const ColumnSet &columns_;
    const Offset offset_;
    StyleMap &map_;
    AddedCells &added_;
    RowCursor cursor_;
    std::optional<std::map<std::uint32_t, std::vector<std::uint32_t>>> positions_;
};

std::string MergeCellsElement(const std::vector<CellArea> &areas, const std::string &prefix)
{
    std::string text = "<" + prefix + "mergeCells count=\"" + std::to_string(areas.size()) + "\">";
    for (const CellArea &area : areas)
        text += "<" + prefix + "mergeCell ref=\"" + AreaName(area) + "\"/>";
    return text + "</" + prefix + "mergeCells>";
}

// The target's merged areas in the way go, the template's come.
bool ReplaceMerges(const ClipboardSnapshot &snapshot, WorksheetEdit &edit, const CellArea &target,
                   Offset offset, Error &error)
{
    if (!RemoveMerges(edit.Part(), target, error))
        return false;
    std::vector<CellArea> areas;
    if (!ListMerges(edit.Part(), areas, error))
        return false;
    const size_t kept = areas.size();
    for (const CellArea &merge : snapshot.merges) {
        CellArea moved;
        if (Moved(merge, offset, moved))
            areas.push_back(moved);
    }
    if (areas.size() > kept)
        edit.Put("mergeCells", MergeCellsElement(areas, edit.Prefix()));
    return true;
}

// The target's rules lose the area, their x14 twins with them; the
// template's come clipped to it.
void ReplaceConditionalFormats(const ClipboardSnapshot &snapshot, WorksheetEdit &edit,
                               const CellArea &target, Offset offset, StyleInterner &styles)
{
    int priority = 0;
    std::vector<std::string> removedIds;
    for (size_t index : edit.Find("conditionalFormatting")) {
        std::string kept = ClipOutside(edit.Text(index), target, removedIds);
        if (kept != edit.Text(index))
            edit.Replace(index, std::move(kept));
        priority = std::max(priority, HighestPriority(edit.Text(index)));
    }
    if (const auto extLst = edit.FindFirst("extLst")) {
        std::string kept = ClipExtensionFormats(edit.Text(*extLst), target, removedIds);
        if (kept != edit.Text(*extLst))
            edit.Replace(*extLst, std::move(kept));
    }
    ++priority;
    for (const ConditionalFormat &format : snapshot.conditionalFormats)
        edit.Insert("conditionalFormatting",
                    PlaceConditionalFormat(format, offset.rows, offset.columns, styles,
                                           edit.Prefix(), priority));
}

} // namespace

bool PasteFormats(const ClipboardSnapshot &snapshot, PastePlace place, WorksheetPart &sheet,
                  StyleInterner &styles, InternedStyles &interned, Error &error)
{
    WorksheetEdit edit(sheet);
    const Offset offset = OffsetOf(snapshot, place);
    const CellArea target = TargetArea(snapshot, place);
    ColumnSet columns;
    RowWindow window;
    size_t sheetDataIndex = 0;
    if (!LoadColumns(edit, columns, error) ||
        !LoadSheetData(edit, target.firstRow, target.lastRow, window, sheetDataIndex, error))
        return false;
    StyleMap map(snapshot, styles, interned);
    AddedCells added;
    if (snapshot.wholeRows)
        CopyRowFormats(snapshot, window, target, offset, map);
    CellFormatter(snapshot, window, columns, offset, map, added).Format(target);
    edit.Replace(sheetDataIndex, window.Serialise());
    added.CoverIn(edit);
    if (!ReplaceMerges(snapshot, edit, target, offset, error))
        return false;
    ReplaceConditionalFormats(snapshot, edit, target, offset, styles);
    return edit.Commit(error);
}

} // namespace engine

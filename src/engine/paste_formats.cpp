#include "paste.h"

#include "a1_text.h"
#include "merges.h"
#include "paste_area.h"
#include "sheet_columns.h"
#include "worksheet_edit.h"
#include "xml_fragment.h"

#include <pugixml.hpp>

namespace engine
{

namespace
{

// Template cellXfs index -> target cellXfs index, interned on first use.
class StyleMap
{
  public:
    StyleMap(const ClipboardSnapshot &snapshot, StyleInterner &styles)
        : snapshot_(snapshot), styles_(styles)
    {
    }

    std::uint32_t operator()(std::uint32_t templateIndex)
    {
        auto [slot, fresh] = mapped_.try_emplace(templateIndex, 0);
        if (!fresh)
            return slot->second;
        const auto style = snapshot_.styles.find(templateIndex);
        if (style != snapshot_.styles.end())
            slot->second = std::uint32_t(styles_.Intern(style->second));
        return slot->second;
    }

  private:
    const ClipboardSnapshot &snapshot_;
    StyleInterner &styles_;
    std::map<std::uint32_t, std::uint32_t> mapped_;
};

void SetOrRemove(pugi::xml_node node, const char *name, bool keep, const std::string &value)
{
    pugi::xml_attribute attribute = node.attribute(name);
    if (!keep) {
        node.remove_attribute(attribute);
        return;
    }
    if (!attribute)
        attribute = node.append_attribute(name);
    attribute.set_value(value.c_str());
}

// Whole rows carry their height and row format; a template row without
// them gives its target row the default ones.
void CopyRowFormats(const ClipboardSnapshot &snapshot, RowWindow &window, const CellArea &target,
                    Offset offset, StyleMap &map)
{
    for (pugi::xml_node row : window.Rows()) {
        const std::uint32_t number = RowNumber(row);
        if (number >= target.firstRow && number <= target.lastRow &&
            !snapshot.rows.count(std::uint32_t(long(number) - offset.rows)))
            for (const char *name : {"s", "customFormat", "ht", "customHeight"})
                row.remove_attribute(name);
    }
    for (const auto &[number, format] : snapshot.rows) {
        const long moved = long(number) + offset.rows;
        if (moved < long(target.firstRow) || moved > long(target.lastRow))
            continue;
        pugi::xml_node row = window.RowForWriting(std::uint32_t(moved));
        SetOrRemove(row, "s", format.hasStyle, std::to_string(map(format.style)));
        SetOrRemove(row, "customFormat", format.hasStyle, "1");
        SetOrRemove(row, "ht", !format.height.empty(), format.height);
        SetOrRemove(row, "customHeight", format.customHeight, "1");
    }
}

// Gives the cells of the target area the template's formats; an absent cell
// that would show its format anyway stays absent.
class CellFormatter
{
  public:
    CellFormatter(const ClipboardSnapshot &snapshot, RowWindow &window, const ColumnSet &columns,
                  Offset offset, StyleMap &map, AddedCells &added)
        : snapshot_(snapshot), window_(window), columns_(columns), offset_(offset), map_(map),
          added_(added)
    {
    }

    void Format(const CellArea &target)
    {
        if (!VisitsEveryCell(target)) {
            for (const auto &[number, cellColumns] :
                 PastePositions(snapshot_, window_, target, offset_))
                FormatByLookup(number, cellColumns);
            return;
        }
        std::vector<std::uint32_t> everyColumn; // for the rare row that cannot be walked
        for (std::uint32_t number = target.firstRow; number <= target.lastRow; ++number) {
            if (FormatInOrder(number, target.firstColumn, target.lastColumn))
                continue;
            if (everyColumn.empty())
                for (std::uint32_t column = target.firstColumn; column <= target.lastColumn;
                     ++column)
                    everyColumn.push_back(column);
            FormatByLookup(number, everyColumn);
        }
    }

  private:
    // One walk along the row's cells and the area's columns together; false,
    // with nothing changed, for a row whose cells do not allow it.
    bool FormatInOrder(std::uint32_t number, std::uint32_t firstColumn, std::uint32_t lastColumn)
    {
        pugi::xml_node row = window_.Row(number);
        if (!cursor_.Start(row))
            return false;
        for (std::uint32_t column = firstColumn; column <= lastColumn; ++column)
            FormatCell(number, column, row, cursor_);
        if (row)
            SetSpans(row, cursor_.FirstColumn(), cursor_.LastColumn());
        return true;
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
            map_(snapshot_.EffectiveStyle(std::uint32_t(long(number) - offset_.rows),
                                          std::uint32_t(long(column) - offset_.columns)));
        pugi::xml_node cell = cells.Find(column);
        if (!cell && wanted == FallbackStyle(row, columns_, column))
            return;
        if (!cell) {
            row = window_.RowForWriting(number);
            cell = cells.FindOrAdd(row, column, window_.Prefix());
            added_.Add(number, column);
        }
        SetOrRemove(cell, "s", wanted != 0, std::to_string(wanted));
    }

    const ClipboardSnapshot &snapshot_;
    RowWindow &window_;
    const ColumnSet &columns_;
    const Offset offset_;
    StyleMap &map_;
    AddedCells &added_;
    RowCursor cursor_;
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

void ReplaceConditionalFormats(const ClipboardSnapshot &snapshot, WorksheetEdit &edit,
                               const CellArea &target, Offset offset, StyleInterner &styles)
{
    int priority = 0;
    for (size_t index : edit.Find("conditionalFormatting")) {
        std::string kept = RemoveAreasInside(edit.Text(index), target);
        if (kept != edit.Text(index))
            edit.Replace(index, std::move(kept));
        priority = std::max(priority, HighestPriority(edit.Text(index)));
    }
    ++priority;
    for (const ConditionalFormat &format : snapshot.conditionalFormats)
        edit.Insert("conditionalFormatting",
                    PlaceConditionalFormat(format, offset.rows, offset.columns, styles,
                                           edit.Prefix(), priority));
}

} // namespace

bool PasteFormats(const ClipboardSnapshot &snapshot, PastePlace place, WorksheetPart &sheet,
                  StyleInterner &styles, Error &error)
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
    StyleMap map(snapshot, styles);
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

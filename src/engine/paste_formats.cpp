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
        const auto style = snapshot_.styles.find(templateIndex);
        if (fresh && style != snapshot_.styles.end())
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

void FormatCells(const ClipboardSnapshot &snapshot, RowWindow &window, const ColumnSet &columns,
                 const CellArea &target, Offset offset, StyleMap &map, AddedCells &added)
{
    for (const auto &[number, cellColumns] : PastePositions(snapshot, window, target, offset)) {
        pugi::xml_node row = window.Row(number);
        RowCells cells(row);
        for (std::uint32_t column : cellColumns) {
            const std::uint32_t wanted =
                map(snapshot.EffectiveStyle(std::uint32_t(long(number) - offset.rows),
                                            std::uint32_t(long(column) - offset.columns)));
            pugi::xml_node cell = cells.Find(column);
            if (!cell && wanted == FallbackStyle(row, columns, column))
                continue;
            if (!cell) {
                row = window.RowForWriting(number);
                cell = cells.FindOrAdd(row, column, window.Prefix());
                added.Add(number, column);
            }
            SetOrRemove(cell, "s", wanted != 0, std::to_string(wanted));
        }
        if (row)
            FixSpans(row);
    }
}

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
    FormatCells(snapshot, window, columns, target, offset, map, added);
    edit.Replace(sheetDataIndex, window.Serialise());
    added.CoverIn(edit);
    if (!ReplaceMerges(snapshot, edit, target, offset, error))
        return false;
    ReplaceConditionalFormats(snapshot, edit, target, offset, styles);
    return edit.Commit(error);
}

} // namespace engine

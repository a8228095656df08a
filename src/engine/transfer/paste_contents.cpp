#include "transfer/paste.h"

#include "base/formula_shift.h"
#include "engine/a1_text.h"
#include "sheet/worksheet_edit.h"
#include "transfer/paste_area.h"
#include "xml/small_xml.h"
#include "xml/xml_fragment.h"

#include <pugixml.hpp>

#include <map>

namespace engine
{

namespace
{

struct CellPosition {
    std::uint32_t row = 0;
    std::uint32_t column = 0;
};

bool Contains(const CellArea &area, std::uint32_t row, std::uint32_t column)
{
    return row >= area.firstRow && row <= area.lastRow && column >= area.firstColumn &&
           column <= area.lastColumn;
}

bool ContainsArea(const CellArea &outer, const CellArea &inner)
{
    return Contains(outer, inner.firstRow, inner.firstColumn) &&
           Contains(outer, inner.lastRow, inner.lastColumn);
}

std::string_view TypeOf(const pugi::xml_node &f)
{
    return f.attribute("t").value();
}

struct SharedGroup {
    CellPosition master;
    std::string formula;
    std::vector<pugi::xml_node> members; // their f elements
    bool cut = false;
};

// A shared formula group or an array formula that the area cuts would leave
// cells pointing at a formula that is gone: every member of a touched group
// gets its own formula, an array cut in two shrinks to its first cell.
void ResolveCutFormulas(RowWindow &window, const CellArea &target)
{
    std::map<std::string, SharedGroup> groups;
    for (pugi::xml_node row : window.Rows())
        for (pugi::xml_node cell : Elements(row)) {
            pugi::xml_node f = FirstChildNamed(cell, "f");
            const CellPosition at{RowNumber(row), CellColumn(cell)};
            const auto ref = ParseA1Area(f.attribute("ref").value());
            if (TypeOf(f) == "array" && ref && ref->Intersects(target) &&
                !ContainsArea(target, *ref))
                f.attribute("ref").set_value(CellName(at.row, at.column).c_str());
            if (TypeOf(f) != "shared")
                continue;
            SharedGroup &group = groups[f.attribute("si").value()];
            group.members.push_back(f);
            group.cut = group.cut || Contains(target, at.row, at.column) ||
                        (ref && ref->Intersects(target));
            if (ref) {
                group.master = at;
                group.formula = f.text().get();
            }
        }
    for (auto &[si, group] : groups) {
        if (!group.cut)
            continue;
        for (pugi::xml_node f : group.members) {
            const CellPosition at{RowNumber(f.parent().parent()), CellColumn(f.parent())};
            f.text().set(ShiftFormula(group.formula, long(at.row) - long(group.master.row),
                                      long(at.column) - long(group.master.column))
                             .c_str());
            for (const char *name : {"t", "si", "ref"})
                f.remove_attribute(name);
        }
    }
}

void StripContent(pugi::xml_node cell)
{
    for (const char *name : {"f", "v", "is"})
        while (pugi::xml_node child = FirstChildNamed(cell, name))
            cell.remove_child(child);
    for (const char *name : {"t", "cm", "vm"})
        cell.remove_attribute(name);
}

pugi::xml_node AppendChild(pugi::xml_node cell, const char *localName, const std::string &prefix)
{
    return cell.append_child((prefix + localName).c_str());
}

void WriteInlineString(pugi::xml_node cell, const CellContent &content, const std::string &prefix)
{
    cell.append_attribute("t") = "inlineStr";
    pugi::xml_node is = AppendChild(cell, "is", prefix);
    if (!content.richText.empty()) {
        pugi::xml_document runs;
        const std::string wrapped = "<is>" + content.richText + "</is>";
        runs.load_buffer(wrapped.data(), wrapped.size(),
                         pugi::parse_default | pugi::parse_ws_pcdata_single);
        for (pugi::xml_node run : Elements(runs.document_element()))
            AppendFragment(is, RawText(run), prefix);
        return;
    }
    pugi::xml_node t = AppendChild(is, "t", prefix);
    t.append_attribute("xml:space") = "preserve";
    t.text().set(content.value.c_str());
}

void WriteFormula(pugi::xml_node cell, const CellContent &content, Offset offset,
                  const std::string &prefix)
{
    pugi::xml_node f = AppendChild(cell, "f", prefix);
    f.text().set(ShiftFormula(content.formula, offset.rows, offset.columns).c_str());
    const auto ref = ParseA1Area(content.arrayRef);
    CellArea moved;
    if (ref && Moved(*ref, offset, moved)) {
        f.append_attribute("t") = "array";
        f.append_attribute("ref") = AreaName(moved).c_str();
    }
    // the cached result stays until the workbook recalculates on load
    if (!content.type.empty() && content.type != "inlineStr")
        cell.append_attribute("t") = content.type.c_str();
    if (!content.value.empty())
        AppendChild(cell, "v", prefix).text().set(content.value.c_str());
}

// A formula's result or a constant, as a constant.
void WriteValue(pugi::xml_node cell, const CellContent &content, const std::string &prefix)
{
    if (content.type == "inlineStr" || content.type == "str") {
        WriteInlineString(cell, content, prefix);
        return;
    }
    if (!content.type.empty())
        cell.append_attribute("t") = content.type.c_str();
    AppendChild(cell, "v", prefix).text().set(content.value.c_str());
}

bool HasContent(const CellContent &content, ContentKind kind)
{
    if (kind == ContentKind::Values)
        return !content.value.empty() || !content.richText.empty();
    return !content.Empty();
}

void WriteCell(RowWindow &window, const ColumnSet &columns, RowCells &cells, CellPosition at,
               const SnapshotCell *source, ContentKind kind, Offset offset, AddedCells &added)
{
    const CellContent *content = source ? &source->content : nullptr;
    pugi::xml_node cell = cells.Find(at.column);
    if (!content || !HasContent(*content, kind)) {
        if (!cell)
            return;
        StripContent(cell);
        if (!cell.attribute("s") && !cell.first_child())
            cells.Remove(at.column);
        return;
    }
    if (!cell) {
        // a new cell keeps showing the format its row or column gave it
        const std::uint32_t style = FallbackStyle(window.Row(at.row), columns, at.column);
        cell = cells.FindOrAdd(window.RowForWriting(at.row), at.column, window.Prefix());
        if (style != 0)
            cell.append_attribute("s") = style;
        added.Add(at.row, at.column);
    }
    StripContent(cell);
    if (kind == ContentKind::Formulas && !content->formula.empty())
        WriteFormula(cell, *content, offset, window.Prefix());
    else
        WriteValue(cell, *content, window.Prefix());
}

bool HasFormulaGroups(std::string_view sheetData)
{
    return sheetData.find("t=\"shared\"") != std::string_view::npos ||
           sheetData.find("t=\"array\"") != std::string_view::npos;
}

} // namespace

bool PasteContents(const ClipboardSnapshot &snapshot, PastePlace place, ContentKind kind,
                   WorksheetPart &sheet, Error &error)
{
    WorksheetEdit edit(sheet);
    const Offset offset = OffsetOf(snapshot, place);
    const CellArea target = TargetArea(snapshot, place);
    const auto sheetData = edit.FindFirst("sheetData");
    // a formula group reaching into the area may start above it or end below it
    const bool wholeSheet = sheetData && HasFormulaGroups(edit.Text(*sheetData));
    RowWindow window;
    ColumnSet columns;
    size_t sheetDataIndex = 0;
    if (!LoadColumns(edit, columns, error) ||
        !LoadSheetData(edit, wholeSheet ? 1 : target.firstRow,
                       wholeSheet ? kMaxRow : target.lastRow, window, sheetDataIndex, error))
        return false;
    ResolveCutFormulas(window, target);
    AddedCells added;
    SnapshotLookup lookup(snapshot);
    for (const auto &[row, cellColumns] : PastePositions(snapshot, window, target, offset)) {
        RowCells cells(window.Row(row));
        for (std::uint32_t column : cellColumns)
            WriteCell(window, columns, cells, {row, column},
                      lookup.CellAt(std::uint32_t(long(row) - offset.rows),
                                    std::uint32_t(long(column) - offset.columns)),
                      kind, offset, added);
        if (pugi::xml_node element = window.Row(row))
            FixSpans(element);
    }
    edit.Replace(sheetDataIndex, window.Serialise());
    added.CoverIn(edit);
    return edit.Commit(error);
}

} // namespace engine

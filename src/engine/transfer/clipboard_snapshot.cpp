#include "transfer/clipboard_snapshot.h"

#include "base/formula_shift.h"
#include "parts/shared_strings.h"
#include "sheet/merges.h"
#include "sheet/sheet_rows.h"
#include "sheet/worksheet_part.h"
#include "xml/small_xml.h"
#include "xml/xml_fragment.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace engine
{

namespace
{

struct SharedMaster {
    std::uint32_t row = 0;
    std::uint32_t column = 0;
    std::string formula;
};
using SharedMasters = std::map<std::string, SharedMaster>;

bool InColumns(const CellArea &area, std::uint32_t column)
{
    return column >= area.firstColumn && column <= area.lastColumn;
}

// The sheet's width for columns without one of their own.
std::string DefaultWidth(const WorksheetPart &part)
{
    for (size_t i = 0; i < part.Children().size(); ++i) {
        if (part.Children()[i].LocalName() != "sheetFormatPr")
            continue;
        pugi::xml_document doc;
        const std::string_view text = part.ChildText(i);
        doc.load_buffer(text.data(), text.size());
        pugi::xml_node format = doc.document_element();
        if (format.attribute("defaultColWidth"))
            return format.attribute("defaultColWidth").value();
        if (format.attribute("baseColWidth")) {
            char width[32];
            std::snprintf(width, sizeof width, "%.15g",
                          format.attribute("baseColWidth").as_double() + 0.43);
            return width;
        }
    }
    return "8.43";
}

std::string_view Child(const WorksheetPart &part, std::string_view localName)
{
    for (size_t i = 0; i < part.Children().size(); ++i)
        if (part.Children()[i].LocalName() == localName)
            return part.ChildText(i);
    return {};
}

void AddWidth(std::vector<SnapshotWidth> &widths, std::uint32_t first, std::uint32_t last,
              const std::string &width)
{
    if (!widths.empty() && widths.back().last + 1 == first && widths.back().width == width)
        widths.back().last = last;
    else
        widths.push_back({first, last, width});
}

// Every column of the area gets a width; whole rows carry the template's
// column ranges as they are.
std::vector<SnapshotWidth> Widths(const ColumnSet &columns, const CellArea &area, bool wholeRows,
                                  const std::string &defaultWidth)
{
    std::vector<SnapshotWidth> widths;
    auto widthOf = [&](const ColumnRange *range) {
        const std::string width = range ? range->Attribute("width") : std::string();
        return width.empty() ? defaultWidth : width;
    };
    if (wholeRows) {
        for (const ColumnRange &range : columns.Ranges())
            AddWidth(widths, range.first, range.last, widthOf(&range));
        return widths;
    }
    for (std::uint32_t column = area.firstColumn; column <= area.lastColumn;) {
        const ColumnRange *range = columns.Find(column);
        std::uint32_t last = area.lastColumn;
        if (range)
            last = std::min(range->last, last);
        else
            for (const ColumnRange &next : columns.Ranges())
                if (next.first > column) {
                    last = std::min(next.first - 1, last);
                    break;
                }
        AddWidth(widths, column, last, widthOf(range));
        column = last + 1;
    }
    return widths;
}

SharedMasters FindSharedMasters(const RowWindow &window)
{
    SharedMasters masters;
    for (pugi::xml_node row : window.Rows())
        for (pugi::xml_node cell : Elements(row)) {
            pugi::xml_node f = FirstChildNamed(cell, "f");
            if (std::string_view(f.attribute("t").value()) == "shared" && f.attribute("ref"))
                masters[f.attribute("si").value()] = {RowNumber(row), CellColumn(cell),
                                                      f.text().get()};
        }
    return masters;
}

std::string Formula(const pugi::xml_node &f, std::uint32_t row, std::uint32_t column,
                    const SharedMasters &masters)
{
    const std::string_view type = f.attribute("t").value();
    if (type == "dataTable")
        return {};
    if (type != "shared" || f.attribute("ref"))
        return f.text().get();
    const auto master = masters.find(f.attribute("si").value());
    if (master == masters.end())
        return {};
    return ShiftFormula(master->second.formula, long(row) - long(master->second.row),
                        long(column) - long(master->second.column));
}

CellContent ReadContent(const pugi::xml_node &cell, std::uint32_t row, const SharedMasters &masters,
                        const SharedStrings *strings)
{
    CellContent content;
    const std::uint32_t column = CellColumn(cell);
    if (pugi::xml_node f = FirstChildNamed(cell, "f")) {
        content.formula = Formula(f, row, column, masters);
        if (std::string_view(f.attribute("t").value()) == "array")
            content.arrayRef = f.attribute("ref").value();
    }
    content.type = cell.attribute("t").value();
    content.value = FirstChildNamed(cell, "v").text().get();
    const std::string prefix = PrefixOf(cell.name());
    for (pugi::xml_node run : Elements(FirstChildNamed(cell, "is")))
        content.richText += NormalisedFragment(run, prefix);
    if (content.type == "s") {
        const std::size_t index = std::strtoul(content.value.c_str(), nullptr, 10);
        content.richText = strings && !content.value.empty() ? strings->InlineContent(index) : "";
        content.value.clear();
        content.type = "inlineStr";
    }
    if (content.type == "n")
        content.type.clear();
    return content;
}

void ReadRows(const RowWindow &window, const CellArea &area, const SharedStrings *strings,
              ClipboardSnapshot &snapshot)
{
    const SharedMasters masters = FindSharedMasters(window);
    for (pugi::xml_node row : window.Rows()) {
        const std::uint32_t number = RowNumber(row);
        if (number < area.firstRow || number > area.lastRow)
            continue;
        SnapshotRow format;
        format.hasStyle = IsTrue(row.attribute("customFormat"));
        format.style = format.hasStyle ? row.attribute("s").as_uint(0) : 0;
        format.height = row.attribute("ht").value();
        format.customHeight = IsTrue(row.attribute("customHeight"));
        if (format.hasStyle || !format.height.empty())
            snapshot.rows[number] = format;
        for (pugi::xml_node cell : Elements(row)) {
            const std::uint32_t column = CellColumn(cell);
            if (column == 0 || !InColumns(area, column))
                continue;
            snapshot.cells.push_back({number, column, cell.attribute("s").as_uint(0),
                                      ReadContent(cell, number, masters, strings)});
        }
    }
}

void ResolveStyles(const StylesPart &styles, ClipboardSnapshot &snapshot)
{
    std::vector<std::uint32_t> used{0};
    for (const SnapshotCell &cell : snapshot.cells)
        used.push_back(cell.style);
    for (const auto &[number, row] : snapshot.rows)
        used.push_back(row.style);
    for (const ColumnRange &range : snapshot.columns.Ranges())
        used.push_back(snapshot.columns.Style(range.first));
    for (std::uint32_t index : used)
        if (!snapshot.styles.count(index))
            snapshot.styles.emplace(index,
                                    std::make_shared<const StyleValue>(styles.Resolve(int(index))));
}

bool ReadMergesAndFormats(const WorksheetPart &part, const StylesPart &styles,
                          ClipboardSnapshot &snapshot, Error &error)
{
    std::vector<CellArea> merges;
    if (!ListMerges(part, merges, error))
        return false;
    const CellArea &area = snapshot.area;
    for (const CellArea &merge : merges)
        if (merge.firstRow >= area.firstRow && merge.lastRow <= area.lastRow &&
            merge.firstColumn >= area.firstColumn && merge.lastColumn <= area.lastColumn)
            snapshot.merges.push_back(merge);
    for (size_t i = 0; i < part.Children().size(); ++i) {
        if (part.Children()[i].LocalName() != "conditionalFormatting")
            continue;
        ConditionalFormat format;
        if (ReadConditionalFormat(part.ChildText(i), styles, area, format, error))
            snapshot.conditionalFormats.push_back(std::move(format));
        else if (error)
            return false;
    }
    return true;
}

} // namespace

const SnapshotCell *SnapshotLookup::CellAt(std::uint32_t row, std::uint32_t column)
{
    const std::vector<SnapshotCell> &cells = snapshot_.cells;
    const auto position = [](const SnapshotCell &cell) { return std::pair(cell.row, cell.column); };
    const auto before = [&](const SnapshotCell &cell, auto key) { return position(cell) < key; };
    const auto key = std::pair(row, column);
    if (next_ != cells.end() && position(*next_) < key)
        next_ = std::lower_bound(next_, cells.end(), key, before);
    else if (next_ != cells.begin() && key <= position(*std::prev(next_)))
        next_ = std::lower_bound(cells.begin(), next_, key, before);
    if (next_ == cells.end() || position(*next_) != key)
        return nullptr;
    return &*next_++;
}

std::uint32_t SnapshotLookup::EffectiveStyle(std::uint32_t row, std::uint32_t column)
{
    if (const SnapshotCell *cell = CellAt(row, column))
        return cell->style;
    const auto format = snapshot_.rows.find(row);
    if (format != snapshot_.rows.end() && format->second.hasStyle)
        return format->second.style;
    return snapshot_.columns.Style(column);
}

bool TakeSnapshot(const TemplateSheet &sheet, const CellArea &area, ClipboardSnapshot &snapshot,
                  Error &error)
{
    const WorksheetPart &part = sheet.worksheet;
    static std::atomic<std::uint64_t> lastId{0};
    snapshot = ClipboardSnapshot();
    snapshot.id = ++lastId;
    snapshot.area = area;
    snapshot.wholeRows = area.firstColumn == 1 && area.lastColumn == kMaxColumn;
    if (!snapshot.columns.Load(Child(part, "cols"), error))
        return false;
    snapshot.widths = Widths(snapshot.columns, area, snapshot.wholeRows, DefaultWidth(part));

    const std::string_view sheetData = Child(part, "sheetData");
    // a shared formula's text sits in its first cell, which may lie above the area
    const bool shared = sheetData.find("t=\"shared\"") != std::string_view::npos;
    RowWindow window;
    if (!sheetData.empty() &&
        !window.Load(sheetData, shared ? 1 : area.firstRow, area.lastRow, error))
        return false;
    if (!part.CheckRowsHeld(area.lastRow, error))
        return false;
    ReadRows(window, area, sheet.strings, snapshot);
    // Cells are looked up by position; a sheet may write them in any order.
    std::stable_sort(snapshot.cells.begin(), snapshot.cells.end(),
                     [](const SnapshotCell &a, const SnapshotCell &b) {
                         return std::pair(a.row, a.column) < std::pair(b.row, b.column);
                     });
    ResolveStyles(sheet.styles, snapshot);
    return ReadMergesAndFormats(part, sheet.styles, snapshot, error);
}

} // namespace engine

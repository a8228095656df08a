#include "sheet/worksheet_edit.h"

#include "engine/a1_text.h"
#include "xml/xml_scan.h"

#include <algorithm>
#include <iterator>

namespace engine
{

namespace
{

// CT_Worksheet child order.
const std::string_view kSchemaOrder[] = {"sheetPr",
                                         "dimension",
                                         "sheetViews",
                                         "sheetFormatPr",
                                         "cols",
                                         "sheetData",
                                         "sheetCalcPr",
                                         "sheetProtection",
                                         "protectedRanges",
                                         "scenarios",
                                         "autoFilter",
                                         "sortState",
                                         "dataConsolidate",
                                         "customSheetViews",
                                         "mergeCells",
                                         "phoneticPr",
                                         "conditionalFormatting",
                                         "dataValidations",
                                         "hyperlinks",
                                         "printOptions",
                                         "pageMargins",
                                         "pageSetup",
                                         "headerFooter",
                                         "rowBreaks",
                                         "colBreaks",
                                         "customProperties",
                                         "cellWatches",
                                         "ignoredErrors",
                                         "smartTags",
                                         "drawing",
                                         "legacyDrawing",
                                         "legacyDrawingHF",
                                         "drawingHF",
                                         "picture",
                                         "oleObjects",
                                         "controls",
                                         "webPublishItems",
                                         "tableParts",
                                         "extLst"};

// Position in the schema order; -1 for elements it does not name.
int Rank(std::string_view localName)
{
    const auto found = std::find(std::begin(kSchemaOrder), std::end(kSchemaOrder), localName);
    return found == std::end(kSchemaOrder) ? -1 : int(found - std::begin(kSchemaOrder));
}

CellArea Union(const CellArea &a, const CellArea &b)
{
    return CellArea{std::min(a.firstRow, b.firstRow), std::min(a.firstColumn, b.firstColumn),
                    std::max(a.lastRow, b.lastRow), std::max(a.lastColumn, b.lastColumn)};
}

} // namespace

WorksheetEdit::WorksheetEdit(WorksheetPart &part) : part_(part)
{
    // sheetData, always there, carries the prefix of the spreadsheet namespace
    for (const ElementSpan &child : part_.Children())
        if (child.LocalName() == "sheetData")
            prefix_ = std::string(child.Prefix()) + (child.Prefix().empty() ? "" : ":");
}

std::vector<size_t> WorksheetEdit::Find(std::string_view localName) const
{
    std::vector<size_t> found;
    for (size_t i = 0; i < part_.Children().size(); ++i)
        if (part_.Children()[i].LocalName() == localName && !part_.ChildText(i).empty())
            found.push_back(i);
    return found;
}

std::optional<size_t> WorksheetEdit::FindFirst(std::string_view localName) const
{
    const std::vector<size_t> found = Find(localName);
    return found.empty() ? std::nullopt : std::optional(found.front());
}

void WorksheetEdit::Put(std::string_view localName, std::string text)
{
    if (const auto index = FindFirst(localName))
        Replace(*index, std::move(text));
    else if (!text.empty())
        Insert(localName, std::move(text));
}

void WorksheetEdit::Insert(std::string_view localName, std::string text)
{
    insertions_.push_back({Rank(localName), std::move(text)});
}

void WorksheetEdit::CoverInDimension(const CellArea &area)
{
    const auto index = FindFirst("dimension");
    if (!index)
        return; // the element is optional; without it there is nothing to keep right
    const std::string_view text = Text(*index);
    const size_t begin = text.find("ref=\"");
    const size_t end = begin == std::string_view::npos ? begin : text.find('"', begin + 5);
    if (end == std::string_view::npos)
        return;
    const auto old = ParseA1Area(text.substr(begin + 5, end - begin - 5));
    const std::string ref = AreaName(old ? Union(*old, area) : area);
    std::string replaced(text.substr(0, begin + 5));
    replaced += ref;
    replaced += text.substr(end);
    Replace(*index, replaced);
}

bool WorksheetEdit::Commit(Error &error)
{
    if (insertions_.empty())
        return true;
    // Glue each new element to its neighbour in schema order, then read the
    // whole part anew so later edits see the new elements as children.
    const std::vector<ElementSpan> &children = part_.Children();
    std::vector<std::string> before(children.size());
    std::vector<std::string> after(children.size());
    for (const Insertion &insertion : insertions_) {
        std::optional<size_t> anchor;
        for (size_t i = 0; i < children.size(); ++i) {
            const int rank = Rank(children[i].LocalName());
            if (rank >= 0 && rank <= insertion.rank)
                anchor = i;
        }
        if (anchor) {
            after[*anchor] += insertion.text;
            continue;
        }
        for (size_t i = 0; i < children.size(); ++i)
            if (Rank(children[i].LocalName()) > insertion.rank) {
                before[i] += insertion.text;
                break;
            }
    }
    for (size_t i = 0; i < children.size(); ++i)
        if (!before[i].empty() || !after[i].empty())
            part_.ReplaceChild(i, before[i] + std::string(part_.ChildText(i)) + after[i]);
    insertions_.clear();
    return part_.ApplyEdits(error);
}

} // namespace engine

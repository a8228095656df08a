#include "sheet/used_range.h"

#include "sheet/merges.h"
#include "sheet/used_bounds.h"
#include "xml/xml_scan.h"

namespace engine
{

bool ComputeUsedArea(const WorksheetPart &part, CellArea &area, Error &error)
{
    UsedBounds bounds;
    for (size_t i = 0; i < part.Children().size(); ++i) {
        const std::string_view name = part.Children()[i].LocalName();
        const std::string_view text = part.ChildText(i);
        if ((name != "sheetData" && name != "cols") || text.empty())
            continue;
        // The element may have been edited, so its current text is scanned:
        // rows with their cells in one pass.
        ElementTree element;
        std::vector<ElementTree> rows;
        if (!ScanDocument(text, element, rows, error))
            return false;
        if (name == "cols")
            bounds.AddColumns(text, element.children);
        else
            bounds.AddRows(text, rows);
    }
    std::vector<CellArea> merges;
    if (!ListMerges(part, merges, error))
        return false;
    for (const CellArea &merge : merges)
        bounds.Add(merge);
    if (const SheetHole *hole = part.Hole())
        bounds.Add(hole->bounds);
    area = bounds.Area();
    return true;
}

} // namespace engine

#include "sheet/sheet_hole.h"

#include "xml/xml_scan.h"

#include <vector>

namespace engine
{

bool FindRowsEnd(std::string_view worksheet, size_t &place, Error &error)
{
    ElementTree tree;
    std::vector<ElementTree> children;
    if (!ScanDocument(worksheet, tree, children, error))
        return false;
    for (size_t i = 0; i < tree.children.size(); ++i) {
        if (tree.children[i].LocalName() == "sheetData" && !tree.children[i].selfClosing) {
            place = children[i].contentEnd;
            return true;
        }
    }
    error.Set(ErrorCode::Unsupported, "internal error: a sheet held in part lost its rows");
    return false;
}

} // namespace engine

#include "sheet/sheet_hole.h"

#include "xml/main_namespace.h"
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
    const MainNamespace main(worksheet, tree.root);
    for (size_t i = 0; i < tree.children.size(); ++i) {
        const ElementSpan &child = tree.children[i];
        if (main.LocalNameOf(child.qualifiedName) == "sheetData" && !child.selfClosing) {
            place = children[i].contentEnd;
            return true;
        }
    }
    error.Set(ErrorCode::Unsupported, "internal error: a sheet held in part lost its rows");
    return false;
}

} // namespace engine

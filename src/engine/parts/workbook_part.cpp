#include "parts/workbook_part.h"

#include "xml/main_namespace.h"
#include "xml/small_xml.h"

namespace engine
{

bool ReadSheetList(const std::string &workbookXml, std::vector<SheetReference> &sheets,
                   Error &error)
{
    pugi::xml_document document;
    if (!ParseSmallPart(workbookXml, document, error))
        return false;
    const MainNamespace main(document.document_element());
    const pugi::xml_node list = main.FirstChild(document.document_element(), "sheets");
    for (pugi::xml_node sheet : list.children()) {
        if (main.LocalNameOf(sheet.name()) != "sheet")
            continue;
        const pugi::xml_attribute id = PrefixedAttribute(sheet, "id", "/relationships");
        if (!id) {
            error.Set(ErrorCode::Damaged, "a sheet of the workbook has no relationship");
            return false;
        }
        sheets.push_back(SheetReference{sheet.attribute("name").value(), id.value()});
    }
    return true;
}

} // namespace engine

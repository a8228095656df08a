#include "parts/content_types.h"

#include "package/zip_reader.h"
#include "xml/small_xml.h"

namespace engine
{
namespace
{

std::string PartKey(std::string_view partName)
{
    if (!partName.empty() && partName.front() == '/')
        partName.remove_prefix(1);
    return LowerAscii(partName);
}

} // namespace

bool ContentTypes::Parse(const std::string &xml, Error &error)
{
    pugi::xml_document document;
    if (!ParseSmallPart(xml, document, error))
        return false;
    for (pugi::xml_node entry : document.document_element().children()) {
        const std::string_view kind = LocalName(entry);
        const std::string type = entry.attribute("ContentType").value();
        if (kind == "Default")
            byExtension_[LowerAscii(entry.attribute("Extension").value())] = type;
        else if (kind == "Override")
            byPart_[PartKey(entry.attribute("PartName").value())] = type;
    }
    return true;
}

std::string ContentTypes::TypeOf(std::string_view partName) const
{
    const std::string key = PartKey(partName);
    if (const auto found = byPart_.find(key); found != byPart_.end())
        return found->second;
    const size_t dot = key.rfind('.');
    const size_t slash = key.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    const auto found = byExtension_.find(key.substr(dot + 1));
    return found == byExtension_.end() ? std::string() : found->second;
}

} // namespace engine

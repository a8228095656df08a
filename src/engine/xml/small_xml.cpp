#include "xml/small_xml.h"

#include "xml/xml_scan.h"

namespace engine
{
namespace
{

std::string_view AfterColon(std::string_view name)
{
    const size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string_view NamespaceOfPrefix(pugi::xml_node node, std::string_view prefix)
{
    const std::string declaration = "xmlns:" + std::string(prefix);
    for (; node; node = node.parent()) {
        const pugi::xml_attribute bound = node.attribute(declaration.c_str());
        if (bound)
            return bound.value();
    }
    return {};
}

} // namespace

bool EndsWith(std::string_view text, std::string_view tail)
{
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool ParseSmallPart(const std::string &text, pugi::xml_document &document, Error &error)
{
    ElementTree tree;
    if (!ScanDocument(text, tree, error))
        return false;
    const pugi::xml_parse_result parsed =
        document.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed) {
        error.Set(ErrorCode::Damaged, std::string("damaged XML: ") + parsed.description());
        return false;
    }
    return true;
}

std::string_view LocalName(const pugi::xml_node &node)
{
    return AfterColon(node.name());
}

pugi::xml_node FirstChildNamed(const pugi::xml_node &parent, std::string_view localName)
{
    for (pugi::xml_node child : parent.children())
        if (LocalName(child) == localName)
            return child;
    return {};
}

pugi::xml_attribute PrefixedAttribute(const pugi::xml_node &node, std::string_view localName,
                                      std::string_view namespaceTail)
{
    for (pugi::xml_attribute attribute : node.attributes()) {
        const std::string_view name = attribute.name();
        const size_t colon = name.find(':');
        if (colon == std::string_view::npos || name.substr(colon + 1) != localName)
            continue;
        if (EndsWith(NamespaceOfPrefix(node, name.substr(0, colon)), namespaceTail))
            return attribute;
    }
    return {};
}

} // namespace engine

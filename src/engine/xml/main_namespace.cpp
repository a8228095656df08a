#include "xml/main_namespace.h"

#include <algorithm>
#include <optional>

namespace engine
{
namespace
{

// Transitional and strict.
bool IsMainNamespace(std::string_view uri)
{
    return uri == "http://schemas.openxmlformats.org/spreadsheetml/2006/main" ||
           uri == "http://purl.oclc.org/ooxml/spreadsheetml/main";
}

std::string_view PrefixPart(std::string_view qualifiedName)
{
    const size_t colon = qualifiedName.find(':');
    return colon == std::string_view::npos ? std::string_view() : qualifiedName.substr(0, colon);
}

// The prefix an attribute binds to the namespace ("" for the default one), or
// nothing when it binds none.
std::optional<std::string_view> BoundPrefix(std::string_view attributeName, std::string_view value)
{
    constexpr std::string_view kDeclaration = "xmlns";
    if (attributeName.substr(0, kDeclaration.size()) != kDeclaration || !IsMainNamespace(value))
        return std::nullopt;
    if (attributeName.size() == kDeclaration.size())
        return std::string_view();
    if (attributeName[kDeclaration.size()] == ':')
        return attributeName.substr(kDeclaration.size() + 1);
    return std::nullopt;
}

} // namespace

MainNamespace::MainNamespace(std::string_view xml, const ElementSpan &root)
{
    for (const RawAttribute &attribute : Attributes(xml, root))
        Bind(attribute.name, attribute.value);
    Settle(root.qualifiedName);
}

MainNamespace::MainNamespace(const pugi::xml_node &root)
{
    for (pugi::xml_attribute attribute : root.attributes())
        Bind(attribute.name(), attribute.value());
    Settle(root.name());
}

void MainNamespace::Bind(std::string_view attributeName, std::string_view value)
{
    if (const auto prefix = BoundPrefix(attributeName, value))
        prefixes_.emplace_back(*prefix);
}

// A part that declares the namespace nowhere (a fragment, a careless writer)
// is taken to use it under any prefix, writing its document element's.
void MainNamespace::Settle(std::string_view rootName)
{
    const std::string rootPrefix(PrefixPart(rootName));
    undeclared_ = prefixes_.empty();
    if (undeclared_)
        prefixes_.push_back(rootPrefix);
    const bool rootInside =
        std::find(prefixes_.begin(), prefixes_.end(), rootPrefix) != prefixes_.end();
    prefix_ = rootInside ? rootPrefix : prefixes_.front();
    if (!prefix_.empty())
        prefix_ += ':';
}

std::string_view MainNamespace::LocalNameOf(std::string_view qualifiedName) const
{
    const std::string_view prefix = PrefixPart(qualifiedName);
    if (!undeclared_ && std::find(prefixes_.begin(), prefixes_.end(), prefix) == prefixes_.end())
        return {};
    return prefix.empty() ? qualifiedName : qualifiedName.substr(prefix.size() + 1);
}

pugi::xml_node MainNamespace::FirstChild(const pugi::xml_node &parent,
                                         std::string_view localName) const
{
    for (pugi::xml_node child : parent.children())
        if (child.type() == pugi::node_element && LocalNameOf(child.name()) == localName)
            return child;
    return {};
}

bool MainNamespace::DeclaredOn(std::string_view xml, const ElementSpan &element)
{
    const std::string_view prefix = PrefixPart(element.qualifiedName);
    for (const RawAttribute &attribute : Attributes(xml, element))
        if (BoundPrefix(attribute.name, attribute.value) == prefix)
            return true;
    return false;
}

} // namespace engine

#pragma once
// The spreadsheet main namespace of one part. Writers bind it as the default
// namespace or under a prefix ("x:worksheet"); an element is told by the
// namespace its prefix stands for, and a written element takes the prefix the
// part's document element uses, or readers ignore it.

#include "xml/xml_scan.h"

#include <pugixml.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace engine
{

class MainNamespace
{
  public:
    // A part without elements yet: the default namespace.
    MainNamespace() : prefixes_{std::string()} {}
    // From the document element's start tag, as scanned.
    MainNamespace(std::string_view xml, const ElementSpan &root);
    explicit MainNamespace(const pugi::xml_node &root);

    // The prefix new elements take, with its colon ("x:"), or "".
    const std::string &Prefix() const { return prefix_; }
    // The local name of an element of this namespace; "" for any other.
    std::string_view LocalNameOf(std::string_view qualifiedName) const;
    // The first child of `parent` in this namespace with the local name.
    pugi::xml_node FirstChild(const pugi::xml_node &parent, std::string_view localName) const;

    // Whether the element's own start tag binds its prefix to the namespace.
    static bool DeclaredOn(std::string_view xml, const ElementSpan &element);

  private:
    void Bind(std::string_view attributeName, std::string_view value);
    void Settle(std::string_view rootName);

    std::vector<std::string> prefixes_; // bound to the namespace; "" is the default one
    std::string prefix_;
    // The part binds the namespace nowhere: names are taken by local name.
    bool undeclared_ = false;
};

} // namespace engine

#pragma once
// Parsing the small package parts (content types, relationships, the
// workbook part) into a DOM, after the byte scanner has vetted them for a
// DOCTYPE and nesting depth. Names are matched by local name so that any
// namespace prefix works.

#include "engine/error.h"

#include <pugixml.hpp>

#include <string>
#include <string_view>

namespace engine
{

bool ParseSmallPart(const std::string &text, pugi::xml_document &document, Error &error);

std::string_view LocalName(const pugi::xml_node &node);
pugi::xml_node FirstChildNamed(const pugi::xml_node &parent, std::string_view localName);

// The attribute localName whose prefix is bound to a namespace ending with
// namespaceTail (transitional and strict namespaces share their tails).
pugi::xml_attribute PrefixedAttribute(const pugi::xml_node &node, std::string_view localName,
                                      std::string_view namespaceTail);

bool EndsWith(std::string_view text, std::string_view tail);

} // namespace engine

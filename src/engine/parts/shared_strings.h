#pragma once
// The shared strings part (xl/sharedStrings.xml), read to turn a cell's string
// index into its text with formatting runs. Only template workbooks are read;
// pasted strings are written inline, so no target's table ever changes.

#include "engine/error.h"

#include <pugixml.hpp>

#include <memory>
#include <string>
#include <vector>

namespace engine
{

class SharedStrings
{
  public:
    bool Load(const std::string &xml, Error &error);
    // The si item's content as the children of an inline string (is), with
    // the part's prefix removed; "" for an index out of range.
    std::string InlineContent(std::size_t index) const;

  private:
    std::unique_ptr<pugi::xml_document> doc_ = std::make_unique<pugi::xml_document>();
    std::vector<pugi::xml_node> items_;
    std::string prefix_;
};

} // namespace engine

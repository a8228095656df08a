#pragma once
// The package's [Content_Types].xml: which content type each part has.

#include "engine/error.h"

#include <string>
#include <string_view>
#include <unordered_map>

namespace engine
{

class ContentTypes
{
  public:
    bool Parse(const std::string &xml, Error &error);
    // Empty when the part has no declared type.
    std::string TypeOf(std::string_view partName) const;

  private:
    std::unordered_map<std::string, std::string> byExtension_; // lower case
    std::unordered_map<std::string, std::string> byPart_;      // lower case, no leading "/"
};

} // namespace engine

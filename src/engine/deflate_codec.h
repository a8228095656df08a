#pragma once
// The one place that decides how changed parts are compressed.

#include <cstdint>
#include <string>
#include <string_view>

namespace engine
{

constexpr std::uint16_t kMethodDeflate = 8;

// Raw deflate (zip method 8) of data; false only when memory runs out.
bool DeflateForZip(std::string_view data, std::string &compressed);
std::uint32_t Crc32(std::string_view data);

} // namespace engine

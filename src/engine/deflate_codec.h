#pragma once
// The one place that decides how parts are compressed and inflated.

#include <cstdint>
#include <string>
#include <string_view>

namespace engine
{

constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflate = 8;

// Raw deflate (zip method 8) of data; false only when memory runs out.
bool DeflateForZip(std::string_view data, std::string &compressed);
// Inflates raw deflate data that must come out at exactly `size` bytes.
bool InflateExactly(std::string_view compressed, size_t size, std::string &data);
// True when raw deflate data inflates to exactly `expected`.
bool InflatesTo(std::string_view compressed, std::string_view expected);
std::uint32_t Crc32(std::string_view data);

} // namespace engine

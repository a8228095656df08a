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
// The CRC-32 of the bytes before, whose CRC is `crc`, followed by `data`.
std::uint32_t ContinueCrc32(std::uint32_t crc, std::string_view data);
// The CRC-32 of two texts one after the other, from theirs.
std::uint32_t CombineCrc32(std::uint32_t first, std::uint32_t second, std::uint64_t secondSize);

} // namespace engine

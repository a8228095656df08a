#pragma once
// Little-endian fields of BIFF records, read from and written into byte
// strings. Callers check bounds first; these only move bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace engine
{

inline std::uint16_t ReadU16(std::string_view bytes, size_t at)
{
    return std::uint16_t(std::uint8_t(bytes[at]) | std::uint8_t(bytes[at + 1]) << 8);
}

inline std::uint32_t ReadU32(std::string_view bytes, size_t at)
{
    return std::uint32_t(ReadU16(bytes, at)) | std::uint32_t(ReadU16(bytes, at + 2)) << 16;
}

inline void PutU16(std::string &bytes, size_t at, std::uint16_t value)
{
    bytes[at] = char(value & 0xFF);
    bytes[at + 1] = char(value >> 8);
}

inline void PutU32(std::string &bytes, size_t at, std::uint32_t value)
{
    PutU16(bytes, at, std::uint16_t(value & 0xFFFF));
    PutU16(bytes, at + 2, std::uint16_t(value >> 16));
}

inline void AppendU16(std::string &bytes, std::uint16_t value)
{
    bytes.push_back(char(value & 0xFF));
    bytes.push_back(char(value >> 8));
}

inline void AppendU32(std::string &bytes, std::uint32_t value)
{
    AppendU16(bytes, std::uint16_t(value & 0xFFFF));
    AppendU16(bytes, std::uint16_t(value >> 16));
}

} // namespace engine

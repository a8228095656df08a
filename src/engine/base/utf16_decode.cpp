#include "base/utf16_decode.h"

namespace engine
{
namespace
{

bool IsHighSurrogate(std::uint32_t unit)
{
    return unit >= 0xd800 && unit < 0xdc00;
}

bool IsLowSurrogate(std::uint32_t unit)
{
    return unit >= 0xdc00 && unit < 0xe000;
}

} // namespace

void AppendUtf8(std::uint32_t point, std::string &out)
{
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xc0 | (point >> 6));
        out += static_cast<char>(0x80 | (point & 0x3f));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xe0 | (point >> 12));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (point & 0x3f));
    } else {
        out += static_cast<char>(0xf0 | (point >> 18));
        out += static_cast<char>(0x80 | ((point >> 12) & 0x3f));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (point & 0x3f));
    }
}

bool DecodeUtf16(std::string_view bytes, bool bigEndian, std::string &out)
{
    if (bytes.size() % 2 != 0)
        return false;
    const auto unitAt = [&](size_t at) {
        const auto first = static_cast<unsigned char>(bytes[at]);
        const auto second = static_cast<unsigned char>(bytes[at + 1]);
        return bigEndian ? std::uint32_t(first << 8 | second) : std::uint32_t(second << 8 | first);
    };
    out.reserve(out.size() + bytes.size() / 2 + bytes.size() / 8);
    for (size_t at = 0; at < bytes.size(); at += 2) {
        std::uint32_t point = unitAt(at);
        if (IsHighSurrogate(point) && at + 2 < bytes.size() && IsLowSurrogate(unitAt(at + 2))) {
            point = 0x10000 + ((point - 0xd800) << 10) + (unitAt(at + 2) - 0xdc00);
            at += 2;
        } else if (IsHighSurrogate(point) || IsLowSurrogate(point)) {
            return false;
        }
        AppendUtf8(point, out);
    }
    return true;
}

} // namespace engine

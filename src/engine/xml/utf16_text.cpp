#include "xml/utf16_text.h"

#include <cstdint>
#include <string_view>

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

// The text after the byte order mark, as UTF-8; false on an odd length or
// a surrogate without its partner.
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

// The declaration named the old encoding; left so, a reader would decode
// the UTF-8 text as UTF-16.
void DeclareUtf8(std::string &text)
{
    if (text.compare(0, 5, "<?xml") != 0)
        return;
    const size_t end = text.find("?>");
    const size_t name = text.find("encoding", 0);
    if (end == std::string::npos || name == std::string::npos || name > end)
        return;
    const size_t open = text.find_first_of("\"'", name);
    const size_t close = open < end ? text.find(text[open], open + 1) : std::string::npos;
    if (close != std::string::npos && close < end)
        text.replace(open + 1, close - open - 1, "UTF-8");
}

} // namespace

bool AppendUtf16LeAsUtf8(std::string_view bytes, std::string &out)
{
    return DecodeUtf16(bytes, false, out);
}

TextRecoding RecodeUtf16Part(std::string &text)
{
    const bool littleEndian = text.compare(0, 2, "\xff\xfe") == 0;
    const bool bigEndian = text.compare(0, 2, "\xfe\xff") == 0;
    if (!littleEndian && !bigEndian)
        return TextRecoding::None;
    std::string utf8;
    if (!DecodeUtf16(std::string_view(text).substr(2), bigEndian, utf8))
        return TextRecoding::Invalid;
    DeclareUtf8(utf8);
    text.swap(utf8);
    return TextRecoding::Recoded;
}

} // namespace engine

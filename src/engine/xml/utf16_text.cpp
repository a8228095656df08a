#include "xml/utf16_text.h"

#include "base/utf16_decode.h"

#include <cstdint>
#include <string_view>

namespace engine
{
namespace
{

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

#include "biff/biff_text.h"

#include "base/utf16_decode.h"
#include "biff/biff_bytes.h"

#include <vector>

namespace engine
{

namespace
{

// The code points of UTF-8 text; a broken sequence reads as U+FFFD.
std::vector<std::uint32_t> CodePoints(std::string_view utf8)
{
    std::vector<std::uint32_t> points;
    for (std::size_t at = 0; at < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        const int extra = lead < 0x80    ? 0
                          : lead >= 0xf0 ? 3
                          : lead >= 0xe0 ? 2
                          : lead >= 0xc0 ? 1
                                         : -1;
        std::uint32_t point = extra <= 0 ? lead : lead & (0x3f >> extra);
        bool whole = extra >= 0 && at + std::size_t(extra) < utf8.size();
        for (int i = 1; whole && i <= extra; ++i) {
            const auto next = static_cast<unsigned char>(utf8[at + std::size_t(i)]);
            whole = (next & 0xc0) == 0x80;
            point = point << 6 | (next & 0x3f);
        }
        points.push_back(whole && point <= 0x10ffff ? point : 0xfffd);
        at += whole ? std::size_t(extra) + 1 : 1;
    }
    return points;
}

} // namespace

std::uint8_t BodyReader::U8()
{
    const std::string_view bytes = Bytes(1);
    return bytes.empty() ? 0 : static_cast<std::uint8_t>(bytes[0]);
}

std::uint16_t BodyReader::U16()
{
    const std::uint16_t low = U8();
    return std::uint16_t(low | U8() << 8);
}

std::uint32_t BodyReader::U32()
{
    const std::uint32_t low = U16();
    return low | std::uint32_t(U16()) << 16;
}

std::string_view BodyReader::Bytes(std::size_t count)
{
    if (!ok_ || count > Left()) {
        ok_ = false;
        return {};
    }
    const std::string_view bytes = body_.substr(at_, count);
    at_ += count;
    return bytes;
}

std::string BodyReader::String(int countBytes)
{
    const std::size_t count = countBytes == 1 ? U8() : U16();
    const bool wide = U8() & 0x01;
    const std::string_view stored = Bytes(wide ? count * 2 : count);
    std::string text;
    if (wide) {
        if (!DecodeUtf16(stored, false, text))
            ok_ = false;
        return text;
    }
    for (char byte : stored) // Latin-1: each byte is its own code point
        AppendUtf8(static_cast<unsigned char>(byte), text);
    return text;
}

void AppendString(std::string &body, const std::string &utf8, int countBytes)
{
    const std::size_t limit = countBytes == 1 ? 0xff : 0xffff;
    std::vector<std::uint16_t> units;
    bool latin1 = true;
    for (std::uint32_t point : CodePoints(utf8)) {
        const std::size_t size = point > 0xffff ? 2 : 1;
        if (units.size() + size > limit)
            break;
        if (point > 0xffff) {
            units.push_back(std::uint16_t(0xd800 + ((point - 0x10000) >> 10)));
            units.push_back(std::uint16_t(0xdc00 + ((point - 0x10000) & 0x3ff)));
        } else {
            units.push_back(std::uint16_t(point));
        }
        latin1 = latin1 && point < 0x100;
    }
    if (countBytes == 1)
        body += char(units.size());
    else
        AppendU16(body, std::uint16_t(units.size()));
    body += char(latin1 ? 0x00 : 0x01);
    for (std::uint16_t unit : units)
        if (latin1)
            body += char(unit);
        else
            AppendU16(body, unit);
}

} // namespace engine

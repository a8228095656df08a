#include "biff/biff_style_records.h"

#include "biff/biff_bytes.h"
#include "biff/biff_text.h"

namespace engine
{

namespace
{

constexpr std::size_t kFrtHeaderSize = 12;
constexpr std::size_t kFullColourSize = 16;
constexpr std::size_t kPaletteSize = 56;

void AppendByte(std::string &body, std::uint8_t value)
{
    body += char(value);
}

void AppendFrtHeader(std::string &body, std::uint16_t id)
{
    AppendU16(body, id);
    body.append(kFrtHeaderSize - 2, '\0'); // grbitFrt and reserved, all zero
}

std::uint32_t Bits(std::uint32_t value, int first, int count)
{
    return value >> first & ((1u << count) - 1);
}

// [MS-OSHARED] 2.4.3: a CRC over the polynomial 0xAF, most significant bit
// first, starting from zero.
std::uint32_t OfficeCrc(std::string_view bytes)
{
    static const auto cache = [] {
        std::array<std::uint32_t, 256> table{};
        for (std::uint32_t index = 0; index < 256; ++index) {
            std::uint32_t value = index << 24;
            for (int bit = 0; bit < 8; ++bit)
                value = value & 0x80000000u ? value << 1 ^ 0xafu : value << 1;
            table[index] = value;
        }
        return table;
    }();
    std::uint32_t crc = 0;
    for (char byte : bytes)
        crc = crc << 8 ^ cache[(crc >> 24 ^ static_cast<unsigned char>(byte)) & 0xff];
    return crc;
}

} // namespace

bool DecodeFont(std::string_view body, BiffFont &font)
{
    BodyReader reader(body);
    font.height = reader.U16();
    font.flags = reader.U16();
    font.colour = reader.U16();
    font.weight = reader.U16();
    font.script = reader.U16();
    font.underline = reader.U8();
    font.family = reader.U8();
    font.charset = reader.U8();
    reader.U8();
    font.name = reader.String(1);
    return reader.Ok();
}

std::string EncodeFont(const BiffFont &font)
{
    std::string body;
    AppendU16(body, font.height);
    AppendU16(body, font.flags);
    AppendU16(body, font.colour);
    AppendU16(body, font.weight);
    AppendU16(body, font.script);
    AppendByte(body, font.underline);
    AppendByte(body, font.family);
    AppendByte(body, font.charset);
    AppendByte(body, 0);
    AppendString(body, font.name, 1);
    return body;
}

bool DecodeFormat(std::string_view body, std::uint16_t &id, std::string &code)
{
    BodyReader reader(body);
    id = reader.U16();
    code = reader.String(2);
    return reader.Ok();
}

std::string EncodeFormat(std::uint16_t id, const std::string &code)
{
    std::string body;
    AppendU16(body, id);
    AppendString(body, code, 2);
    return body;
}

bool DecodeXf(std::string_view body, BiffXf &xf)
{
    BodyReader reader(body);
    xf.font = reader.U16();
    xf.format = reader.U16();
    const std::uint16_t type = reader.U16();
    xf.locked = type & 0x01;
    xf.hidden = type & 0x02;
    xf.isStyle = type & 0x04;
    xf.quotePrefix = type & 0x08;
    xf.parent = std::uint16_t(type >> 4);
    const std::uint8_t alignment = reader.U8();
    xf.horizontal = std::uint8_t(Bits(alignment, 0, 3));
    xf.wrap = alignment & 0x08;
    xf.vertical = std::uint8_t(Bits(alignment, 4, 3));
    xf.justifyLast = alignment & 0x80;
    xf.rotation = reader.U8();
    const std::uint8_t indent = reader.U8();
    xf.indent = std::uint8_t(Bits(indent, 0, 4));
    xf.shrink = indent & 0x10;
    xf.readingOrder = std::uint8_t(Bits(indent, 6, 2));
    xf.used = std::uint8_t(reader.U8() >> 2);
    const std::uint16_t lines = reader.U16();
    for (int side = kLeft; side <= kBottom; ++side)
        xf.lines[side] = std::uint8_t(Bits(lines, 4 * side, 4));
    const std::uint16_t sides = reader.U16();
    xf.lineColours[kLeft] = std::uint8_t(Bits(sides, 0, 7));
    xf.lineColours[kRight] = std::uint8_t(Bits(sides, 7, 7));
    xf.diagonalDown = sides & 0x4000;
    xf.diagonalUp = sides & 0x8000;
    const std::uint32_t more = reader.U32();
    xf.lineColours[kTop] = std::uint8_t(Bits(more, 0, 7));
    xf.lineColours[kBottom] = std::uint8_t(Bits(more, 7, 7));
    xf.lineColours[kDiagonal] = std::uint8_t(Bits(more, 14, 7));
    xf.lines[kDiagonal] = std::uint8_t(Bits(more, 21, 4));
    xf.hasExt = Bits(more, 25, 1);
    xf.pattern = std::uint8_t(Bits(more, 26, 6));
    const std::uint16_t fill = reader.U16();
    xf.patternFore = std::uint8_t(Bits(fill, 0, 7));
    xf.patternBack = std::uint8_t(Bits(fill, 7, 7));
    xf.pivotButton = fill & 0x4000;
    return reader.Ok();
}

std::string EncodeXf(const BiffXf &xf)
{
    std::string body;
    AppendU16(body, xf.font);
    AppendU16(body, xf.format);
    AppendU16(body, std::uint16_t(xf.locked | xf.hidden << 1 | xf.isStyle << 2 |
                                  xf.quotePrefix << 3 | (xf.parent & 0xfff) << 4));
    AppendByte(body, std::uint8_t((xf.horizontal & 7) | xf.wrap << 3 | (xf.vertical & 7) << 4 |
                                  xf.justifyLast << 7));
    AppendByte(body, xf.rotation);
    AppendByte(body, std::uint8_t((xf.indent & 15) | xf.shrink << 4 | (xf.readingOrder & 3) << 6));
    AppendByte(body, std::uint8_t((xf.used & 0x3f) << 2));
    std::uint16_t lines = 0;
    for (int side = kLeft; side <= kBottom; ++side)
        lines = std::uint16_t(lines | (xf.lines[side] & 15) << (4 * side));
    AppendU16(body, lines);
    AppendU16(body,
              std::uint16_t((xf.lineColours[kLeft] & 0x7f) | (xf.lineColours[kRight] & 0x7f) << 7 |
                            xf.diagonalDown << 14 | xf.diagonalUp << 15));
    AppendU32(body, std::uint32_t(xf.lineColours[kTop] & 0x7f) |
                        std::uint32_t(xf.lineColours[kBottom] & 0x7f) << 7 |
                        std::uint32_t(xf.lineColours[kDiagonal] & 0x7f) << 14 |
                        std::uint32_t(xf.lines[kDiagonal] & 15) << 21 |
                        std::uint32_t(xf.hasExt) << 25 | std::uint32_t(xf.pattern & 0x3f) << 26);
    AppendU16(body, std::uint16_t((xf.patternFore & 0x7f) | (xf.patternBack & 0x7f) << 7 |
                                  xf.pivotButton << 14));
    return body;
}

bool DecodeStyle(std::string_view body, BiffStyle &style)
{
    BodyReader reader(body);
    const std::uint16_t xf = reader.U16();
    style.xf = xf & 0xfff;
    style.builtIn = xf & 0x8000;
    if (style.builtIn) {
        style.builtInId = reader.U8();
        style.level = reader.U8();
    } else {
        style.name = reader.String(2);
    }
    return reader.Ok();
}

std::string EncodeUserStyle(std::uint16_t xf, const std::string &name)
{
    std::string body;
    AppendU16(body, xf & 0xfff);
    AppendString(body, name, 2);
    return body;
}

bool DecodePalette(std::string_view body, std::vector<std::uint32_t> &colours)
{
    BodyReader reader(body);
    const std::uint16_t count = reader.U16();
    colours.clear();
    for (std::uint16_t i = 0; i < count && reader.Ok(); ++i) {
        const std::uint32_t rgba = reader.U32();
        if (i < kPaletteSize)
            colours.push_back((rgba & 0xff) << 16 | (rgba & 0xff00) | (rgba >> 16 & 0xff));
    }
    return reader.Ok();
}

bool DecodeXfExt(std::string_view body, BiffXfExt &ext)
{
    BodyReader reader(body);
    reader.Bytes(kFrtHeaderSize + 2);
    ext.xf = reader.U16();
    reader.U16();
    const std::uint16_t count = reader.U16();
    ext.props.clear();
    for (std::uint16_t i = 0; i < count && reader.Ok(); ++i) {
        XfExtProp prop;
        prop.type = reader.U16();
        const std::uint16_t size = reader.U16();
        prop.data = std::string(reader.Bytes(size >= 4 ? size - 4u : 0));
        if (size < 4)
            return false;
        ext.props.push_back(std::move(prop));
    }
    return reader.Ok();
}

std::string EncodeXfExt(const BiffXfExt &ext)
{
    std::string body;
    AppendFrtHeader(body, biff::kXfExt);
    AppendU16(body, 0);
    AppendU16(body, ext.xf);
    AppendU16(body, 0);
    AppendU16(body, std::uint16_t(ext.props.size()));
    for (const XfExtProp &prop : ext.props) {
        AppendU16(body, prop.type);
        AppendU16(body, std::uint16_t(prop.data.size() + 4));
        body += prop.data;
    }
    return body;
}

bool DecodeFullColour(const std::string &data, FullColour &colour)
{
    BodyReader reader(data);
    colour.kind = reader.U16();
    colour.tint = std::int16_t(reader.U16());
    const std::uint32_t value = reader.U32();
    colour.value = colour.kind == FullColour::kRgb
                       ? (value & 0xff) << 16 | (value & 0xff00) | (value >> 16 & 0xff)
                       : value;
    return reader.Ok();
}

std::string EncodeFullColour(const FullColour &colour)
{
    std::string data;
    AppendU16(data, colour.kind);
    AppendU16(data, std::uint16_t(colour.tint));
    const std::uint32_t rgb = colour.value;
    AppendU32(data, colour.kind == FullColour::kRgb
                        ? (rgb >> 16 & 0xff) | (rgb & 0xff00) | (rgb & 0xff) << 16 | 0xff000000u
                        : colour.value);
    data.append(kFullColourSize - 8, '\0');
    return data;
}

std::string EncodeXfCrc(std::uint16_t xfCount, std::string_view xfBodies)
{
    std::string body;
    AppendFrtHeader(body, biff::kXfCrc);
    AppendU16(body, 0);
    AppendU16(body, xfCount);
    AppendU32(body, OfficeCrc(xfBodies));
    return body;
}

} // namespace engine

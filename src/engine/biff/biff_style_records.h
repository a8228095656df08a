#pragma once
// The bodies of the BIFF8 records that make the globals' format tables
// ([MS-XLS] 2.4): FONT, FORMAT, XF, STYLE, PALETTE, XFEXT and XFCRC, read
// into fields and written back. Decoding is false for a body too short for
// its fields.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine
{

namespace biff
{
constexpr std::uint16_t kFont = 0x0031;
constexpr std::uint16_t kFormat = 0x041e;
constexpr std::uint16_t kXf = 0x00e0;
constexpr std::uint16_t kStyle = 0x0293;
constexpr std::uint16_t kPalette = 0x0092;
constexpr std::uint16_t kXfExt = 0x087d;
constexpr std::uint16_t kXfCrc = 0x087c;
} // namespace biff

// Colour indexes with a meaning of their own rather than a palette entry.
constexpr std::uint16_t kIcvWindowText = 0x40; // system foreground
constexpr std::uint16_t kIcvWindowBack = 0x41; // system background
constexpr std::uint16_t kIcvFontAutomatic = 0x7fff;

struct BiffFont {
    enum Flag : std::uint16_t {
        kBold = 0x01, // unused by Excel 97 and later, but what older readers go by
        kItalic = 0x02,
        kStrike = 0x08,
        kOutline = 0x10,
        kShadow = 0x20,
        kCondense = 0x40,
        kExtend = 0x80
    };
    std::uint16_t height = 200; // twips
    std::uint16_t flags = 0;
    std::uint16_t colour = kIcvFontAutomatic;
    std::uint16_t weight = 400;
    std::uint16_t script = 0; // 1 superscript, 2 subscript
    std::uint8_t underline = 0;
    std::uint8_t family = 0;
    std::uint8_t charset = 0;
    std::string name; // UTF-8
};

// The four line sides and the diagonal of a cell's border.
enum BorderSide { kLeft, kRight, kTop, kBottom, kDiagonal, kBorderSideCount };

struct BiffXf {
    // fAtr* bits: for a cell format, whether it sets the attribute itself;
    // for a style format, whether its cells ignore it.
    enum Used : std::uint8_t {
        kUsesNumber = 0x01,
        kUsesFont = 0x02,
        kUsesAlignment = 0x04,
        kUsesBorder = 0x08,
        kUsesFill = 0x10,
        kUsesProtection = 0x20
    };
    std::uint16_t font = 0;
    std::uint16_t format = 0;
    bool locked = true;
    bool hidden = false;
    bool isStyle = false;
    bool quotePrefix = false;
    std::uint16_t parent = 0; // 0xfff for a style format
    std::uint8_t horizontal = 0;
    bool wrap = false;
    std::uint8_t vertical = 2; // bottom
    bool justifyLast = false;
    std::uint8_t rotation = 0;
    std::uint8_t indent = 0;
    bool shrink = false;
    std::uint8_t readingOrder = 0;
    std::uint8_t used = 0;
    std::array<std::uint8_t, kBorderSideCount> lines{};
    std::array<std::uint8_t, kBorderSideCount> lineColours{};
    bool diagonalDown = false;
    bool diagonalUp = false;
    bool hasExt = false;
    std::uint8_t pattern = 0;
    std::uint8_t patternFore = kIcvWindowText;
    std::uint8_t patternBack = kIcvWindowBack;
    bool pivotButton = false;
};

struct BiffStyle {
    std::uint16_t xf = 0;
    bool builtIn = false;
    std::uint8_t builtInId = 0;
    std::uint8_t level = 0;
    std::string name; // user-defined styles only, UTF-8
};

// FullColorExt: a colour as a palette index, an RGB or a theme colour.
struct FullColour {
    enum Kind : std::uint16_t { kAuto = 0, kIndexed = 1, kRgb = 2, kTheme = 3, kUnset = 4 };
    std::uint16_t kind = kUnset;
    std::int16_t tint = 0;   // of 32767
    std::uint32_t value = 0; // RGB as 0xRRGGBB
};

// ExtProp types of XFEXT.
enum XfExtType : std::uint16_t {
    kExtFillFore = 0x04,
    kExtFillBack = 0x05,
    kExtBorderTop = 0x07,
    kExtBorderBottom = 0x08,
    kExtBorderLeft = 0x09,
    kExtBorderRight = 0x0a,
    kExtBorderDiagonal = 0x0b,
    kExtFontColour = 0x0d,
    kExtFontScheme = 0x0e,
    kExtIndent = 0x0f
};

struct XfExtProp {
    std::uint16_t type = 0;
    std::string data; // after its type and size
};

struct BiffXfExt {
    std::uint16_t xf = 0;
    std::vector<XfExtProp> props;
};

bool DecodeFont(std::string_view body, BiffFont &font);
std::string EncodeFont(const BiffFont &font);

bool DecodeFormat(std::string_view body, std::uint16_t &id, std::string &code);
std::string EncodeFormat(std::uint16_t id, const std::string &code);

bool DecodeXf(std::string_view body, BiffXf &xf);
std::string EncodeXf(const BiffXf &xf);

bool DecodeStyle(std::string_view body, BiffStyle &style);
std::string EncodeUserStyle(std::uint16_t xf, const std::string &name);

// The 56 colours of palette indexes 8..63, as 0xRRGGBB.
bool DecodePalette(std::string_view body, std::vector<std::uint32_t> &colours);

bool DecodeXfExt(std::string_view body, BiffXfExt &ext);
std::string EncodeXfExt(const BiffXfExt &ext);
bool DecodeFullColour(const std::string &data, FullColour &colour);
std::string EncodeFullColour(const FullColour &colour);

// XFCRC for `xfCount` XF records whose bodies, joined, are `xfBodies`.
std::string EncodeXfCrc(std::uint16_t xfCount, std::string_view xfBodies);

} // namespace engine

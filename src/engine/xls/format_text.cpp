#include "xls/format_text.h"

#include "xml/xml_fragment.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace engine
{

namespace
{

// ST_PatternType by BIFF fill pattern number.
const char *const kPatterns[] = {
    "none",           "solid",           "mediumGray",    "darkGray",  "lightGray",
    "darkHorizontal", "darkVertical",    "darkDown",      "darkUp",    "darkGrid",
    "darkTrellis",    "lightHorizontal", "lightVertical", "lightDown", "lightUp",
    "lightGrid",      "lightTrellis",    "gray125",       "gray0625"};
// ST_BorderStyle by BIFF line style number.
const char *const kLines[] = {"none",
                              "thin",
                              "medium",
                              "dashed",
                              "dotted",
                              "thick",
                              "double",
                              "hair",
                              "mediumDashed",
                              "dashDot",
                              "mediumDashDot",
                              "dashDotDot",
                              "mediumDashDotDot",
                              "slantDashDot"};
const char *const kHorizontal[] = {"general", "left",    "center",           "right",
                                   "fill",    "justify", "centerContinuous", "distributed"};
const char *const kVertical[] = {"top", "center", "bottom", "justify", "distributed"};
// Border elements in CT_Border order, with their BIFF side and XFEXT type.
struct SideName {
    const char *name;
    BorderSide side;
    XfExtType ext;
};
const SideName kSides[] = {{"left", kLeft, kExtBorderLeft},
                           {"right", kRight, kExtBorderRight},
                           {"top", kTop, kExtBorderTop},
                           {"bottom", kBottom, kExtBorderBottom},
                           {"diagonal", kDiagonal, kExtBorderDiagonal}};

template <std::size_t N> int IndexOf(const char *const (&names)[N], const char *name, int missing)
{
    for (std::size_t i = 0; i < N; ++i)
        if (std::strcmp(names[i], name) == 0)
            return int(i);
    return missing;
}

std::string Hex(std::uint32_t rgb)
{
    char text[9];
    std::snprintf(text, sizeof text, "FF%06X", unsigned(rgb & 0xffffff));
    return text;
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

// The colour attributes of `element` for an index and its full colour.
void SetColour(pugi::xml_node element, const Palette &palette, std::uint16_t icv,
               const FullColour *full)
{
    std::uint32_t rgb = 0;
    if (full && full->kind == FullColour::kRgb) {
        element.append_attribute("rgb") = Hex(full->value).c_str();
    } else if (full && full->kind == FullColour::kTheme) {
        element.append_attribute("theme") = full->value;
        if (full->tint != 0)
            element.append_attribute("tint") = Number(full->tint / 32767.0).c_str();
    } else if (full && full->kind == FullColour::kAuto) {
        element.append_attribute("auto") = 1;
    } else if (IndexRgb(palette,
                        full && full->kind == FullColour::kIndexed ? std::uint16_t(full->value)
                                                                   : icv,
                        rgb)) {
        element.append_attribute("rgb") = Hex(rgb).c_str();
    } else if (icv == kIcvFontAutomatic) {
        element.append_attribute("auto") = 1;
    } else {
        element.append_attribute("indexed") = icv;
    }
}

void AppendValue(pugi::xml_node parent, const char *name, const std::string &value)
{
    parent.append_child(name).append_attribute("val") = value.c_str();
}

// True for `<b/>`, `<b val="1"/>`, false for `<b val="0"/>` or no element.
bool Flag(const pugi::xml_node &parent, const char *name)
{
    const pugi::xml_node element = parent.child(name);
    return element && (!element.attribute("val") || IsTrue(element.attribute("val")));
}

pugi::xml_node ParsedRoot(pugi::xml_document &document, const std::string &text)
{
    document.load_buffer(text.data(), text.size());
    return document.document_element();
}

void AddColourProp(std::vector<XfExtProp> &ext, XfExtType type, const FullColour &colour)
{
    ext.push_back({type, EncodeFullColour(colour)});
}

// The palette index a colour element gets, `automatic` for none or "auto";
// the exact colour goes to `ext` when the index does not hold it.
std::uint16_t IndexFor(const pugi::xml_node &colour, const Palette &palette,
                       std::uint16_t automatic, XfExtType type, std::vector<XfExtProp> &ext)
{
    if (!colour || IsTrue(colour.attribute("auto")))
        return automatic;
    FullColour full;
    std::uint32_t rgb = 0;
    if (const pugi::xml_attribute indexed = colour.attribute("indexed")) {
        const unsigned index = indexed.as_uint();
        // SpreadsheetML's indexed colours are the default palette's.
        if (!IndexRgb(DefaultPalette(), std::uint16_t(index), rgb))
            return std::uint16_t(index);
        if (IndexRgb(palette, std::uint16_t(index), full.value) && full.value == rgb)
            return std::uint16_t(index);
        full = {FullColour::kRgb, 0, rgb};
    } else if (const pugi::xml_attribute theme = colour.attribute("theme")) {
        const double tint = colour.attribute("tint").as_double();
        rgb = ThemeRgb(theme.as_uint(), tint);
        full = {FullColour::kTheme, std::int16_t(std::lround(std::clamp(tint, -1.0, 1.0) * 32767)),
                theme.as_uint()};
    } else if (const pugi::xml_attribute argb = colour.attribute("rgb")) {
        rgb = std::uint32_t(std::strtoul(argb.value(), nullptr, 16) & 0xffffff);
        full = {FullColour::kRgb, 0, rgb};
    } else {
        return automatic;
    }
    const std::uint8_t nearest = NearestIndex(palette, rgb);
    std::uint32_t held = 0;
    IndexRgb(palette, nearest, held);
    if (full.kind == FullColour::kTheme || held != rgb)
        AddColourProp(ext, type, full);
    return nearest;
}

} // namespace

const FullColour *XfExtView::Colour(XfExtType type) const
{
    for (const auto &[kind, colour] : colours)
        if (kind == type && colour.kind != FullColour::kUnset)
            return &colour;
    return nullptr;
}

XfExtView ViewOf(const BiffXfExt *ext)
{
    XfExtView view;
    if (!ext)
        return view;
    for (const XfExtProp &prop : ext->props) {
        FullColour colour;
        if (prop.type == kExtFontScheme && !prop.data.empty())
            view.fontScheme = static_cast<unsigned char>(prop.data[0]);
        else if (prop.type == kExtIndent && prop.data.size() >= 2)
            view.indent = static_cast<unsigned char>(prop.data[0]) |
                          static_cast<unsigned char>(prop.data[1]) << 8;
        else if (prop.type != kExtFontScheme && prop.type != kExtIndent &&
                 DecodeFullColour(prop.data, colour))
            view.colours.emplace_back(XfExtType(prop.type), colour);
    }
    return view;
}

// CT_Font, children in the order Excel writes them.
std::string FontText(const BiffFont &font, const Palette &palette, const XfExtView &ext)
{
    pugi::xml_document document;
    pugi::xml_node element = document.append_child("font");
    const std::pair<bool, const char *> flags[] = {
        {font.weight >= 600, "b"},
        {bool(font.flags & BiffFont::kItalic), "i"},
        {bool(font.flags & BiffFont::kStrike), "strike"},
        {bool(font.flags & BiffFont::kOutline), "outline"},
        {bool(font.flags & BiffFont::kShadow), "shadow"},
        {bool(font.flags & BiffFont::kCondense), "condense"},
        {bool(font.flags & BiffFont::kExtend), "extend"}};
    for (const auto &[set, name] : flags)
        if (set)
            element.append_child(name);
    if (font.underline == 2)
        AppendValue(element, "u", "double");
    else if (font.underline == 0x21)
        AppendValue(element, "u", "singleAccounting");
    else if (font.underline == 0x22)
        AppendValue(element, "u", "doubleAccounting");
    else if (font.underline != 0)
        element.append_child("u");
    if (font.script == 1 || font.script == 2)
        AppendValue(element, "vertAlign", font.script == 1 ? "superscript" : "subscript");
    AppendValue(element, "sz", Number(font.height / 20.0));
    const FullColour *colour = ext.Colour(kExtFontColour);
    if (colour || font.colour != kIcvFontAutomatic)
        SetColour(element.append_child("color"), palette, font.colour, colour);
    AppendValue(element, "name", font.name);
    if (font.family != 0)
        AppendValue(element, "family", std::to_string(font.family));
    if (font.charset != 0)
        AppendValue(element, "charset", std::to_string(font.charset));
    if (ext.fontScheme == 1 || ext.fontScheme == 2)
        AppendValue(element, "scheme", ext.fontScheme == 1 ? "major" : "minor");
    return NormalisedFragment(element, "");
}

std::string FillText(const BiffXf &xf, const Palette &palette, const XfExtView &ext)
{
    pugi::xml_document document;
    pugi::xml_node fill = document.append_child("fill");
    pugi::xml_node pattern = fill.append_child("patternFill");
    const int kind = xf.pattern < std::size(kPatterns) ? xf.pattern : 1;
    pattern.append_attribute("patternType") = kPatterns[kind];
    if (kind != 0) {
        SetColour(pattern.append_child("fgColor"), palette, xf.patternFore,
                  ext.Colour(kExtFillFore));
        SetColour(pattern.append_child("bgColor"), palette, xf.patternBack,
                  ext.Colour(kExtFillBack));
    }
    return NormalisedFragment(fill, "");
}

std::string BorderText(const BiffXf &xf, const Palette &palette, const XfExtView &ext)
{
    pugi::xml_document document;
    pugi::xml_node border = document.append_child("border");
    if (xf.diagonalDown)
        border.append_attribute("diagonalDown") = 1;
    if (xf.diagonalUp)
        border.append_attribute("diagonalUp") = 1;
    for (const SideName &side : kSides) {
        pugi::xml_node element = border.append_child(side.name);
        const int line = xf.lines[side.side];
        if (line == 0)
            continue;
        element.append_attribute("style") = kLines[line < int(std::size(kLines)) ? line : 1];
        SetColour(element.append_child("color"), palette, xf.lineColours[side.side],
                  ext.Colour(side.ext));
    }
    return NormalisedFragment(border, "");
}

std::string XfText(const BiffXf &xf, const XfExtView &ext)
{
    pugi::xml_document document;
    pugi::xml_node element = document.append_child("xf");
    // A style format's bits say what its cells ignore.
    const std::uint8_t applies = xf.isStyle ? std::uint8_t(~xf.used & 0x3f) : xf.used;
    const std::pair<std::uint8_t, const char *> applied[] = {
        {BiffXf::kUsesNumber, "applyNumberFormat"}, {BiffXf::kUsesFont, "applyFont"},
        {BiffXf::kUsesAlignment, "applyAlignment"}, {BiffXf::kUsesBorder, "applyBorder"},
        {BiffXf::kUsesFill, "applyFill"},           {BiffXf::kUsesProtection, "applyProtection"}};
    for (const auto &[bit, name] : applied)
        if (applies & bit)
            element.append_attribute(name) = 1;
    if (xf.quotePrefix)
        element.append_attribute("quotePrefix") = 1;
    pugi::xml_node alignment = element.append_child("alignment");
    if (xf.horizontal != 0)
        alignment.append_attribute("horizontal") = kHorizontal[xf.horizontal];
    if (xf.vertical != 2 && xf.vertical < std::size(kVertical))
        alignment.append_attribute("vertical") = kVertical[xf.vertical];
    if (xf.rotation != 0)
        alignment.append_attribute("textRotation") = xf.rotation;
    if (xf.wrap)
        alignment.append_attribute("wrapText") = 1;
    const int indent = ext.indent > 15 ? ext.indent : xf.indent;
    if (indent != 0)
        alignment.append_attribute("indent") = indent;
    if (xf.shrink)
        alignment.append_attribute("shrinkToFit") = 1;
    if (xf.readingOrder != 0)
        alignment.append_attribute("readingOrder") = xf.readingOrder;
    if (xf.justifyLast)
        alignment.append_attribute("justifyLastLine") = 1;
    if (!alignment.first_attribute())
        element.remove_child(alignment);
    if (!xf.locked || xf.hidden) {
        pugi::xml_node protection = element.append_child("protection");
        if (xf.hidden)
            protection.append_attribute("hidden") = 1;
        if (!xf.locked)
            protection.append_attribute("locked") = 0;
    }
    return NormalisedFragment(element, "");
}

void FontFromText(const std::string &text, const Palette &palette, BiffFont &font,
                  std::vector<XfExtProp> &ext)
{
    pugi::xml_document document;
    const pugi::xml_node element = ParsedRoot(document, text);
    font.weight = Flag(element, "b") ? 700 : 400;
    const std::pair<BiffFont::Flag, const char *> flags[] = {
        {BiffFont::kItalic, "i"},          {BiffFont::kStrike, "strike"},
        {BiffFont::kOutline, "outline"},   {BiffFont::kShadow, "shadow"},
        {BiffFont::kCondense, "condense"}, {BiffFont::kExtend, "extend"}};
    font.flags = font.weight == 700 ? BiffFont::kBold : 0;
    for (const auto &[bit, name] : flags)
        if (Flag(element, name))
            font.flags = std::uint16_t(font.flags | bit);
    if (const pugi::xml_node underline = element.child("u")) {
        const std::string kind = underline.attribute("val").as_string("single");
        font.underline = kind == "double"             ? 2
                         : kind == "singleAccounting" ? 0x21
                         : kind == "doubleAccounting" ? 0x22
                         : kind == "none"             ? 0
                                                      : 1;
    }
    const std::string script = element.child("vertAlign").attribute("val").value();
    font.script = script == "superscript" ? 1 : script == "subscript" ? 2 : 0;
    const double points = element.child("sz").attribute("val").as_double(11);
    font.height = std::uint16_t(std::clamp(std::lround(points * 20), 20L, 8191L));
    font.colour = IndexFor(element.child("color"), palette, kIcvFontAutomatic, kExtFontColour, ext);
    font.name = element.child("name").attribute("val").as_string("Arial");
    font.family = std::uint8_t(element.child("family").attribute("val").as_uint());
    font.charset = std::uint8_t(element.child("charset").attribute("val").as_uint());
    const std::string scheme = element.child("scheme").attribute("val").value();
    if (scheme == "major" || scheme == "minor")
        ext.push_back({kExtFontScheme, std::string(1, scheme == "major" ? '\1' : '\2')});
}

void FillFromText(const std::string &text, const Palette &palette, BiffXf &xf,
                  std::vector<XfExtProp> &ext)
{
    pugi::xml_document document;
    const pugi::xml_node fill = ParsedRoot(document, text);
    pugi::xml_node pattern = fill.child("patternFill");
    pugi::xml_node fore = pattern.child("fgColor"), back = pattern.child("bgColor");
    xf.pattern = std::uint8_t(IndexOf(kPatterns, pattern.attribute("patternType").value(), 0));
    // BIFF has no gradients: the first stop's colour, solid, comes closest.
    if (const pugi::xml_node gradient = fill.child("gradientFill")) {
        xf.pattern = 1;
        fore = gradient.child("stop").child("color");
        back = {};
    }
    xf.patternFore = std::uint8_t(IndexFor(fore, palette, kIcvWindowText, kExtFillFore, ext));
    xf.patternBack = std::uint8_t(IndexFor(back, palette, kIcvWindowBack, kExtFillBack, ext));
}

void BorderFromText(const std::string &text, const Palette &palette, BiffXf &xf,
                    std::vector<XfExtProp> &ext)
{
    pugi::xml_document document;
    const pugi::xml_node border = ParsedRoot(document, text);
    xf.diagonalDown = IsTrue(border.attribute("diagonalDown"));
    xf.diagonalUp = IsTrue(border.attribute("diagonalUp"));
    for (const SideName &side : kSides) {
        pugi::xml_node element = border.child(side.name);
        if (!element && side.side == kLeft)
            element = border.child("start");
        if (!element && side.side == kRight)
            element = border.child("end");
        xf.lines[side.side] = std::uint8_t(IndexOf(kLines, element.attribute("style").value(), 0));
        xf.lineColours[side.side] = xf.lines[side.side] == 0
                                        ? 0
                                        : std::uint8_t(IndexFor(element.child("color"), palette,
                                                                kIcvWindowText, side.ext, ext));
    }
}

void XfFromText(const std::string &text, BiffXf &xf, std::vector<XfExtProp> &ext)
{
    pugi::xml_document document;
    const pugi::xml_node element = ParsedRoot(document, text);
    const std::pair<std::uint8_t, const char *> applied[] = {
        {BiffXf::kUsesNumber, "applyNumberFormat"}, {BiffXf::kUsesFont, "applyFont"},
        {BiffXf::kUsesAlignment, "applyAlignment"}, {BiffXf::kUsesBorder, "applyBorder"},
        {BiffXf::kUsesFill, "applyFill"},           {BiffXf::kUsesProtection, "applyProtection"}};
    std::uint8_t applies = 0;
    for (const auto &[bit, name] : applied)
        if (IsTrue(element.attribute(name)))
            applies = std::uint8_t(applies | bit);
    xf.used = xf.isStyle ? std::uint8_t(~applies & 0x3f) : applies;
    xf.quotePrefix = IsTrue(element.attribute("quotePrefix"));
    const pugi::xml_node alignment = element.child("alignment");
    xf.horizontal =
        std::uint8_t(IndexOf(kHorizontal, alignment.attribute("horizontal").value(), 0));
    xf.vertical = std::uint8_t(IndexOf(kVertical, alignment.attribute("vertical").value(), 2));
    const unsigned rotation = alignment.attribute("textRotation").as_uint();
    xf.rotation = std::uint8_t(rotation <= 180 || rotation == 255 ? rotation : 0);
    xf.wrap = IsTrue(alignment.attribute("wrapText"));
    const unsigned indent = alignment.attribute("indent").as_uint();
    xf.indent = std::uint8_t(std::min(indent, 15u));
    if (indent > 15)
        ext.push_back({kExtIndent, {char(indent & 0xff), char(indent >> 8 & 0xff)}});
    xf.shrink = IsTrue(alignment.attribute("shrinkToFit"));
    xf.readingOrder = std::uint8_t(std::min(alignment.attribute("readingOrder").as_uint(), 2u));
    xf.justifyLast = IsTrue(alignment.attribute("justifyLastLine"));
    const pugi::xml_node protection = element.child("protection");
    xf.locked = !protection.attribute("locked") || IsTrue(protection.attribute("locked"));
    xf.hidden = IsTrue(protection.attribute("hidden"));
}

} // namespace engine

#pragma once
// BIFF8 format records said as the normalised SpreadsheetML elements a
// StyleValue holds (font, fill, border, xf), and back. Colours become RGB or
// theme colours on the way out; on the way in they become the nearest
// palette index, with the exact colour kept as an XFEXT property.

#include "biff/biff_colours.h"
#include "biff/biff_style_records.h"

#include <array>
#include <string>
#include <vector>

namespace engine
{

// The XFEXT properties of one XF by type, null where it has none.
struct XfExtView {
    const FullColour *Colour(XfExtType type) const;
    std::vector<std::pair<XfExtType, FullColour>> colours;
    int fontScheme = 0; // 1 major, 2 minor
    int indent = -1;    // beyond what the XF can hold
};

XfExtView ViewOf(const BiffXfExt *ext);

std::string FontText(const BiffFont &font, const Palette &palette, const XfExtView &ext);
std::string FillText(const BiffXf &xf, const Palette &palette, const XfExtView &ext);
std::string BorderText(const BiffXf &xf, const Palette &palette, const XfExtView &ext);
// The xf element without ids: which parts it applies, alignment, protection.
std::string XfText(const BiffXf &xf, const XfExtView &ext);

// The reverse: each fills its fields of `xf` or `font` and adds the XFEXT
// properties that hold what the palette cannot. Text that is not the
// element keeps the defaults.
void FontFromText(const std::string &text, const Palette &palette, BiffFont &font,
                  std::vector<XfExtProp> &ext);
void FillFromText(const std::string &text, const Palette &palette, BiffXf &xf,
                  std::vector<XfExtProp> &ext);
void BorderFromText(const std::string &text, const Palette &palette, BiffXf &xf,
                    std::vector<XfExtProp> &ext);
void XfFromText(const std::string &text, BiffXf &xf, std::vector<XfExtProp> &ext);

} // namespace engine

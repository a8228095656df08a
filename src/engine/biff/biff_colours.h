#pragma once
// Colours of a BIFF8 workbook: indexes into its palette (PALETTE, else the
// default one), with full colours (RGB or theme) beside them in XFEXT for
// readers that know them. Theme colours are those of the default Office
// theme, since the file's own theme lives in a drawing part we do not read.

#include <array>
#include <cstdint>
#include <vector>

namespace engine
{

using Palette = std::array<std::uint32_t, 56>; // indexes 8..63, as 0xRRGGBB

const Palette &DefaultPalette();
// The workbook's palette from a PALETTE record's colours; a short record
// leaves the rest at their defaults.
Palette PaletteFrom(const std::vector<std::uint32_t> &colours);

// The RGB of a colour index below 64, false for the system colours above.
bool IndexRgb(const Palette &palette, std::uint16_t icv, std::uint32_t &rgb);
// The palette index (8..63) whose colour is closest to `rgb`, the first
// exact one when there is one.
std::uint8_t NearestIndex(const Palette &palette, std::uint32_t rgb);
// A colour of the default theme (SpreadsheetML's numbering, where 0 is the
// light background and 1 the dark text) lightened or darkened by `tint`.
std::uint32_t ThemeRgb(unsigned themeIndex, double tint);

} // namespace engine

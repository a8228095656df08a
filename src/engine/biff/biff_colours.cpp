#include "biff/biff_colours.h"

#include <algorithm>
#include <cmath>

namespace engine
{

namespace
{

// Indexes 0..7 are fixed; 8..63 are what the palette says.
constexpr std::uint32_t kFixedColours[8] = {0x000000, 0xffffff, 0xff0000, 0x00ff00,
                                            0x0000ff, 0xffff00, 0xff00ff, 0x00ffff};

// lt1, dk1, lt2, dk2, accent1..6, hlink, folHlink of the default theme.
constexpr std::uint32_t kThemeColours[12] = {0xffffff, 0x000000, 0xeeece1, 0x1f497d,
                                             0x4f81bd, 0xc0504d, 0x9bbb59, 0x8064a2,
                                             0x4bacc6, 0xf79646, 0x0000ff, 0x800080};

struct Hsl {
    double h, s, l;
};

Hsl ToHsl(std::uint32_t rgb)
{
    const double r = (rgb >> 16 & 0xff) / 255.0, g = (rgb >> 8 & 0xff) / 255.0,
                 b = (rgb & 0xff) / 255.0;
    const double high = std::max({r, g, b}), low = std::min({r, g, b});
    Hsl hsl{0, 0, (high + low) / 2};
    const double range = high - low;
    if (range == 0)
        return hsl;
    hsl.s = hsl.l < 0.5 ? range / (high + low) : range / (2 - high - low);
    if (high == r)
        hsl.h = std::fmod((g - b) / range + 6, 6);
    else if (high == g)
        hsl.h = (b - r) / range + 2;
    else
        hsl.h = (r - g) / range + 4;
    hsl.h /= 6;
    return hsl;
}

double HueChannel(double p, double q, double t)
{
    t = t < 0 ? t + 1 : t > 1 ? t - 1 : t;
    if (t < 1.0 / 6)
        return p + (q - p) * 6 * t;
    if (t < 0.5)
        return q;
    if (t < 2.0 / 3)
        return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

std::uint32_t FromHsl(const Hsl &hsl)
{
    double r = hsl.l, g = hsl.l, b = hsl.l;
    if (hsl.s > 0) {
        const double q = hsl.l < 0.5 ? hsl.l * (1 + hsl.s) : hsl.l + hsl.s - hsl.l * hsl.s;
        const double p = 2 * hsl.l - q;
        r = HueChannel(p, q, hsl.h + 1.0 / 3);
        g = HueChannel(p, q, hsl.h);
        b = HueChannel(p, q, hsl.h - 1.0 / 3);
    }
    auto channel = [](double value) {
        return std::uint32_t(std::lround(std::clamp(value, 0.0, 1.0) * 255));
    };
    return channel(r) << 16 | channel(g) << 8 | channel(b);
}

int Distance(std::uint32_t a, std::uint32_t b)
{
    int sum = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int delta = int(a >> shift & 0xff) - int(b >> shift & 0xff);
        sum += delta * delta;
    }
    return sum;
}

} // namespace

const Palette &DefaultPalette()
{
    static const Palette palette = {
        0x000000, 0xffffff, 0xff0000, 0x00ff00, 0x0000ff, 0xffff00, 0xff00ff, 0x00ffff,
        0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xc0c0c0, 0x808080,
        0x9999ff, 0x993366, 0xffffcc, 0xccffff, 0x660066, 0xff8080, 0x0066cc, 0xccccff,
        0x000080, 0xff00ff, 0xffff00, 0x00ffff, 0x800080, 0x800000, 0x008080, 0x0000ff,
        0x00ccff, 0xccffff, 0xccffcc, 0xffff99, 0x99ccff, 0xff99cc, 0xcc99ff, 0xffcc99,
        0x3366ff, 0x33cccc, 0x99cc00, 0xffcc00, 0xff9900, 0xff6600, 0x666699, 0x969696,
        0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};
    return palette;
}

Palette PaletteFrom(const std::vector<std::uint32_t> &colours)
{
    Palette palette = DefaultPalette();
    std::copy_n(colours.begin(), std::min(colours.size(), palette.size()), palette.begin());
    return palette;
}

bool IndexRgb(const Palette &palette, std::uint16_t icv, std::uint32_t &rgb)
{
    if (icv >= 64)
        return false;
    rgb = icv < 8 ? kFixedColours[icv] : palette[icv - 8u];
    return true;
}

std::uint8_t NearestIndex(const Palette &palette, std::uint32_t rgb)
{
    std::size_t best = 0;
    for (std::size_t i = 1; i < palette.size(); ++i)
        if (Distance(palette[i], rgb) < Distance(palette[best], rgb))
            best = i;
    return std::uint8_t(best + 8);
}

std::uint32_t ThemeRgb(unsigned themeIndex, double tint)
{
    const std::uint32_t base = kThemeColours[themeIndex % 12];
    if (tint == 0)
        return base;
    Hsl hsl = ToHsl(base);
    hsl.l = tint < 0 ? hsl.l * (1 + tint) : hsl.l * (1 - tint) + tint;
    return FromHsl(hsl);
}

} // namespace engine

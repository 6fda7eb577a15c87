#include "map/map_colours.h"

#include <cmath>
#include <iterator>

namespace zeb::map {
namespace {

constexpr std::string_view kTeamColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e",
                                             "#17becf", "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22"};

constexpr char kHexDigits[] = "0123456789abcdef";

// HSL to RGB, each from 0 to 1.
std::string fromHsl(double hue, double saturation, double lightness) {
    const double chroma = (1 - std::fabs(2 * lightness - 1)) * saturation;
    const double sector = hue * 6;
    const double second = chroma * (1 - std::fabs(std::fmod(sector, 2.0) - 1));
    double r = 0, g = 0, b = 0;
    switch (static_cast<int>(sector) % 6) {
    case 0: r = chroma, g = second; break;
    case 1: r = second, g = chroma; break;
    case 2: g = chroma, b = second; break;
    case 3: g = second, b = chroma; break;
    case 4: r = second, b = chroma; break;
    default: r = chroma, b = second; break;
    }
    const double m = lightness - chroma / 2;
    std::string text = "#";
    for (const double part : {r + m, g + m, b + m}) {
        const long byte = std::lround(std::fmin(1.0, std::fmax(0.0, part)) * 255);
        text += kHexDigits[byte / 16];
        text += kHexDigits[byte % 16];
    }
    return text;
}

}  // namespace

std::string teamColour(std::size_t index) {
    if (index < std::size(kTeamColours)) return std::string(kTeamColours[index]);
    constexpr double kGoldenTurn = 0.381966011250105;
    const double hue = std::fmod(static_cast<double>(index) * kGoldenTurn, 1.0);
    // Two lightnesses in turn, so that hues that come round close differ.
    return fromHsl(hue, 0.7, index % 2 == 0 ? 0.42 : 0.55);
}

AreaLook areaLook(AreaStyles style) {
    if (style.has(AreaStyle::Open)) return {"open", "#cfe8c2", "#5f9a4c"};
    if (style.has(AreaStyle::Closed)) return {"closed", "#d8d2c8", "#7a6f62"};
    if (style.has(AreaStyle::Roof)) return {"roof", "#f3d2ae", "#b0733a"};
    return {"no style", "#e6e6e6", "#8f8f8f"};
}

}  // namespace zeb::map

#pragma once

// The colours of the picture: one per team, told apart for as many teams as
// a mission has, and one fill and outline per area style.

#include <cstddef>
#include <string>
#include <string_view>

#include "model/records.h"

namespace zeb::map {

// "#rrggbb". The first ten are a fixed set that reads well side by side;
// past them the hue turns by the golden angle, so neighbours stay apart.
std::string teamColour(std::size_t index);

struct AreaLook {
    std::string_view name;  // the style's word, for the legend
    std::string_view fill;
    std::string_view outline;
};

// Open, closed and roof; an area with no style (a record built by hand)
// has a look of its own.
AreaLook areaLook(AreaStyles style);
// The three the language has, in the legend's order.
inline constexpr AreaStyle kAreaStyles[] = {AreaStyle::Open, AreaStyle::Closed, AreaStyle::Roof};

}  // namespace zeb::map

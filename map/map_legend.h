#pragma once

// What the picture's symbols mean, beside the map, and the scale under it.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "map/map_frame.h"
#include "map/svg_writer.h"

namespace zeb::map {

struct LegendTeam {
    std::string_view name;
    std::string colour;
    bool hasRoute = false;
};

struct LegendContent {
    std::vector<LegendTeam> teams;  // as many as the legend lists
    std::size_t teamsNotListed = 0;
    std::size_t labelsLeftOut = 0;
};

inline constexpr double kLegendWidth = 210;
// Past this many teams the legend says how many more there are.
inline constexpr std::size_t kMostLegendTeams = 20;

double legendHeight(const LegendContent& content);
void drawLegend(SvgWriter& svg, const LegendContent& content, Point topLeft);

// A bar of a round length in map units under the frame's left corner, and
// the directions of x and y under its right one.
void drawScaleBar(SvgWriter& svg, const MapFrame& frame);
inline constexpr double kScaleBand = 52;

}  // namespace zeb::map

#pragma once

// A team's route in its colour: legs as arrows (dashed inside `on` blocks),
// patrols as thinner looped arrows, and a ring where a route begins.

#include <string_view>

#include "map/map_frame.h"
#include "map/svg_writer.h"
#include "map/team_routes.h"

namespace zeb::map {

struct RouteStyle {
    std::string_view colour;
    // Pixels to the right of each leg's direction: teams that take the
    // same leg are drawn beside one another, and a leg there and back is
    // two arrows, not one line.
    double shift = 0;
};

// The ring around a route's first location, in pixels.
inline constexpr double kStartRingRadius = 5.5;

// The shift of the n-th team: a little to the right for the first, more
// for the next ones, round again after four.
double routeShift(std::size_t n);

void drawRoute(SvgWriter& svg, std::string_view teamName, const TeamRoute& route, const MapFrame& frame,
               const RouteStyle& style);

// The line of a leg's kind, alone: for the legend.
void drawLegSample(SvgWriter& svg, Point from, Point to, bool contingent, bool patrol, std::string_view colour);

}  // namespace zeb::map

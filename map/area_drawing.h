#pragma once

// The areas as shapes on the ground, and the marks their lists put on
// locations.

#include "map/map_frame.h"
#include "map/map_places.h"
#include "map/svg_writer.h"

namespace zeb::map {

// Each area as the convex hull of its locations (a thick line for two
// spots, a disc for one), filled by its style, with its radius as a circle
// around its centre.
void drawAreas(SvgWriter& svg, const MapPlaces& places, const MapFrame& frame);

// Entrances, exits and windows: a triangle, a square and a diamond around
// the location, so that a location that is all three shows all three.
void drawMarks(SvgWriter& svg, const MapPlaces& places, const MapFrame& frame);

// One mark's symbol centred on a point, as drawMarks draws it: for the
// legend.
void drawMark(SvgWriter& svg, LocationMark mark, Point at);
void appendMarkPath(PathData& path, LocationMark mark, Point at);
// How far a mark reaches from its point.
inline constexpr double kMarkReach = 7;

}  // namespace zeb::map

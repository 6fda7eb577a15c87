#pragma once

// The names on the ground: each area's at its centre, then each location's
// beside its point, every one where no other name, point or mark is. A
// name with no free spot near its point is left out; the point still names
// itself on hover.

#include <cstddef>
#include <string_view>
#include <vector>

#include "map/label_placement.h"
#include "map/map_frame.h"
#include "map/map_places.h"
#include "map/svg_writer.h"

namespace zeb::map {

struct PlacedLabel {
    std::string_view text;
    LabelSpot spot;
    Point from;  // the point a leader starts at
    bool area = false;
};

struct MapLabels {
    std::vector<PlacedLabel> placed;
    std::size_t leftOut = 0;
};

inline constexpr double kLocationFontSize = 11;
inline constexpr double kAreaFontSize = 12;
inline constexpr double kPointRadius = 3;
// Labels are cut to this many characters; the tooltips keep the whole name.
inline constexpr std::size_t kLongestLabel = 32;

// `ringed`: the map points where a route's start ring is drawn, which a
// name keeps clear of too.
MapLabels placeLabels(const MapPlaces& places, const MapFrame& frame, const std::vector<Point>& ringed = {});
void drawLabels(SvgWriter& svg, const MapLabels& labels);

}  // namespace zeb::map

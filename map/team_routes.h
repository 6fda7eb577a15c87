#pragma once

// A team's way over the map, read from its plan: the locations its
// statements name, in the order the plan names them, joined by legs; the
// legs of statements inside `on` blocks are contingent, leaving from where
// the team is when the block is reached, and the plan goes on from there
// afterwards; a patrol is a loop through its areas' centres (every area's,
// for a patrol without a list). A leg the plan takes twice is kept once.

#include <vector>

#include "map/map_geometry.h"
#include "map/map_places.h"

namespace zeb::map {

struct Leg {
    Point from;
    Point to;
    bool contingent = false;  // inside an `on` block
};

struct TeamRoute {
    std::vector<Leg> moves;    // between locations, in plan order
    std::vector<Leg> patrols;  // between area centres, each loop closed
    // Where a line of legs begins: the first location the plan names, and
    // that of an `on` block reached before any.
    std::vector<Point> starts;
    bool empty() const { return moves.empty() && patrols.empty() && starts.empty(); }
};

TeamRoute routeOf(const Team& team, const MapPlaces& places);

}  // namespace zeb::map

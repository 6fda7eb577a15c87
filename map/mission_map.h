#pragma once

// The picture of a mission's map, top-down over x and y: the areas, the
// locations with their names, every team's route in its own colour, a
// legend and a scale. One self-contained SVG document, for `zeb map` and the
// language server alike.

#include <string>
#include <vector>

#include "model/mission.h"

namespace zeb::map {

struct MapOptions {
    // The teams whose routes are drawn; every team when empty. A name that
    // is no team's draws nothing.
    std::vector<std::string> teams;
};

// The mission must be free of errors: a record a failed parse left half
// built may name what it never declared, which is then left out.
std::string drawMissionMap(const Mission& mission, const MapOptions& options = {});

}  // namespace zeb::map

#include "map/map_places.h"

#include <algorithm>
#include <cstdlib>

namespace zeb::map {

MapPlaces::MapPlaces(const Mission& mission) : mission_(mission), marks_(mission.locations.size(), 0) {
    for (const Location& location : mission.locations) bounds_.add(pointOf(location));
    const auto mark = [&](const std::vector<Text>& labels, LocationMark bit) {
        for (const Text label : labels) {
            const Location* found = mission.findLocation(label);
            if (found != nullptr) marks_[static_cast<std::size_t>(found - mission.locations.data())] |= bit;
        }
    };
    areas_.reserve(mission.areas.size());
    areaIndex_.reserve(mission.areas.size());
    for (const auto& area : mission.areas) {
        AreaPlace place;
        place.points.reserve(area->locations.size());
        for (const Text label : area->locations) {
            if (const std::optional<Point> p = location(label)) place.points.push_back(*p);
        }
        place.centre = meanOf(place.points);
        if (!place.points.empty() &&
            std::all_of(place.points.begin(), place.points.end(), [&](Point p) { return p == place.points[0]; })) {
            mark(area->locations, kAreaSpot);
        }
        mark(area->entrances, kEntrance);
        mark(area->exits, kExit);
        mark(area->windows, kWindow);
        // A negative radius is drawn by its size.
        if (area->radius != 0 && !place.points.empty()) bounds_.add(place.centre, std::abs(area->radius));
        areaIndex_.emplace(area.get(), areas_.size());
        areas_.push_back(std::move(place));
    }
}

std::optional<Point> MapPlaces::location(std::string_view label) const {
    const Location* found = mission_.findLocation(label);
    if (found == nullptr) return std::nullopt;
    return pointOf(*found);
}

std::optional<Point> MapPlaces::areaCentre(std::string_view label) const {
    const Area* found = mission_.findArea(label);
    if (found == nullptr) return std::nullopt;
    const auto at = areaIndex_.find(found);
    if (at == areaIndex_.end() || areas_[at->second].points.empty()) return std::nullopt;
    return areas_[at->second].centre;
}

}  // namespace zeb::map

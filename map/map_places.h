#pragma once

// Where the mission's labels stand on the map, in its own units: each
// location's point and each area's locations and centre, found once and
// shared by everything drawn.

#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "map/map_geometry.h"
#include "model/mission.h"

namespace zeb::map {

// What the areas make of a location, one bit each: the three marks, and
// whether an area of one spot is drawn there.
enum LocationMark : std::uint8_t { kEntrance = 1, kExit = 2, kWindow = 4, kAreaSpot = 8 };

inline Point pointOf(const Location& location) {
    return {location.position.x, location.position.y};
}

class MapPlaces {
public:
    explicit MapPlaces(const Mission& mission);

    const Mission& mission() const { return mission_; }
    // The declared location of the label, as the compiler finds it; none
    // for a label that is not one.
    std::optional<Point> location(std::string_view label) const;
    // Every point of the area's locations list, in its order.
    const std::vector<Point>& areaPoints(std::size_t area) const { return areas_[area].points; }
    Point areaCentre(std::size_t area) const { return areas_[area].centre; }
    std::optional<Point> areaCentre(std::string_view label) const;
    // The marks of mission.locations[location], from every area's lists.
    std::uint8_t marks(std::size_t location) const { return marks_[location]; }
    // Everything that must be in the picture: the locations and the areas'
    // radius circles.
    const Bounds& bounds() const { return bounds_; }

private:
    struct AreaPlace {
        std::vector<Point> points;
        Point centre;
    };
    const Mission& mission_;
    std::vector<AreaPlace> areas_;  // as mission.areas
    std::unordered_map<const Area*, std::size_t> areaIndex_;
    std::vector<std::uint8_t> marks_;  // as mission.locations
    Bounds bounds_;
};

}  // namespace zeb::map

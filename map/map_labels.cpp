#include "map/map_labels.h"

#include <algorithm>

#include "map/area_drawing.h"
#include "map/route_drawing.h"

namespace zeb::map {
namespace {

Box around(Point p, double reach) {
    return {p.x - reach, p.y - reach, p.x + reach, p.y + reach};
}

// Where the leader meets the label: the point of its box nearest the
// label's own point.
Point nearestOnBox(const Box& box, Point p) {
    return {std::clamp(p.x, box.left, box.right), std::clamp(p.y, box.top, box.bottom)};
}

void drawText(SvgWriter& svg, const PlacedLabel& label) {
    svg.open("text").attr("x", label.spot.at.x).attr("y", label.spot.at.y);
    if (label.spot.anchor == Anchor::Middle) svg.attr("text-anchor", "middle");
    if (label.spot.anchor == Anchor::End) svg.attr("text-anchor", "end");
    svg.endWithText("text", label.text, kLongestLabel);
}

}  // namespace

MapLabels placeLabels(const MapPlaces& places, const MapFrame& frame, const std::vector<Point>& ringed) {
    const Mission& mission = places.mission();
    OccupancyGrid grid(frame.frame());
    std::vector<Point> rings = ringed;
    const auto before = [](Point a, Point b) { return a.x < b.x || (a.x == b.x && a.y < b.y); };
    std::sort(rings.begin(), rings.end(), before);
    // How far what is drawn at a location reaches: its point, and maybe
    // marks, an area's disc or a start ring.
    const auto reachOf = [&](std::size_t location) {
        double reach = places.marks(location) != 0 ? kMarkReach + 1 : kPointRadius + 1;
        if (std::binary_search(rings.begin(), rings.end(), pointOf(mission.locations[location]), before)) {
            reach = std::max(reach, kStartRingRadius + 2);
        }
        return reach;
    };
    // The points and marks first: no name covers them.
    for (std::size_t i = 0; i < mission.locations.size(); ++i) {
        grid.take(around(frame.at(pointOf(mission.locations[i])), reachOf(i)));
    }
    MapLabels labels;
    for (std::size_t i = 0; i < mission.areas.size(); ++i) {
        if (places.areaPoints(i).empty()) continue;
        const std::string_view text = mission.areas[i]->label;
        const Point centre = frame.at(places.areaCentre(i));
        const double width = textWidth(text.substr(0, shownLength(text, kLongestLabel)), kAreaFontSize);
        const std::optional<LabelSpot> spot = grid.placeFirstFree(spotsCentredOn(centre, width, kAreaFontSize));
        if (!spot) {
            ++labels.leftOut;
            continue;
        }
        labels.placed.push_back(PlacedLabel{text, *spot, centre, true});
    }
    for (std::size_t i = 0; i < mission.locations.size(); ++i) {
        const std::string_view text = mission.locations[i].label;
        const Point p = frame.at(pointOf(mission.locations[i]));
        const double width = textWidth(text.substr(0, shownLength(text, kLongestLabel)), kLocationFontSize);
        const std::optional<LabelSpot> spot =
            grid.placeFirstFree(spotsAroundPoint(p, reachOf(i), width, kLocationFontSize));
        if (!spot) {
            ++labels.leftOut;
            continue;
        }
        labels.placed.push_back(PlacedLabel{text, *spot, p, false});
    }
    return labels;
}

void drawLabels(SvgWriter& svg, const MapLabels& labels) {
    PathData leaders;
    for (const PlacedLabel& label : labels.placed) {
        if (!label.spot.leader) continue;
        leaders.moveTo(label.from);
        leaders.lineTo(nearestOnBox(label.spot.box, label.from));
    }
    if (!leaders.empty()) {
        svg.open("path").attr("class", "leaders").attr("d", leaders.text()).attr("fill", "none");
        svg.attr("stroke", "#777").attr("stroke-width", "0.7").endEmpty();
    }
    // A white halo under each name keeps it readable over lines and fills.
    svg.open("g")
        .attr("class", "labels")
        .attr("stroke", "#fff")
        .attr("stroke-width", "3")
        .attr("stroke-linejoin", "round");
    svg.attr("paint-order", "stroke").endStart();
    svg.raw("\n");
    for (const bool area : {true, false}) {
        svg.open("g").attr("class", area ? "area-labels" : "location-labels");
        svg.attr("font-size", area ? kAreaFontSize : kLocationFontSize);
        if (area) svg.attr("font-style", "italic").attr("fill", "#3b3b3b");
        if (!area) svg.attr("fill", "#1a1a1a");
        svg.endStart();
        svg.raw("\n");
        for (const PlacedLabel& label : labels.placed) {
            if (label.area == area) drawText(svg, label);
        }
        svg.close("g");
    }
    svg.close("g");
}

}  // namespace zeb::map

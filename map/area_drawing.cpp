#include "map/area_drawing.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "map/map_colours.h"

namespace zeb::map {
namespace {

constexpr double kOnePointRadius = 7;
constexpr double kTwoPointWidth = 7;

std::string areaTitle(const Area& area, const AreaLook& look) {
    std::string title = std::string(area.label) + " (" + std::string(look.name) + ")";
    if (area.radius != 0) title += ", radius " + std::to_string(std::abs(area.radius));
    return title;
}

void drawShape(SvgWriter& svg, const std::vector<Point>& hull, const MapFrame& frame, const AreaLook& look) {
    if (hull.size() == 1) {
        const Point p = frame.at(hull[0]);
        svg.open("circle").attr("cx", p.x).attr("cy", p.y).attr("r", kOnePointRadius).attr("fill", look.fill);
        svg.attr("stroke", look.outline).endEmpty();
        return;
    }
    if (hull.size() == 2) {
        const Point a = frame.at(hull[0]);
        const Point b = frame.at(hull[1]);
        svg.open("line").attr("x1", a.x).attr("y1", a.y).attr("x2", b.x).attr("y2", b.y);
        svg.attr("stroke", look.outline).attr("stroke-width", kTwoPointWidth).attr("stroke-opacity", "0.45");
        svg.attr("stroke-linecap", "round").endEmpty();
        return;
    }
    std::string points;
    for (const Point corner : hull) {
        const Point p = frame.at(corner);
        if (!points.empty()) points += ' ';
        appendNumber(points, p.x);
        points += ',';
        appendNumber(points, p.y);
    }
    svg.open("polygon").attr("points", points).attr("fill", look.fill).attr("stroke", look.outline).endEmpty();
}

}  // namespace

void drawAreas(SvgWriter& svg, const MapPlaces& places, const MapFrame& frame) {
    const auto& areas = places.mission().areas;
    svg.open("g").attr("class", "areas").attr("fill-opacity", "0.6").attr("stroke-width", "1.5").endStart();
    svg.raw("\n");
    for (std::size_t i = 0; i < areas.size(); ++i) {
        const std::vector<Point>& points = places.areaPoints(i);
        if (points.empty()) continue;
        const Area& area = *areas[i];
        const AreaLook look = areaLook(area.style);
        svg.open("g").attr("class", "area").endStart();
        svg.title(areaTitle(area, look));
        drawShape(svg, convexHull(points), frame, look);
        if (area.radius != 0) {
            const Point centre = frame.at(places.areaCentre(i));
            svg.open("circle").attr("class", "radius").attr("cx", centre.x).attr("cy", centre.y);
            svg.attr("r", frame.pixels(std::abs(area.radius))).attr("fill", "none").attr("stroke", look.outline);
            svg.attr("stroke-dasharray", "1 3").endEmpty();
        }
        svg.close("g");
    }
    svg.close("g");
}

void appendMarkPath(PathData& path, LocationMark mark, Point at) {
    const double r = kMarkReach;
    switch (mark) {
    case kEntrance:
        path.moveTo({at.x, at.y - r});
        path.lineTo({at.x + r * 0.87, at.y + r * 0.5});
        path.lineTo({at.x - r * 0.87, at.y + r * 0.5});
        break;
    case kExit:
        path.moveTo({at.x - r * 0.7, at.y - r * 0.7});
        path.lineTo({at.x + r * 0.7, at.y - r * 0.7});
        path.lineTo({at.x + r * 0.7, at.y + r * 0.7});
        path.lineTo({at.x - r * 0.7, at.y + r * 0.7});
        break;
    case kWindow:
        path.moveTo({at.x, at.y - r});
        path.lineTo({at.x + r, at.y});
        path.lineTo({at.x, at.y + r});
        path.lineTo({at.x - r, at.y});
        break;
    case kAreaSpot: return;
    }
    path.close();
}

namespace {

struct MarkKind {
    LocationMark mark;
    const char* name;
    const char* colour;
};

constexpr MarkKind kMarkKinds[] = {
    {kEntrance, "entrances", "#2e7d32"}, {kExit, "exits", "#c62828"}, {kWindow, "windows", "#1565c0"}};

void drawMarkPath(SvgWriter& svg, const MarkKind& kind, const PathData& path) {
    svg.open("path").attr("class", kind.name).attr("d", path.text()).attr("fill", "none");
    svg.attr("stroke", kind.colour).attr("stroke-width", "1.6").endEmpty();
}

}  // namespace

void drawMark(SvgWriter& svg, LocationMark mark, Point at) {
    for (const MarkKind& kind : kMarkKinds) {
        if (kind.mark != mark) continue;
        PathData path;
        appendMarkPath(path, mark, at);
        drawMarkPath(svg, kind, path);
    }
}

void drawMarks(SvgWriter& svg, const MapPlaces& places, const MapFrame& frame) {
    const auto& locations = places.mission().locations;
    for (const MarkKind& kind : kMarkKinds) {
        PathData path;
        for (std::size_t i = 0; i < locations.size(); ++i) {
            if ((places.marks(i) & kind.mark) != 0) appendMarkPath(path, kind.mark, frame.at(pointOf(locations[i])));
        }
        if (!path.empty()) drawMarkPath(svg, kind, path);
    }
}

}  // namespace zeb::map

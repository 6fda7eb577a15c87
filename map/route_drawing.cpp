#include "map/route_drawing.h"

#include <cmath>
#include <string>

namespace zeb::map {
namespace {

constexpr double kMoveWidth = 2.2;
constexpr double kPatrolWidth = 1.3;
constexpr const char* kDashes = "7 4";
// Legs end short of their points, so that the head is not hidden under
// the point and two legs meeting there stay apart.
constexpr double kEndGap = 5;

struct HeadSize {
    double length;
    double halfWidth;
};
constexpr HeadSize kMoveHead{9, 3.8};
constexpr HeadSize kPatrolHead{7, 3};

// Lines into one path, heads into another.
void addLeg(PathData& lines, PathData& heads, Point from, Point to, double shift, HeadSize head) {
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    const double length = std::hypot(dx, dy);
    if (!(length > 2 * kEndGap + 1)) return;
    const Point along{dx / length, dy / length};
    const Point right{-along.y, along.x};
    const Point start{from.x + along.x * kEndGap + right.x * shift, from.y + along.y * kEndGap + right.y * shift};
    const Point tip{to.x - along.x * kEndGap + right.x * shift, to.y - along.y * kEndGap + right.y * shift};
    lines.moveTo(start);
    // A leg too short for its head is a line alone.
    if (length - 2 * kEndGap < 2 * head.length) {
        lines.lineTo(tip);
        return;
    }
    const Point base{tip.x - along.x * head.length, tip.y - along.y * head.length};
    lines.lineTo(base);
    heads.moveTo(tip);
    heads.lineTo({base.x + right.x * head.halfWidth, base.y + right.y * head.halfWidth});
    heads.lineTo({base.x - right.x * head.halfWidth, base.y - right.y * head.halfWidth});
    heads.close();
}

void drawLines(SvgWriter& svg, const PathData& lines, double width, bool dashed) {
    if (lines.empty()) return;
    svg.open("path").attr("d", lines.text()).attr("fill", "none").attr("stroke-width", width);
    if (dashed) svg.attr("stroke-dasharray", kDashes);
    svg.endEmpty();
}

}  // namespace

double routeShift(std::size_t n) {
    constexpr double kShifts[] = {2, 4.5, 7, 9.5};
    return kShifts[n % 4];
}

void drawRoute(SvgWriter& svg, std::string_view teamName, const TeamRoute& route, const MapFrame& frame,
               const RouteStyle& style) {
    PathData heads;
    PathData lines[2][2];  // [patrol][contingent]
    for (const bool patrol : {false, true}) {
        for (const Leg& leg : patrol ? route.patrols : route.moves) {
            addLeg(lines[patrol][leg.contingent], heads, frame.at(leg.from), frame.at(leg.to), style.shift,
                   patrol ? kPatrolHead : kMoveHead);
        }
    }
    svg.open("g").attr("class", "route").attr("stroke", style.colour).attr("fill", style.colour);
    svg.attr("stroke-linecap", "round").endStart();
    svg.title("team " + std::string(teamName));
    svg.raw("\n");
    drawLines(svg, lines[0][0], kMoveWidth, false);
    drawLines(svg, lines[0][1], kMoveWidth, true);
    drawLines(svg, lines[1][0], kPatrolWidth, false);
    drawLines(svg, lines[1][1], kPatrolWidth, true);
    if (!heads.empty()) svg.open("path").attr("d", heads.text()).attr("stroke", "none").endEmpty();
    for (const Point start : route.starts) {
        const Point p = frame.at(start);
        svg.open("circle").attr("cx", p.x).attr("cy", p.y).attr("r", kStartRingRadius).attr("fill", "none");
        svg.attr("stroke-width", "1.8").endEmpty();
    }
    svg.close("g");
}

void drawLegSample(SvgWriter& svg, Point from, Point to, bool contingent, bool patrol, std::string_view colour) {
    PathData lines;
    PathData heads;
    // The sample's ends are its own: no gap to leave for points.
    const double dx = to.x - from.x;
    const double length = std::fabs(dx);
    const double direction = dx < 0 ? -1 : 1;
    addLeg(lines, heads, {from.x - direction * kEndGap, from.y}, {from.x + direction * (length + kEndGap), to.y}, 0,
           patrol ? kPatrolHead : kMoveHead);
    svg.open("g").attr("stroke", colour).attr("fill", colour).endStart();
    drawLines(svg, lines, patrol ? kPatrolWidth : kMoveWidth, contingent);
    if (!heads.empty()) svg.open("path").attr("d", heads.text()).attr("stroke", "none").endEmpty();
    svg.close("g");
}

}  // namespace zeb::map

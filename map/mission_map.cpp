#include "map/mission_map.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "map/area_drawing.h"
#include "map/label_placement.h"
#include "map/map_colours.h"
#include "map/map_frame.h"
#include "map/map_labels.h"
#include "map/map_legend.h"
#include "map/map_places.h"
#include "map/route_drawing.h"
#include "map/svg_writer.h"
#include "map/team_routes.h"
#include "output/kind_names.h"

namespace zeb::map {
namespace {

constexpr double kMargin = 20;
constexpr double kTitleBand = 70;
constexpr double kLegendGap = 24;
constexpr Point kLargestDrawing{800, 640};
constexpr double kTitleFontSize = 18;

struct DrawnTeam {
    const Team* team;
    std::size_t index;  // in mission.teams: its colour, whatever is drawn beside it
    TeamRoute route;
};

std::vector<DrawnTeam> drawnTeams(const Mission& mission, const MapOptions& options, const MapPlaces& places) {
    std::vector<DrawnTeam> drawn;
    for (std::size_t i = 0; i < mission.teams.size(); ++i) {
        const Team* team = mission.teams[i];
        if (!options.teams.empty() &&
            std::find(options.teams.begin(), options.teams.end(), team->name) == options.teams.end()) {
            continue;
        }
        drawn.push_back(DrawnTeam{team, i, routeOf(*team, places)});
    }
    return drawn;
}

std::string shortest(float value) {
    char text[32];
    const auto done = std::to_chars(text, text + sizeof text, value);
    return std::string(text, done.ptr);
}

std::string styleWords(MapStyles styles) {
    std::string words;
    for (const auto& entry : mapStyleWords()) {
        if (!styles.has(entry.flag)) continue;
        if (!words.empty()) words += ", ";
        words += entry.word;
    }
    return words;
}

std::string counted(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// The mission's and the map's names, as the document's title and its heading.
void writeTitleText(SvgWriter& svg, const Mission& mission) {
    svg.text(mission.missionName.value_or(""));
    svg.raw(" &#8212; ");
    svg.text(mission.mapName.value_or(""));
}

void drawHeading(SvgWriter& svg, const Mission& mission, std::size_t teams) {
    svg.open("text").attr("class", "title").attr("x", kMargin).attr("y", 34).attr("font-size", kTitleFontSize);
    svg.attr("font-weight", "bold").attr("fill", "#111").endStart();
    writeTitleText(svg, mission);
    svg.close("text");
    std::string about = styleWords(mission.mapStyle);
    if (!about.empty()) about += "; ";
    about += counted(mission.locations.size(), "location", "locations") + ", " +
             counted(mission.areas.size(), "area", "areas") + "; routes of " + counted(teams, "team", "teams");
    svg.open("text").attr("x", kMargin).attr("y", 56).attr("font-size", 12).attr("fill", "#555");
    svg.endWithText("text", about, 120);
}

void drawLocations(SvgWriter& svg, const Mission& mission, const MapFrame& frame) {
    svg.open("g").attr("class", "locations").attr("fill", "#1a1a1a").attr("stroke", "#fff");
    svg.attr("stroke-width", "0.8").endStart();
    svg.raw("\n");
    for (const Location& location : mission.locations) {
        const Point p = frame.at(pointOf(location));
        svg.open("circle").attr("cx", p.x).attr("cy", p.y).attr("r", kPointRadius).endStart();
        const Position& at = location.position;
        svg.title(std::string(location.label) + ": x " + shortest(at.x) + ", y " + shortest(at.y) + ", height " +
                  shortest(at.z));
        svg.close("circle");
    }
    svg.close("g");
}

LegendContent legendOf(const std::vector<DrawnTeam>& teams, const MapLabels& labels) {
    LegendContent legend;
    for (const DrawnTeam& drawn : teams) {
        if (legend.teams.size() == kMostLegendTeams) {
            ++legend.teamsNotListed;
            continue;
        }
        legend.teams.push_back(LegendTeam{drawn.team->name, teamColour(drawn.index), !drawn.route.empty()});
    }
    legend.labelsLeftOut = labels.leftOut;
    return legend;
}

// The picture's width and height: the frame and the legend side by side,
// the scale under the frame, and room for the title, bold and large.
Point pictureSize(const Mission& mission, const MapFrame& frame, const LegendContent& legend) {
    const Box& box = frame.frame();
    const double title = shownLength(mission.missionName.value_or(""), SvgWriter::kLongestText) +
                         shownLength(mission.mapName.value_or(""), SvgWriter::kLongestText) + 3;
    const double titleWidth = 1.35 * textWidth(static_cast<std::size_t>(title), kTitleFontSize);
    return {std::max(box.right + kLegendGap + kLegendWidth, kMargin + titleWidth) + kMargin,
            std::max(box.bottom + kScaleBand, kTitleBand + legendHeight(legend)) + kMargin};
}

void openDocument(SvgWriter& svg, const Mission& mission, Point size) {
    svg.raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    svg.open("svg").attr("xmlns", "http://www.w3.org/2000/svg").attr("version", "1.1");
    svg.attr("width", size.x).attr("height", size.y);
    std::string viewBox = "0 0 ";
    appendNumber(viewBox, size.x);
    viewBox += ' ';
    appendNumber(viewBox, size.y);
    svg.attr("viewBox", viewBox).attr("font-family", "DejaVu Sans, Verdana, sans-serif").endStart();
    svg.raw("\n<title>");
    writeTitleText(svg, mission);
    svg.raw("</title>\n");
    svg.open("rect").attr("width", size.x).attr("height", size.y).attr("fill", "#fff").endEmpty();
}

// Everything inside the frame, in the order it is stacked: the ground, the
// areas, the routes, the marks and points, the names on top.
void drawGround(SvgWriter& svg, const MapPlaces& places, const MapFrame& frame, const std::vector<DrawnTeam>& teams,
                const MapLabels& labels) {
    const Box& box = frame.frame();
    svg.open("g").attr("class", "map").endStart();
    svg.raw("\n");
    svg.open("rect").attr("class", "ground").attr("x", box.left).attr("y", box.top).attr("width", box.width());
    svg.attr("height", box.height()).attr("fill", "#fbfbf8").attr("stroke", "#bbb").endEmpty();
    drawAreas(svg, places, frame);
    for (const DrawnTeam& drawn : teams) {
        drawRoute(svg, drawn.team->name, drawn.route, frame,
                  RouteStyle{teamColour(drawn.index), routeShift(drawn.index)});
    }
    drawMarks(svg, places, frame);
    drawLocations(svg, places.mission(), frame);
    drawLabels(svg, labels);
    svg.close("g");
}

}  // namespace

std::string drawMissionMap(const Mission& mission, const MapOptions& options) {
    const MapPlaces places(mission);
    const MapFrame frame(Projection(places.bounds(), kLargestDrawing), {kMargin, kTitleBand});
    const std::vector<DrawnTeam> teams = drawnTeams(mission, options, places);
    std::vector<Point> starts;
    for (const DrawnTeam& drawn : teams) {
        starts.insert(starts.end(), drawn.route.starts.begin(), drawn.route.starts.end());
    }
    const MapLabels labels = placeLabels(places, frame, starts);
    const LegendContent legend = legendOf(teams, labels);
    const Point size = pictureSize(mission, frame, legend);

    SvgWriter svg;
    openDocument(svg, mission, size);
    drawHeading(svg, mission, teams.size());
    drawGround(svg, places, frame, teams, labels);
    drawScaleBar(svg, frame);
    drawLegend(svg, legend, {frame.frame().right + kLegendGap, kTitleBand});
    svg.close("svg");
    return svg.take();
}

}  // namespace zeb::map

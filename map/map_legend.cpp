#include "map/map_legend.h"

#include <algorithm>

#include "map/area_drawing.h"
#include "map/map_colours.h"
#include "map/route_drawing.h"

namespace zeb::map {
namespace {

constexpr double kRow = 18;
constexpr double kPadding = 10;
constexpr double kHeadingRow = 22;
constexpr double kSampleWidth = 26;
constexpr double kTextAt = kPadding + kSampleWidth + 10;
// What a row's text may hold beside its sample; a longer one is cut.
constexpr std::size_t kRowText = 24;
constexpr const char* kSampleColour = "#555";

// Draws the legend's rows one under the other; also counts its height.
class Rows {
public:
    Rows(SvgWriter* svg, Point topLeft) : svg_(svg), left_(topLeft.x), y_(topLeft.y + kPadding) {}

    void heading(std::string_view text) {
        y_ += kHeadingRow;
        if (svg_ == nullptr) return;
        svg_->open("text").attr("x", left_ + kPadding).attr("y", y_ - 6).attr("font-weight", "bold");
        svg_->endWithText("text", text);
    }
    // A row's sample is drawn in the box from (left, middle - 6) to
    // (left + kSampleWidth, middle + 6).
    template <typename Sample>
    void row(std::string_view text, Sample sample) {
        const double middle = y_ + kRow / 2;
        y_ += kRow;
        if (svg_ == nullptr) return;
        sample(*svg_, left_ + kPadding, middle);
        svg_->open("text").attr("x", left_ + kTextAt).attr("y", middle + 4);
        svg_->endWithText("text", text, kRowText);
    }
    void note(std::string_view text) {
        y_ += kRow - 4;
        if (svg_ == nullptr) return;
        svg_->open("text").attr("x", left_ + kPadding).attr("y", y_ - 4).attr("fill", "#666");
        svg_->endWithText("text", text, kRowText + 6);
    }
    double bottom() const { return y_ + kPadding; }

private:
    SvgWriter* svg_;
    double left_;
    double y_;
};

void drawContent(Rows& rows, const LegendContent& content) {
    rows.heading("Areas");
    for (const AreaStyle style : kAreaStyles) {
        const AreaLook look = areaLook(style);
        rows.row(look.name, [&look](SvgWriter& svg, double left, double middle) {
            svg.open("rect").attr("x", left).attr("y", middle - 6).attr("width", kSampleWidth).attr("height", 12);
            svg.attr("fill", look.fill).attr("fill-opacity", "0.6").attr("stroke", look.outline).endEmpty();
        });
    }
    rows.row("radius", [](SvgWriter& svg, double left, double middle) {
        svg.open("circle").attr("cx", left + kSampleWidth / 2).attr("cy", middle).attr("r", 7).attr("fill", "none");
        svg.attr("stroke", kSampleColour).attr("stroke-dasharray", "1 3").endEmpty();
    });
    rows.heading("Locations");
    rows.row("location", [](SvgWriter& svg, double left, double middle) {
        svg.open("circle").attr("cx", left + kSampleWidth / 2).attr("cy", middle).attr("r", 3);
        svg.attr("fill", "#1a1a1a").endEmpty();
    });
    for (const auto& entry :
         {std::pair{kEntrance, "entrance"}, std::pair{kExit, "exit"}, std::pair{kWindow, "window"}}) {
        const LocationMark mark = entry.first;
        rows.row(entry.second, [mark](SvgWriter& svg, double left, double middle) {
            drawMark(svg, mark, {left + kSampleWidth / 2, middle});
        });
    }
    rows.heading("Routes");
    rows.row("move", [](SvgWriter& svg, double left, double middle) {
        drawLegSample(svg, {left, middle}, {left + kSampleWidth, middle}, false, false, kSampleColour);
    });
    rows.row("inside an on block", [](SvgWriter& svg, double left, double middle) {
        drawLegSample(svg, {left, middle}, {left + kSampleWidth, middle}, true, false, kSampleColour);
    });
    rows.row("patrol loop", [](SvgWriter& svg, double left, double middle) {
        drawLegSample(svg, {left, middle}, {left + kSampleWidth, middle}, false, true, kSampleColour);
    });
    rows.row("start", [](SvgWriter& svg, double left, double middle) {
        svg.open("circle").attr("cx", left + kSampleWidth / 2).attr("cy", middle).attr("r", 5.5);
        svg.attr("fill", "none").attr("stroke", kSampleColour).attr("stroke-width", "1.8").endEmpty();
    });
    rows.heading("Teams");
    if (content.teams.empty()) rows.note("no team");
    for (const LegendTeam& team : content.teams) {
        // A team with no route has its colour as an outline only.
        rows.row(team.name, [&team](SvgWriter& svg, double left, double middle) {
            svg.open("rect").attr("x", left).attr("y", middle - 2).attr("width", kSampleWidth).attr("height", 4);
            if (team.hasRoute) {
                svg.attr("fill", team.colour).endEmpty();
            } else {
                svg.attr("fill", "#fff").attr("stroke", team.colour).endEmpty();
            }
        });
    }
    if (content.teamsNotListed > 0) rows.note("and " + std::to_string(content.teamsNotListed) + " more");
    if (std::any_of(content.teams.begin(), content.teams.end(),
                    [](const LegendTeam& team) { return !team.hasRoute; })) {
        rows.note("outlined: no route");
    }
    if (content.labelsLeftOut > 0) {
        rows.heading("");
        rows.note(std::to_string(content.labelsLeftOut) + (content.labelsLeftOut == 1 ? " name" : " names") +
                  " left out where");
        rows.note("points crowd; each point");
        rows.note("names itself on hover");
    }
}

}  // namespace

double legendHeight(const LegendContent& content) {
    Rows rows(nullptr, {0, 0});
    drawContent(rows, content);
    return rows.bottom();
}

void drawLegend(SvgWriter& svg, const LegendContent& content, Point topLeft) {
    svg.open("g").attr("class", "legend").attr("font-size", 11).attr("fill", "#222").endStart();
    svg.raw("\n");
    svg.open("rect").attr("x", topLeft.x).attr("y", topLeft.y).attr("width", kLegendWidth);
    svg.attr("height", legendHeight(content)).attr("fill", "#fff").attr("stroke", "#bbb").endEmpty();
    Rows rows(&svg, topLeft);
    drawContent(rows, content);
    svg.close("g");
}

void drawScaleBar(SvgWriter& svg, const MapFrame& frame) {
    constexpr double kLongestBar = 160;
    const double units = roundLength(kLongestBar / frame.projection().pixelsPerUnit());
    const double length = frame.pixels(units);
    const double left = frame.frame().left;
    const double y = frame.frame().bottom + 26;
    svg.open("g").attr("class", "scale").attr("font-size", 11).attr("fill", "#222").endStart();
    PathData bar;
    bar.moveTo({left, y - 5});
    bar.lineTo({left, y});
    bar.lineTo({left + length, y});
    bar.lineTo({left + length, y - 5});
    svg.open("path").attr("d", bar.text()).attr("fill", "none").attr("stroke", "#222").attr("stroke-width", 1.5);
    svg.endEmpty();
    std::string text;
    appendNumber(text, units);
    text += units == 1 ? " unit" : " units";
    svg.open("text").attr("x", left + length + 8).attr("y", y + 4).endWithText("text", text);
    // x to the right, y up.
    const double right = frame.frame().right;
    PathData axes;
    axes.moveTo({right - 34, y - 18});
    axes.lineTo({right - 34, y});
    axes.lineTo({right - 16, y});
    PathData heads;
    heads.moveTo({right - 34, y - 22});
    heads.lineTo({right - 37, y - 15});
    heads.lineTo({right - 31, y - 15});
    heads.close();
    heads.moveTo({right - 12, y});
    heads.lineTo({right - 19, y - 3});
    heads.lineTo({right - 19, y + 3});
    heads.close();
    svg.open("path").attr("d", axes.text()).attr("fill", "none").attr("stroke", "#222").endEmpty();
    svg.open("path").attr("d", heads.text()).endEmpty();
    svg.open("text").attr("x", right - 44).attr("y", y - 12).endWithText("text", "y");
    svg.open("text").attr("x", right - 8).attr("y", y + 4).endWithText("text", "x");
    svg.close("g");
}

}  // namespace zeb::map

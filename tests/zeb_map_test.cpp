// zeb map: the command's statuses and streams through the real binary; the
// SVG it draws, read back by an XML parser and rendered by rsvg-convert, for
// every accepted mission of the tree; and the drawing's parts on their own:
// the hull, the projection at the edges of the coordinates, the labels of a
// crowd, the routes read from plans, the numbers and texts of the SVG.

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <tuple>
#include <unordered_set>
#include <utility>
#include <vector>

#include "analysis/analysis.h"
#include "frontend/source_reader.h"
#include "map/label_placement.h"
#include "map/map_frame.h"
#include "map/map_geometry.h"
#include "map/map_labels.h"
#include "map/map_places.h"
#include "map/map_projection.h"
#include "map/mission_map.h"
#include "map/svg_writer.h"
#include "map/team_routes.h"
#include "tests/run_support.h"

namespace zeb::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = fs::path(ZEB_SOURCE_DIR);

MissionAnalysis analysed(std::string text) {
    normaliseLineEnds(text);
    return analyzeMission(std::make_shared<const std::string>(std::move(text)));
}

// A parsed SVG document; null when the text is not well-formed XML.
class SvgDocument {
public:
    explicit SvgDocument(const std::string& text)
        : doc_(xmlReadMemory(text.data(), static_cast<int>(text.size()), "map.svg", nullptr,
                             XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING)) {}
    ~SvgDocument() { xmlFreeDoc(doc_); }
    SvgDocument(const SvgDocument&) = delete;
    SvgDocument& operator=(const SvgDocument&) = delete;

    bool wellFormed() const { return doc_ != nullptr; }
    xmlNode* root() const { return xmlDocGetRootElement(doc_); }

    // The text of the <title> of every element of the class, in order.
    std::vector<std::string> titlesOf(const std::string& cls) const {
        std::vector<std::string> titles;
        visit(root(), [&](xmlNode* node) {
            if (attribute(node, "class") != cls) return;
            for (xmlNode* child = node->children; child != nullptr; child = child->next) {
                if (child->type == XML_ELEMENT_NODE && name(child) == "title") titles.push_back(content(child));
            }
        });
        return titles;
    }

    static std::string name(xmlNode* node) { return reinterpret_cast<const char*>(node->name); }
    static std::string attribute(xmlNode* node, const char* attr) {
        xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(attr));
        if (value == nullptr) return {};
        std::string text = reinterpret_cast<const char*>(value);
        xmlFree(value);
        return text;
    }
    static std::string content(xmlNode* node) {
        xmlChar* value = xmlNodeGetContent(node);
        std::string text = value != nullptr ? reinterpret_cast<const char*>(value) : "";
        xmlFree(value);
        return text;
    }
    template <typename Visit>
    static void visit(xmlNode* node, const Visit& each) {
        for (; node != nullptr; node = node->next) {
            if (node->type != XML_ELEMENT_NODE) continue;
            each(node);
            visit(node->children, each);
        }
    }

private:
    xmlDoc* doc_;
};

// The renderer is a package of the test set-up; a run without it must fail,
// not pass unchecked.
RunResult render(const std::string& svgPath, const std::string& pngPath) {
    const std::string renderer = ZEB_RSVG_CONVERT;
    if (renderer.empty() || renderer.find("NOTFOUND") != std::string::npos) {
        ADD_FAILURE() << "rsvg-convert was not found when cmake ran (scripts/install-deps --tests, then cmake again)";
        return {};
    }
    RunOptions options;
    options.binary = renderer;
    return runBinary({svgPath, "--format=png", "-o", pngPath}, options);
}

std::vector<std::uint32_t> pixelsOf(const std::string& pngPath, std::size_t& width) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, pngPath.c_str()) == 0) return {};
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint32_t> pixels(PNG_IMAGE_SIZE(image) / 4);
    if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) return {};
    width = image.width;
    return pixels;
}

// ---- the command -------------------------------------------------------

struct CommandCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    bool drawn;           // an SVG on standard output
    const char* errHas;   // a piece of standard error
    const char* stdinOf;  // a file of the scratch folder as standard input
};

TEST(ZebMap, CommandStatusesAndStreams) {
    ScratchDir scratch;
    scratch.write("clean.mission", kClean);
    scratch.write("warned.mission", kWarning);
    scratch.write("failing.mission", kNameErrors);
    const std::vector<CommandCase> cases = {
        {"a clean file", {"map", "clean.mission"}, 0, true, "", nullptr},
        {"a warning", {"map", "warned.mission"}, 0, true, "warned.mission:1:85: warning:", nullptr},
        {"standard input", {"map", "-"}, 0, true, "", "clean.mission"},
        {"an error", {"map", "failing.mission"}, 1, false, "failing.mission:3:27: error:", nullptr},
        {"the team named first", {"map", "--team", "t", "clean.mission"}, 0, true, "", nullptr},
        {"no such team",
         {"map", "clean.mission", "--team", "t", "--team", "u"},
         2,
         false,
         "clean.mission: no team is named \"u\"",
         nullptr},
        {"no such file", {"map", "absent.mission"}, 2, false, "absent.mission: No such file or directory", nullptr},
        {"no file", {"map"}, 2, false, "path is required", nullptr},
        {"two files", {"map", "clean.mission", "warned.mission"}, 2, false, "", nullptr},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string in = c.stdinOf != nullptr ? (scratch.dir() / c.stdinOf).string() : "";
        const RunResult r = runZeb(c.args, scratch.dir().string(), in);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
        if (!c.drawn) {
            EXPECT_EQ(r.out, "");
            continue;
        }
        EXPECT_TRUE(SvgDocument(r.out).wellFormed());
        if (std::string(c.errHas).empty()) {
            EXPECT_EQ(r.err, "");
        }
    }
    // The diagnostics of a file with an error are zeb check's, to the byte.
    const RunResult checked = runZeb({"check", "failing.mission"}, scratch.dir().string());
    EXPECT_EQ(runZeb({"map", "failing.mission"}, scratch.dir().string()).err, checked.out);
}

TEST(ZebMap, OutputFileHoldsThePicture) {
    ScratchDir scratch;
    const std::string mission = (kSource / "examples" / "warehouse.mission").string();
    const std::string out = (scratch.dir() / "warehouse.svg").string();
    const RunResult printed = runZeb({"map", mission});
    const RunResult written = runZeb({"map", mission, "-o", out});
    EXPECT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(written.out, "");
    EXPECT_EQ(readFile(out), printed.out);
    // No picture, not even an empty file, for a mission with an error.
    const std::string failing = scratch.write("failing.mission", kNameErrors);
    const std::string none = (scratch.dir() / "none.svg").string();
    EXPECT_EQ(runZeb({"map", failing, "-o", none}).status, 1);
    EXPECT_FALSE(fs::exists(none));
    const RunResult unwritable = runZeb({"map", mission, "-o", (scratch.dir() / "no" / "such.svg").string()});
    EXPECT_EQ(unwritable.status, 2);
    EXPECT_NE(unwritable.err.find("such.svg: No such file or directory"), std::string::npos) << unwritable.err;
}

TEST(ZebMap, TeamOptionLimitsTheRoutes) {
    const std::string mission = (kSource / "examples" / "convoy_full.mission").string();
    const auto routes = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"map", mission});
        const RunResult r = runZeb(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return SvgDocument(r.out).titlesOf("route");
    };
    EXPECT_EQ(routes({}), (std::vector<std::string>{"team red", "team blue", "team escort"}));
    EXPECT_EQ(routes({"--team", "escort", "--team", "red"}), (std::vector<std::string>{"team red", "team escort"}));
}

// ---- every mission of the tree -----------------------------------------

std::vector<fs::path> acceptedMissions() {
    std::vector<fs::path> found;
    for (const fs::path& dir : {kSource / "examples", kSource / "tests" / "golden", kSource / "tests" / "map"}) {
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            if (entry.path().extension() != ".mission") continue;
            if (!analysed(readFile(entry.path().string())).hasError()) found.push_back(entry.path());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

TEST(ZebMap, EveryAcceptedMissionIsWellFormedAndRenders) {
    ScratchDir scratch;
    const std::vector<fs::path> missions = acceptedMissions();
    EXPECT_GE(missions.size(), 15u);
    for (const fs::path& mission : missions) {
        SCOPED_TRACE(mission.string());
        const MissionAnalysis analysis = analysed(readFile(mission.string()));
        const std::string svg = map::drawMissionMap(*analysis.mission);
        const SvgDocument document(svg);
        ASSERT_TRUE(document.wellFormed());
        EXPECT_EQ(SvgDocument::name(document.root()), "svg");
        // Every location is in the picture with its height in its tooltip.
        std::size_t points = 0;
        SvgDocument::visit(document.root(), [&](xmlNode* node) {
            if (SvgDocument::name(node) == "circle" && node->parent != nullptr &&
                SvgDocument::attribute(node->parent, "class") == "locations") {
                EXPECT_NE(SvgDocument::content(node).find(", height "), std::string::npos);
                ++points;
            }
        });
        EXPECT_EQ(points, analysis.mission->locations.size());
        const std::string svgPath = scratch.write(mission.stem().string() + ".svg", svg);
        const RunResult rendered = render(svgPath, (scratch.dir() / "out.png").string());
        EXPECT_EQ(rendered.status, 0) << rendered.err;
        EXPECT_EQ(rendered.err, "");
    }
}

TEST(ZebMap, ConvoyRendersToAPictureWithContent) {
    ScratchDir scratch;
    const std::string svg = (scratch.dir() / "convoy.svg").string();
    ASSERT_EQ(runZeb({"map", (kSource / "examples" / "convoy_full.mission").string(), "-o", svg}).status, 0);
    const std::string png = (scratch.dir() / "convoy.png").string();
    ASSERT_EQ(render(svg, png).status, 0);
    std::size_t width = 0;
    const std::vector<std::uint32_t> pixels = pixelsOf(png, width);
    ASSERT_FALSE(pixels.empty()) << "not a PNG: " << png;
    const std::unordered_set<std::uint32_t> colours(pixels.begin(), pixels.end());
    // The ground, the areas, three teams, the marks and the text at least.
    EXPECT_GE(colours.size(), 8u);
    const std::size_t white = static_cast<std::size_t>(std::count(pixels.begin(), pixels.end(), 0xffffffffu));
    EXPECT_LT(white, pixels.size() * 9 / 10);
}

// ---- the parts ---------------------------------------------------------

bool overlap(const map::Box& a, const map::Box& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool inside(map::Point p, const map::Box& box) {
    return p.x > box.left && p.x < box.right && p.y > box.top && p.y < box.bottom;
}

std::string crowdOnOneSpot(int count) {
    std::string text = "mission \"m\" { author \"a\"; description \"d\"; rules { }; map \"m\" {\n";
    for (int i = 0; i < count; ++i) text += "location spot" + std::to_string(i) + " = <3, 3, 0>;\n";
    text += "area heap { style = open; locations = spot0, spot1; entrances = spot0; } };\n";
    return text + "force \"f\" { team \"t\" { }; }; objectives { }; ; }\n";
}

TEST(MapLabels, NeverOverlapOneAnotherOrAPoint) {
    for (const std::string& text :
         {readFile((kSource / "tests" / "map" / "crowded.mission").string()), crowdOnOneSpot(3000)}) {
        const MissionAnalysis analysis = analysed(text);
        ASSERT_FALSE(analysis.hasError());
        const Mission& mission = *analysis.mission;
        const map::MapPlaces places(mission);
        const map::MapFrame frame(map::Projection(places.bounds(), {800, 640}), {0, 0});
        const map::MapLabels labels = map::placeLabels(places, frame);
        EXPECT_EQ(labels.placed.size() + labels.leftOut, mission.locations.size() + mission.areas.size());
        // A crowd still gets a column of names on either side, not one name.
        EXPECT_GE(labels.placed.size(), 12u);
        for (std::size_t i = 0; i < labels.placed.size(); ++i) {
            const map::Box& box = labels.placed[i].spot.box;
            EXPECT_TRUE(box.left >= frame.frame().left && box.right <= frame.frame().right &&
                        box.top >= frame.frame().top && box.bottom <= frame.frame().bottom);
            for (std::size_t j = 0; j < i; ++j) {
                EXPECT_FALSE(overlap(box, labels.placed[j].spot.box))
                    << labels.placed[i].text << " on " << labels.placed[j].text;
            }
            for (const Location& location : mission.locations) {
                EXPECT_FALSE(inside(frame.at(map::pointOf(location)), box))
                    << labels.placed[i].text << " over " << location.label;
            }
        }
    }
}

struct HullCase {
    const char* name;
    std::vector<map::Point> points;
    std::vector<map::Point> hull;
};

TEST(MapGeometry, ConvexHull) {
    const std::vector<HullCase> cases = {
        {"none", {}, {}},
        {"one spot, three times", {{4, 4}, {4, 4}, {4, 4}}, {{4, 4}}},
        {"two spots", {{5, 0}, {0, 0}, {5, 0}}, {{0, 0}, {5, 0}}},
        {"a line keeps its ends", {{0, 0}, {2, 2}, {1, 1}, {3, 3}}, {{0, 0}, {3, 3}}},
        {"a square around a point, sides with points on them",
         {{0, 0}, {2, 0}, {4, 0}, {4, 4}, {0, 4}, {2, 2}, {0, 2}},
         {{0, 0}, {4, 0}, {4, 4}, {0, 4}}},
        {"the coordinates' limits",
         {{-32768, -32768}, {32767, 32767}, {-32768, 32767}, {0, 0}},
         {{-32768, -32768}, {32767, 32767}, {-32768, 32767}}},
    };
    for (const HullCase& c : cases) EXPECT_EQ(map::convexHull(c.points), c.hull) << c.name;
}

struct ProjectionCase {
    const char* name;
    std::vector<map::Point> points;
};

TEST(MapProjection, FitsAnyCoordinatesWithYUp) {
    const std::vector<ProjectionCase> cases = {
        {"nothing", {}},
        {"one point", {{-5, 12}}},
        {"all on one spot", {{7, -7}, {7, -7}}},
        {"a row", {{-5000, 250}, {5000, 250}}},
        {"a column", {{0, -32768}, {0, 32767}}},
        {"the corners", {{-32768, -32768}, {32767, 32767}}},
        {"a radius past the corners", {{-65535, -65535}, {65534, 65534}}},
    };
    const map::Point largest{800, 640};
    for (const ProjectionCase& c : cases) {
        SCOPED_TRACE(c.name);
        map::Bounds bounds;
        for (const map::Point p : c.points) bounds.add(p);
        const map::Projection projection(bounds, largest);
        EXPECT_GE(projection.size().x, map::Projection::kLeastPixels);
        EXPECT_GE(projection.size().y, map::Projection::kLeastPixels);
        EXPECT_LE(projection.size().x, largest.x);
        EXPECT_LE(projection.size().y, largest.y);
        for (const map::Point p : c.points) {
            const map::Point at = projection.toPixels(p);
            constexpr double kRounding = 1e-6;
            EXPECT_TRUE(at.x >= -kRounding && at.x <= projection.size().x + kRounding && at.y >= -kRounding &&
                        at.y <= projection.size().y + kRounding)
                << p.x << "," << p.y << " at " << at.x << "," << at.y;
        }
        const map::Point centre = projection.toPixels(bounds.centre());
        const map::Point above = projection.toPixels({bounds.centre().x + 1, bounds.centre().y + 1});
        EXPECT_LT(above.y, centre.y);
        EXPECT_GT(above.x, centre.x);
        // One scale for both axes.
        EXPECT_NEAR(above.x - centre.x, centre.y - above.y, 1e-9);
    }
    for (const auto& [units, length] :
         std::vector<std::pair<double, double>>{{160, 100}, {99.9, 50}, {2.5, 2}, {1, 1}, {7e4, 5e4}, {0.3, 0.2}}) {
        EXPECT_DOUBLE_EQ(map::roundLength(units), length) << units;
    }
}

TEST(SvgWriter, NumbersAndTextsAreWellFormed) {
    for (const auto& [value, text] :
         std::vector<std::pair<double, std::string>>{{3, "3"},
                                                     {-2.5, "-2.5"},
                                                     {1.25, "1.3"},
                                                     {-0.04, "0"},
                                                     {0.05, "0.1"},
                                                     {1e300, "1000000000000"},
                                                     {std::numeric_limits<double>::quiet_NaN(), "0"},
                                                     {-65535.25, "-65535.3"}}) {
        std::string out;
        map::appendNumber(out, value);
        EXPECT_EQ(out, text) << value;
    }
    for (const auto& [in, most, text] : std::vector<std::tuple<std::string, std::size_t, std::string>>{
             {"a&b <c> \"d\"", 60, "a&amp;b &lt;c&gt; &quot;d&quot;"},
             {"caf\xc3\xa9\x01\ttab", 60, "caf????tab"},
             {"abcdefghij", 8, "abcde..."},
             {"abcdefgh", 8, "abcdefgh"}}) {
        std::string out;
        map::appendEscaped(out, in, most);
        EXPECT_EQ(out, text) << in;
    }
}

// The plan's legs as "from>to", with "~" for a leg inside an on block.
struct RouteCase {
    const char* plan;
    std::vector<std::string> moves;
    std::size_t patrolLegs;
    std::vector<std::string> starts;
};

TEST(TeamRoutes, FollowThePlan) {
    const std::string head =
        "mission \"m\" { author \"a\"; description \"d\"; rules { }; map \"m\" {\n"
        "location a = <0, 0, 0>; location b = <10, 0, 0>; location c = <0, 10, 0>; location d = <10, 10, 5>;\n"
        "area n { style = open; locations = a, b; }; area s { style = roof; locations = c, d; };\n"
        "area e { style = closed; locations = b, d; } };\n"
        "force \"f\" { team \"t\" { }; }; objectives { };\nplan \"t\" { ";
    const std::vector<RouteCase> cases = {
        {"wait 1", {}, 0, {}},
        {"advance towards a using \"x\"; moveup to b using \"y\"; attack towards c", {"a>b", "b>c"}, 0, {"a"}},
        {"observe a; on (contact) { attack towards b; pullback to c using \"z\" }; spread towards d within 2",
         {"a>b~", "b>c~", "a>d"},
         0,
         {"a"}},
        {"on (casualty) { take cover from b }; insert at a using \"x\"", {}, 0, {"b", "a"}},
        {"defend towards b from c; snipe from d towards a", {"b>c", "c>d", "d>a"}, 0, {"b"}},
        {"freeze towards a for 2; signal towards b \"m\"; assemble at a using \"x\"; signal towards b",
         {"a>b", "b>a"},
         0,
         {"a"}},
        {"observe a; observe a; observe b", {"a>b"}, 0, {"a"}},
        {"patrol (n, s)", {}, 2, {}},
        {"patrol; patrol; patrol (n, s, e)", {}, 3, {}},
        {"patrol (n, s); on (contact) { patrol (n, s) }", {}, 4, {}},
    };
    const auto labelAt = [](map::Point p) {
        const char* names[] = {"a", "b", "c", "d"};
        return std::string(names[(p.x > 0 ? 1 : 0) + (p.y > 0 ? 2 : 0)]);
    };
    for (const RouteCase& c : cases) {
        SCOPED_TRACE(c.plan);
        const MissionAnalysis analysis = analysed(head + c.plan + " }; }\n");
        ASSERT_FALSE(analysis.hasError());
        const map::MapPlaces places(*analysis.mission);
        const map::TeamRoute route = map::routeOf(*analysis.mission->teams[0], places);
        std::vector<std::string> moves;
        for (const map::Leg& leg : route.moves) {
            moves.push_back(labelAt(leg.from) + ">" + labelAt(leg.to) + (leg.contingent ? "~" : ""));
        }
        EXPECT_EQ(moves, c.moves);
        EXPECT_EQ(route.patrols.size(), c.patrolLegs);
        std::vector<std::string> starts;
        for (const map::Point p : route.starts) starts.push_back(labelAt(p));
        EXPECT_EQ(starts, c.starts);
    }
}

}  // namespace
}  // namespace zeb::testing

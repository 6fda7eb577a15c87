#pragma once

// Builds large, valid mission texts for timing runs and scaling tests. The
// text grows linearly with `units`, and so do the declared names, so any
// lookup or layout step that is not linear per name shows up as a time
// that grows faster than the text.
//
// Every list of the language is right-recursive, so a whole list sits on
// the parser's stack (two entries per item) until its end; the stack holds
// at most 9999 entries. The shape spreads the growth over lists nested in
// one another (forces of teams, plans of instructions) and caps each list
// so that the lists open at the same time stay below about 8500 entries at
// any size; every kind reaches 400 MB within its caps.
//
// A seed varies the numbers, the equipment, the member kinds, the labels
// that statements refer to and the choice of statements; the same shape
// and seed always give the same bytes.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zeb::bench {

// What the text is mostly made of. Member is the original shape and its
// bytes never change; the others stress other parts of the front end.
enum class ShapeKind {
    Member,  // many members, few statements, no comments
    Plan,    // deep and many `on` blocks, patrol lists, waits, every statement form, comments
    Map,     // thousands of locations, areas with long label lists, then statements naming them
    Text,    // long quoted texts, multi-line annotations, many comments, CRLF line ends
    Mix,     // a little of each
};

// The kind named NAME ("member", "plan", "map", "text", "mix"); false if none.
bool shapeKindFromName(std::string_view name, ShapeKind& kind);

struct MissionShape {
    ShapeKind kind = ShapeKind::Member;
    std::size_t locations = 0;
    std::size_t areas = 0;
    std::size_t forces = 0;
    std::size_t teamsPerForce = 0;
    std::size_t membersPerTeam = 0;
    std::size_t objectives = 0;
    std::size_t plans = 0;
    std::size_t instructions = 0;     // statements, spread evenly over the plans
    std::size_t labelsPerArea = 3;    // Map and Mix only: the labels of one area's lists
    std::size_t annotationLines = 0;  // Text and Mix only: the map annotation's extra lines
};

// About 1.3 KB of source per unit.
MissionShape shapeForUnits(std::size_t units, ShapeKind kind = ShapeKind::Member);

// The shape whose text, with this seed, is closest to `bytes` long (within
// about 1% from 4 KB up; the smallest valid mission is about 0.9 KB). Costs
// a few passes of counting, each as long as generating the text.
MissionShape shapeForBytes(std::size_t bytes, std::uint64_t seed, ShapeKind kind = ShapeKind::Member);

// Receives the text in order, in pieces of about a megabyte.
using TextSink = std::function<void(std::string_view)>;

void generateMission(const MissionShape& shape, std::uint64_t seed, const TextSink& sink);
std::string generateMission(const MissionShape& shape, std::uint64_t seed = 0);
// The length of the text generateMission gives, without keeping it.
std::size_t generatedSize(const MissionShape& shape, std::uint64_t seed);

}  // namespace zeb::bench

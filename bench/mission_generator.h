#pragma once

// Builds large, valid mission texts for timing runs and scaling tests. The
// text grows linearly with `units`, and so do the declared names, so any
// lookup or layout step that is not linear per name shows up as a time
// that grows faster than the text.
//
// Every list of the language is right-recursive, so one list holds at most
// a few thousand entries before the parser's stack limit; the shape spreads
// the growth over lists nested in one another (forces of teams, plans of
// instructions) to stay well inside that limit at any size.

#include <cstddef>
#include <string>

namespace zeb::bench {

struct MissionShape {
    std::size_t locations = 0;
    std::size_t areas = 0;
    std::size_t forces = 0;
    std::size_t teamsPerForce = 0;
    std::size_t membersPerTeam = 0;
    std::size_t objectives = 0;
    std::size_t plans = 0;
    std::size_t instructionsPerPlan = 0;
};

// About 1.5 KB of source per unit.
MissionShape shapeForUnits(std::size_t units);

std::string generateMission(const MissionShape& shape);

}  // namespace zeb::bench

#pragma once

#include <string>
#include <vector>

namespace zeb {

struct MapCommandOptions {
    std::string path;                // a file, or - for standard input
    std::string output;              // the SVG file; standard output when empty
    std::vector<std::string> teams;  // the routes drawn; every team's when empty
    bool colour = false;             // for the diagnostics on standard error
};

// 0: drawn; 1: the file has an error (its diagnostics on standard error, no
// picture); 2: the file or the picture could not be read or written, or a
// team named is not in the mission.
int runMap(const MapCommandOptions& options);

}  // namespace zeb

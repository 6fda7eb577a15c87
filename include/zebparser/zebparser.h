#pragma once

// zebparser as a library: compile a mission text into a Mission record and
// write it back in the normalised layout, without the command line.
//
//   find_package(zebparser REQUIRED)
//   target_link_libraries(app PRIVATE zebparser::zebparser)
//
//   #include <zebparser/zebparser.h>
//   zebparser::Result r = zebparser::format(text);   // r.status 0 or 1
//
// For more control, use the pieces directly: a zeb::Mission you create
// yourself, zeb::OutputSink over a string or a file descriptor, and
// zeb::compileSource, which parses the text into the mission, writes the
// formatted mission to `out` on success and every message (error report or
// completion line) to `err`, and returns the exit status the command would
// have (0 or 1). Each compileSource call needs a fresh Mission.

#include <string>
#include <utility>

#include "driver/driver.h"
#include "model/mission.h"
#include "output/output_sink.h"

namespace zebparser {

using zeb::compileSource;
using zeb::Mission;
using zeb::OutputSink;

struct Result {
    int status = 1;           // 0: no errors; 1: an error was reported
    std::string output;       // the formatted mission (empty after an error)
    std::string diagnostics;  // the error report, or the completion line
};

// Compiles one mission text with a fresh Mission record.
inline Result format(std::string source) {
    Result result;
    Mission mission;
    OutputSink out(&result.output);
    OutputSink err(&result.diagnostics);
    result.status = compileSource(std::move(source), mission, out, err);
    return result;
}

}  // namespace zebparser

#pragma once

// zebparser as a library: check a mission text and write it back in the
// normalised layout, without the command line.
//
//   find_package(zebparser REQUIRED)
//   target_link_libraries(app PRIVATE zebparser::zebparser)
//
//   #include <zebparser/zebparser.h>
//   zebparser::Result r = zebparser::format(text);   // r.status 0 or 1
//
// This header is the whole public face: the record, the sinks and the
// parser behind it are the library's own and may change shape.

#include <string>

namespace zebparser {

struct Result {
    int status = 1;           // 0: no errors; 1: an error was reported
    std::string output;       // the formatted mission (empty after an error)
    std::string diagnostics;  // the error report, or the completion line
};

// Compiles one mission text as the command would compile a file of that
// content: the same output, report and exit status, without the banner.
Result format(std::string source);

}  // namespace zebparser

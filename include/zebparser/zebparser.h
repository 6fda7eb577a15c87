#pragma once

// zebparser as a library: check a mission text, write it back in the
// normalised listing, or format it in the source layout, without the
// command line.
//
//   find_package(zebparser REQUIRED)
//   target_link_libraries(app PRIVATE zebparser::zebparser)
//
//   #include <zebparser/zebparser.h>
//   zebparser::Result r = zebparser::format(text);   // r.status 0 or 1
//   for (const zebparser::Diagnostic& d : zebparser::check(text)) ...
//   zebparser::SourceLayout f = zebparser::formatSource(text);  // zeb fmt's text
//
// This header is the whole public face: the record, the sinks and the
// parser behind it are the library's own and may change shape.

#include <cstdint>
#include <string>
#include <vector>

namespace zebparser {

struct Result {
    int status = 1;           // 0: no errors; 1: an error was reported
    std::string output;       // the formatted mission (empty after an error)
    std::string diagnostics;  // the error report, or the completion line
};

// Compiles one mission text as the command would compile a file of that
// content: the same output, report and exit status, without the banner.
Result format(std::string source);

// One finding of zeb check. Lines and columns count from 1, columns in
// bytes; the end is exclusive. Notes ("first declared here") follow the
// diagnostic they belong to, with its code.
struct Diagnostic {
    std::string severity;  // "error", "warning" or "note"
    std::string code;      // a stable identifier, such as "undeclared-location"
    std::string message;
    std::uint64_t line = 1;
    std::uint64_t column = 1;
    std::uint64_t endLine = 1;
    std::uint64_t endColumn = 1;
};

// Every diagnostic of one mission text, in the order zeb check reports them.
// The text has an error exactly when format() would give status 1.
std::vector<Diagnostic> check(std::string source);

// What zeb fmt writes: the same mission in the source layout, every comment
// kept. The listing of format() is for programs and drops the comments; this
// is for the files people edit. The text is accepted by the compiler, lists
// exactly as the source does, and formats to itself. Line ends are "\n".
struct SourceLayout {
    int status = 1;                       // 0: formatted; 1: the source has an error
    std::string text;                     // empty when status is 1
    std::vector<Diagnostic> diagnostics;  // as check() gives them, warnings too
};
SourceLayout formatSource(std::string source);

}  // namespace zebparser

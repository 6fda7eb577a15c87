#pragma once

// The command line: banner, argument, opening the file, the parse, the output
// and the framing messages. Returns the exit status; the caller owns the
// process. Standard output and standard error are passed in, so a test can run
// the whole tool in process.

#include <memory>
#include <string>
#include <string_view>

namespace zeb {

class Mission;
class OutputSink;

int runZebparser(int argc, const char* const* argv, Mission& mission, OutputSink& out, OutputSink& err);

// Everything after the file is read: parse, report, print, completion line.
// The source's line ends must already be normalised.
int compileText(std::shared_ptr<const std::string> source, Mission& mission, OutputSink& out, OutputSink& err);
// The same for a text that `owner` keeps alive; the text must be followed by
// a zero byte (as a SourceText's is).
int compileText(std::shared_ptr<const void> owner, std::string_view text, Mission& mission, OutputSink& out,
                OutputSink& err);

// The same for a text in memory (a library user, a test); normalises its
// line ends first.
int compileSource(std::string source, Mission& mission, OutputSink& out, OutputSink& err);

}  // namespace zeb

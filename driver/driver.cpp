#include "driver/driver.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstring>
#include <new>
#include <string>

#include "driver/banner.h"
#include "frontend/deferred_actions.h"
#include "frontend/lexer.h"
#include "frontend/parser.h"
#include "frontend/source_reader.h"
#include "model/mission.h"
#include "output/mission_printer.h"
#include "output/output_sink.h"
#include "output/print_ahead.h"

namespace zeb {
namespace {

constexpr std::string_view kUsage =
    "usage: zebparser <source file>\n"
    "       emits formatted output to standard output\n";
constexpr std::string_view kNotFound = "zebparser: source file not found\n";
constexpr std::string_view kFailed = "zebparser: there were errors during compilation\n";
constexpr std::string_view kCompleted = "/* zebparser: parsing completed, no errors found */ \n";

// Every failure to open, a directory included, is "not found" to the user.
int openSource(const char* path) {
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int compileFile(int fd, Mission& mission, OutputSink& out, OutputSink& err) {
    SourceText source = readSource(fd);
    ::close(fd);
    if (!source.owner) {
        err.writeLines(source.failureMessage);
        return 1;
    }
    return compileText(std::move(source.owner), source.text, mission, out, err);
}

}  // namespace

int compileText(std::shared_ptr<const std::string> source, Mission& mission, OutputSink& out, OutputSink& err) {
    const std::string_view text = *source;
    return compileText(std::move(source), text, mission, out, err);
}

int compileText(std::shared_ptr<const void> owner, std::string_view text, Mission& mission, OutputSink& out,
                OutputSink& err) {
    mission.retainSource(std::move(owner), text);
    Lexer lexer(text.data(), text.size());
    std::string diagnostics;
    const ParseResult result = Parser(lexer, mission, diagnostics).parse();
    err.writeLines(diagnostics);
    if (result == kParseLexicalError) return 1;  // the lexer's message stands alone
    if (result != kParseSucceeded) {
        err.writeLines(kFailed);
        return 1;
    }
    // A large listing is made on a second thread while this one writes it.
    if (text.size() >= kPrintAheadFrom && DeferredActions::worthwhile()) {
        printAhead(out, mission);
    } else {
        print(out, mission);
    }
    if (out.failed()) {
        err.writeLines(std::string("zebparser: error writing output: ") + std::strerror(out.error()) + "\n");
        return 1;
    }
    err.writeLines(kCompleted);
    return 0;
}

int compileSource(std::string source, Mission& mission, OutputSink& out, OutputSink& err) {
    normaliseLineEnds(source);
    return compileText(std::make_shared<const std::string>(std::move(source)), mission, out, err);
}

int runZebparser(int argc, const char* const* argv, Mission& mission, OutputSink& out, OutputSink& err) {
    err.writeLines(bannerText());
    if (argc < 2) {
        err.writeLines(kUsage);
        return 1;
    }
    const int fd = openSource(argv[1]);
    if (fd < 0) {
        err.writeLines(kNotFound);
        return 1;
    }
    try {
        return compileFile(fd, mission, out, err);
    } catch (const std::bad_alloc&) {
        err.writeLines("zebparser: out of memory\n");
        return 1;
    }
}

}  // namespace zeb

// libFuzzer target: one whole in-process run (parse, name checks, print) per
// input, with a fresh Mission each time, checking the run's invariants. A
// successful run's output is fed back in: the layout is not always accepted
// again (a map without style is written "style = none"), but when it is, it
// must format to itself.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver/driver.h"
#include "fuzz/compile_invariants.h"
#include "model/mission.h"
#include "output/output_sink.h"

namespace {

struct Run {
    int status = -1;
    std::string out;
    std::string err;
};

Run compile(std::string source) {
    Run run;
    zeb::Mission mission;
    zeb::OutputSink out(&run.out);
    zeb::OutputSink err(&run.err);
    run.status = zeb::compileSource(std::move(source), mission, out, err);
    return run;
}

[[noreturn]] void fail(const char* what, const std::string& detail, const Run& run) {
    std::fprintf(stderr, "invariant broken: %s: %s\n-- status %d\n-- stdout --\n%s-- stderr --\n%s", what,
                 detail.c_str(), run.status, run.out.c_str(), run.err.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Run first = compile(std::string(reinterpret_cast<const char*>(data), size));
    if (std::string broken = zeb::fuzz::invariantViolation(first.status, first.out, first.err); !broken.empty()) {
        fail("first run", broken, first);
    }
    if (first.status != 0) return 0;
    const Run second = compile(first.out);
    if (std::string broken = zeb::fuzz::invariantViolation(second.status, second.out, second.err); !broken.empty()) {
        fail("second run", broken, second);
    }
    if (second.status == 0 && second.out != first.out) {
        fail("output does not format to itself", first.out, second);
    }
    return 0;
}

// The library face declared in <zebparser/zebparser.h>.

#include "zebparser/zebparser.h"

#include <utility>

#include "driver/driver.h"
#include "model/mission.h"
#include "output/output_sink.h"

namespace zebparser {

Result format(std::string source) {
    Result result;
    // A record holds one text: a fresh one for every call.
    zeb::Mission mission;
    zeb::OutputSink out(&result.output);
    zeb::OutputSink err(&result.diagnostics);
    result.status = zeb::compileSource(std::move(source), mission, out, err);
    return result;
}

}  // namespace zebparser

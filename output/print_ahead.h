#pragma once

// The listing of a large mission, its lines made on a second thread while
// this one writes them. Each line still reaches `out` whole and in order,
// with `out`'s one write a line and its handling of a failed write: after
// one, nothing more is written, and out.failed() tells. Only the making of
// the next lines goes on meanwhile, which no one outside can see.

#include "model/mission.h"
#include "output/output_sink.h"

namespace zeb {

// A mission whose text was shorter than this is printed by print(): a small
// listing is written before a thread would have started.
inline constexpr std::size_t kPrintAheadFrom = std::size_t{4} << 20;

OutputSink& printAhead(OutputSink& out, const Mission& mission);

}  // namespace zeb

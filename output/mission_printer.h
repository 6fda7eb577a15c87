#pragma once

// The normalised listing of a whole mission: the legacy output that
// downstream tools read.

#include "model/mission.h"
#include "output/output_sink.h"

namespace zeb {

// Writes the record in the normalised layout, one line at a time.
OutputSink& print(OutputSink& out, const Mission& mission);

}  // namespace zeb

#pragma once

// The source layout: what `zeb fmt` writes. The listing's layout, changed
// only where a source file needs it, with the comments put back.

#include "model/mission.h"
#include "output/attached_comments.h"
#include "output/output_sink.h"

namespace zeb {

// Two threads pay for a large mission only: the second lays out plans of
// its own, which are then copied.
enum class SourcePrinting { OneThread, TwoThreads };

OutputSink& printSource(OutputSink& out, const Mission& mission, const AttachedComments& comments,
                        SourcePrinting printing = SourcePrinting::OneThread);

}  // namespace zeb

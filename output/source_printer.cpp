#include "output/source_printer.h"

#include "output/source_writers.h"

namespace zeb {

OutputSink& printSource(OutputSink& out, const Mission& mission, const AttachedComments& comments) {
    SourceWriter w{out, comments};
    writeSourceHeader(w, mission);
    writeSourceRules(w, mission);
    writeSourceMap(w, mission);
    writeSourceForces(w, mission);
    writeSourceObjectives(w, mission);
    writeSourcePlans(w, mission);
    writeSourceEnd(w, mission);
    return out;
}

}  // namespace zeb

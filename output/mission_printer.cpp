#include "output/mission_printer.h"

#include "output/writers.h"

namespace zeb {

OutputSink& print(OutputSink& out, const Mission& mission) {
    writeHeader(out, mission);
    writeRules(out, mission);
    writeMap(out, mission);
    writeForces(out, mission);
    writeObjectives(out, mission);
    writePlans(out, mission);
    writeMissionEnd(out);
    return out;
}

}  // namespace zeb

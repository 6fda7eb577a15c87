#include "model/mission.h"
#include "output/writers.h"

namespace zeb {

OutputSink& Mission::print(OutputSink& out) const {
    writeHeader(out, *this);
    writeRules(out, *this);
    writeMap(out, *this);
    writeForces(out, *this);
    writeObjectives(out, *this);
    writePlans(out, *this);
    writeMissionEnd(out);
    return out;
}

}  // namespace zeb

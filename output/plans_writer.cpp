#include "output/writers.h"

namespace zeb {
namespace {

constexpr int kPlanStatementIndent = 6;

void writePlan(OutputSink& out, const Team& team) {
    out.put("  plan ");
    writeQuoted(out, team.name);
    out.endLine();
    out.put("  {");
    out.endLine();
    writeInstructions(out, team.instructions, kPlanStatementIndent);
    out.put("  };");
    out.endLine();
    out.endLine();
}

}  // namespace

// One block per team in declaration order, whether or not the source gave
// the team a plan, and whatever order the source's plan blocks came in.
void writePlans(OutputSink& out, const Mission& mission) {
    for (const Team* team : mission.teams) writePlan(out, *team);
}

}  // namespace zeb

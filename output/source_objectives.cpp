#include "output/source_writers.h"
#include "output/writers.h"

namespace zeb {

void writeSourceObjectives(SourceWriter& w, const Mission& mission) {
    const CommentPlaces* places = w.find(&mission, CommentedPart::Objectives);
    writeBefore(w.out, places, 2);
    w.out.put("  objectives");
    endHeadLine(w.out, places, 4);
    w.out.put("  {");
    w.out.endLine();
    bool first = true;
    for (const Objective& objective : mission.objectives) {
        if (!first) w.out.endLine();  // a blank line between two objectives
        first = false;
        const CommentPlaces* comments = w.find(&objective);
        writeBefore(w.out, comments, 4);
        writeObjectiveLines(w.out, objective);
        endLastLine(w.out, comments, 4);
        writeAfter(w.out, comments, 4);
    }
    writeInside(w.out, places, 4);
    w.out.put("  };");
    endLastLine(w.out, places, 2);
    writeAfter(w.out, places, 2);
    w.out.endLine();
}

}  // namespace zeb

#include "output/source_writers.h"
#include "output/writers.h"

namespace zeb {

void writeSourceObjectives(SourceWriter& w, const Mission& mission) {
    writeSection(
        w.out, w.find(&mission, CommentedPart::Objectives), [&] { w.out.put("  objectives"); },
        [&] {
            bool first = true;
            for (const Objective& objective : mission.objectives) {
                if (!first) w.out.endLine();  // a blank line between two objectives
                first = false;
                writeCommentedLine(w.out, w.find(&objective), 4, [&] { writeObjectiveLines(w.out, objective); });
            }
        });
}

}  // namespace zeb

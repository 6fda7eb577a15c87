#include "output/kind_names.h"
#include "output/source_writers.h"
#include "output/writers.h"

namespace zeb {
namespace {

void writeClause(SourceWriter& w, const Mission& mission, CommentedPart part, std::string_view keyword,
                 OptionalText text) {
    const CommentPlaces* places = w.find(&mission, part);
    writeBefore(w.out, places, 2);
    w.out.put("  ").put(keyword);
    endHeadLine(w.out, places, 4);
    w.out.put("    ");
    writeQuoted(w.out, text);
    w.out.put(';');
    endLastLine(w.out, places, 2);
    writeAfter(w.out, places, 2);
    w.out.endLine();
}

}  // namespace

void writeSourceHeader(SourceWriter& w, const Mission& mission) {
    const CommentPlaces* places = w.find(&mission);
    writeBefore(w.out, places, 0);
    w.out.put("mission ");
    writeQuoted(w.out, mission.missionName);
    endHeadLine(w.out, places, 2);
    w.out.put('{');
    w.out.endLine();
    writeClause(w, mission, CommentedPart::Author, "author", mission.author);
    writeClause(w, mission, CommentedPart::Description, "description", mission.description);
}

void writeSourceRules(SourceWriter& w, const Mission& mission) {
    writeSection(
        w.out, w.find(&mission, CommentedPart::Rules), [&] { w.out.put("  rules"); },
        [&] {
            for (const Rule& rule : mission.rules) {
                const std::string_view word = respawnModeWord(rule.value);
                if (rule.kind != RuleKind::Respawn || word.empty()) continue;  // nothing the language could read
                writeCommentedLine(w.out, w.find(&rule), 4, [&] { w.out.put("    respawn = ").put(word).put(';'); });
            }
        });
}

void writeSourceEnd(SourceWriter& w, const Mission& mission) {
    const CommentPlaces* places = w.find(&mission);
    writeInside(w.out, places, 2);
    w.out.put('}');
    endLastLine(w.out, places, 0);
    writeAfter(w.out, places, 0);
}

}  // namespace zeb

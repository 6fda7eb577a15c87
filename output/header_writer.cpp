#include "output/kind_names.h"
#include "output/writers.h"

namespace zeb {
namespace {

// The author and the description each take a keyword line and a text line.
void writeClause(OutputSink& out, std::string_view keyword, OptionalText text) {
    out.put("  ").put(keyword);
    out.endLine();
    out.put("    ");
    writeQuoted(out, text);
    out.put(';');
    out.endLine();
    out.endLine();
}

// A mode the language cannot express is written as its number rather than
// dropped, so that a damaged record still shows what it holds.
void writeRespawnMode(OutputSink& out, RespawnMode mode) {
    const std::string_view word = respawnModeWord(mode);
    if (word.empty()) {
        writeInteger(out, static_cast<std::int32_t>(mode));
    } else {
        out.put(word);
    }
}

}  // namespace

void writeHeader(OutputSink& out, const Mission& mission) {
    out.put("mission ");
    writeQuoted(out, mission.missionName);
    out.endLine();
    out.put('{');
    out.endLine();
    writeClause(out, "author", mission.author);
    writeClause(out, "description", mission.description);
}

void writeRules(OutputSink& out, const Mission& mission) {
    out.put("  rules");
    out.endLine();
    out.put("  {");
    out.endLine();
    for (const Rule& rule : mission.rules) {
        if (rule.kind != RuleKind::Respawn) continue;
        out.put("    respawn = ");
        writeRespawnMode(out, rule.value);
        out.put(';');
        out.endLine();
    }
    out.put("  };");
    out.endLine();
    out.endLine();
}

void writeMissionEnd(OutputSink& out) {
    out.put('}');
    out.endLine();
}

}  // namespace zeb

#include <bit>
#include <cstdint>

#include "output/instruction_operands.h"
#include "output/source_writers.h"
#include "output/writers.h"

namespace zeb {
namespace {

constexpr int kStatementIndent = 6;
constexpr int kBlockIndentStep = 2;
constexpr int kPhaseOutdent = 2;
// What "wait forever" records. The listing writes every wait from 9999.9 up
// as forever; here only this value is, so that every other reads back.
constexpr float kForever = 100000.0f;

void writeInstructions(SourceWriter& w, const InstructionList& list, int indent);

struct SourceOperands {
    SourceWriter& w;

    void real(OutputSink& out, float value) const { writeSourceReal(out, value); }
    void wait(OutputSink& out, float value) const {
        if (std::bit_cast<std::uint32_t>(value) == std::bit_cast<std::uint32_t>(kForever)) {
            out.put("forever");
        } else {
            writeSourceReal(out, value);
        }
    }
    void onBlock(OutputSink& out, const Instruction& ins, int indent) const {
        const CommentPlaces* places = w.find(&ins);
        out.put('(');
        writeEvents(out, ins.events, ins.first);
        out.put(')');
        endHeadLine(out, places, indent + kBlockIndentStep);
        writeIndent(out, indent);
        out.put('{');
        out.endLine();
        if (ins.block) writeInstructions(w, *ins.block, indent + kBlockIndentStep);
        writeInside(out, places, indent + kBlockIndentStep);
        writeIndent(out, indent);
        out.put('}');
    }
};

bool isKnownKind(InstructionKind kind) {
    const auto code = static_cast<std::int32_t>(kind);
    return code >= 0 && code < kInstructionKindCount;
}

// Writes one statement and gives back its comments. `above` holds those
// that stand below the statement before it: they go where reading the
// layout back puts them, before this statement's own comments and after
// the blank line a phase opens with.
const CommentPlaces* writeInstruction(SourceWriter& w, const Instruction& ins, int indent, const CommentPlaces* above) {
    if (!isKnownKind(ins.kind)) {  // the parser makes none, and nothing could read one back
        writeAfter(w.out, above, indent);
        return nullptr;
    }
    const CommentPlaces* places = w.find(&ins);
    int lineIndent = indent;
    if (ins.kind == InstructionKind::Phase) {
        w.out.endLine();
        lineIndent -= kPhaseOutdent;
    }
    writeAfter(w.out, above, lineIndent);
    writeBefore(w.out, places, lineIndent);
    writeIndent(w.out, lineIndent);
    writeInstructionName(w.out, ins.kind);
    SourceOperands style{w};
    operands::writeOperands(w.out, ins, indent, style);
    w.out.put(';');
    endLastLine(w.out, places, indent);
    return places;
}

void writeInstructions(SourceWriter& w, const InstructionList& list, int indent) {
    // The comments below a statement wait for the next one: a statement of a
    // later plan block of the team may follow, whose place they take when
    // the layout is read back.
    const CommentPlaces* above = nullptr;
    for (const Instruction& ins : list) above = writeInstruction(w, ins, indent, above);
    writeAfter(w.out, above, indent);
}

}  // namespace

void writeSourcePlan(SourceWriter& w, const Team& team) {
    writeSection(
        w.out, w.find(&team, CommentedPart::Plan),
        [&] {
            w.out.put("  plan ");
            writeQuoted(w.out, team.name);
        },
        [&] { writeInstructions(w, team.instructions, kStatementIndent); }, kStatementIndent);
}

}  // namespace zeb

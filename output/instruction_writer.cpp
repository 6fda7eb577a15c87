#include <cmath>
#include <iterator>
#include <limits>

#include "output/instruction_operands.h"
#include "output/kind_names.h"
#include "output/real_format.h"
#include "output/writers.h"

namespace zeb {
namespace {

// Indexed by kind; SignalTowards and SignalCode are two forms of the same
// statement.
constexpr std::string_view kInstructionNames[] = {
#define ZEB_INSTRUCTION(kind, words) words,
#define ZEB_FORM(kind, action, shape)
#include "model/instructions.def"
#undef ZEB_INSTRUCTION
#undef ZEB_FORM
};
static_assert(std::size(kInstructionNames) == kInstructionKindCount);

constexpr int kBlockIndentStep = 2;
constexpr int kPhaseOutdent = 2;
// "wait forever" is stored as 100000; anything from this value up reads
// back as forever. The float is compared after widening, so a stored
// 9999.9f (just below 9999.9) is not forever.
constexpr double kWaitForever = 9999.9;

bool isKnownKind(InstructionKind kind) {
    const auto code = static_cast<std::int32_t>(kind);
    return code >= 0 && code < kInstructionKindCount;
}

bool hasBlankAfterName(InstructionKind kind) {
    return kind != InstructionKind::Abort && kind != InstructionKind::Patrol && kind != InstructionKind::WaitUntilReady;
}

void writeWait(OutputSink& out, float value) {
    if (static_cast<double>(value) >= kWaitForever) {
        out.put("forever");
    } else {
        writeReal(out, value);
    }
}

// The statement's own indent holds its braces; the block goes one step in.
void writeOnBlock(OutputSink& out, const Instruction& ins, int indent) {
    out.put('(');
    writeEvents(out, ins.events, ins.first);
    out.put(')');
    out.endLine();
    writeIndent(out, indent);
    out.put('{');
    out.endLine();
    if (ins.block) writeInstructions(out, *ins.block, indent + kBlockIndentStep);
    writeIndent(out, indent);
    out.put('}');
}

struct ListingOperands {
    static void real(OutputSink& out, float value) { writeReal(out, value); }
    static void wait(OutputSink& out, float value) { writeWait(out, value); }
    static void onBlock(OutputSink& out, const Instruction& ins, int indent) { writeOnBlock(out, ins, indent); }
};

void writeUnknownInstruction(OutputSink& out, const Instruction& ins, int indent) {
    writeIndent(out, indent);
    writeInstructionName(out, ins.kind);
    out.endLine();
    out.put(';');
    out.endLine();
}

// A phase starts a new stretch of the plan: an empty line, then the phase
// line set out to the left of the statements around it.
void writeInstruction(OutputSink& out, const Instruction& ins, int indent) {
    if (!isKnownKind(ins.kind)) {
        writeUnknownInstruction(out, ins, indent);
        return;
    }
    int lineIndent = indent;
    if (ins.kind == InstructionKind::Phase) {
        out.endLine();
        lineIndent -= kPhaseOutdent;
    }
    writeIndent(out, lineIndent);
    writeInstructionName(out, ins.kind);
    ListingOperands style;
    operands::writeOperands(out, ins, indent, style);
    out.put(';');
    out.endLine();
}

}  // namespace

void writeInstructions(OutputSink& out, const InstructionList& list, int indent) {
    for (const Instruction& ins : list) writeInstruction(out, ins, indent);
}

void writeInstructionName(OutputSink& out, InstructionKind kind) {
    if (!isKnownKind(kind)) {
        out.put("UNKNOWN INSTRUCTION");
        return;
    }
    out.put(kInstructionNames[static_cast<std::int32_t>(kind)]);
    if (hasBlankAfterName(kind)) out.put(' ');
}

// Always contact, under fire, casualty, code, whatever the source's order.
void writeEvents(OutputSink& out, TriggerEvents events, OptionalText code) {
    const char* separator = "";
    for (const auto& entry : triggerEventWords()) {
        if (!events.has(entry.flag)) continue;
        out.put(separator).put(entry.word);
        separator = ", ";
    }
    if (!events.has(TriggerEvent::Code)) return;
    out.put(separator).put("code ");
    writeQuoted(out, code);
}

}  // namespace zeb

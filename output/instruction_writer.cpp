#include <cmath>
#include <iterator>
#include <limits>

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

// The count of a split is stored as a real; it is written whole, truncated
// toward zero. The parser only stores 16-bit values; anything else is
// clamped rather than converted out of range.
std::int32_t wholeCount(float value) {
    if (std::isnan(value)) return 0;
    double truncated = std::trunc(static_cast<double>(value));
    if (truncated <= std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (truncated >= std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(truncated);
}

void writeWait(OutputSink& out, float value) {
    if (static_cast<double>(value) >= kWaitForever) {
        out.put("forever");
    } else {
        writeReal(out, value);
    }
}

void writeLabelAndText(OutputSink& out, std::string_view lead, const Instruction& ins, std::string_view middle) {
    out.put(lead);
    putText(out, ins.first);
    out.put(middle);
    writeQuoted(out, ins.second);
}

void writeTwoLabels(OutputSink& out, std::string_view lead, const Instruction& ins, std::string_view middle) {
    out.put(lead);
    putText(out, ins.first);
    out.put(middle);
    putText(out, ins.second);
}

void writeLabelAndValue(OutputSink& out, std::string_view lead, const Instruction& ins, std::string_view middle) {
    out.put(lead);
    putText(out, ins.first);
    out.put(middle);
    writeReal(out, ins.value);
}

void writePatrolAreas(OutputSink& out, const Instruction& ins) {
    if (!ins.hasAreaList) return;
    out.put(" (");
    writeLabelList(out, ins.areas);
    out.put(')');
}

void writeSignalTowards(OutputSink& out, const Instruction& ins) {
    out.put("towards ");
    putText(out, ins.first);
    if (!ins.second) return;
    out.put(' ');
    writeQuoted(out, ins.second);
}

void writeSplit(OutputSink& out, const Instruction& ins) {
    writeQuoted(out, ins.first);
    out.put(' ');
    writeInteger(out, wholeCount(ins.value));
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

void writeOperands(OutputSink& out, const Instruction& ins, int indent) {
    switch (ins.kind) {
    case InstructionKind::Wait: writeWait(out, ins.value); return;
    case InstructionKind::Advance: writeLabelAndText(out, "towards ", ins, " using "); return;
    case InstructionKind::Assemble:
    case InstructionKind::Insert: writeLabelAndText(out, "at ", ins, " using "); return;
    case InstructionKind::Attack:
        out.put("towards ");
        putText(out, ins.first);
        return;
    case InstructionKind::Continue:
        out.put("with phase ");
        writeQuoted(out, ins.first);
        return;
    case InstructionKind::Defend: writeTwoLabels(out, "towards ", ins, " from "); return;
    case InstructionKind::Freeze: writeLabelAndValue(out, "towards ", ins, " for "); return;
    case InstructionKind::Moveup:
    case InstructionKind::Pullback: writeLabelAndText(out, "to ", ins, " using "); return;
    case InstructionKind::Observe: putText(out, ins.first); return;
    case InstructionKind::Patrol: writePatrolAreas(out, ins); return;
    case InstructionKind::Phase: writeQuoted(out, ins.owner); return;
    case InstructionKind::Radio: writeQuoted(out, ins.first); return;
    case InstructionKind::On: writeOnBlock(out, ins, indent); return;
    case InstructionKind::SignalTowards: writeSignalTowards(out, ins); return;
    case InstructionKind::SignalCode:
        out.put("code ");
        writeQuoted(out, ins.first);
        return;
    case InstructionKind::Snipe: writeTwoLabels(out, "from ", ins, " towards "); return;
    case InstructionKind::Split: writeSplit(out, ins); return;
    case InstructionKind::Spread: writeLabelAndValue(out, "towards ", ins, " within "); return;
    case InstructionKind::TakeCover:
        out.put("from ");
        putText(out, ins.first);
        return;
    case InstructionKind::WaitUntilCode:
        out.put('(');
        writeQuoted(out, ins.first);
        out.put(')');
        return;
    case InstructionKind::Abort:
    case InstructionKind::Join:
    case InstructionKind::Spawn:
    case InstructionKind::WaitUntilReady:
    case InstructionKind::WaitUntilAssembled: return;
    }
}

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
    writeOperands(out, ins, indent);
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

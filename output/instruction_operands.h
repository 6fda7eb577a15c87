#pragma once

// What follows an instruction's name, for the listing and the source layout
// alike. The two differ only in how a real, a wait and an "on" block are
// written; a style supplies those three, and is resolved at compile time
// so the listing pays nothing for sharing.

#include <cmath>
#include <cstdint>
#include <limits>

#include "output/writers.h"

namespace zeb::operands {

// The count of a split is stored as a real; it is written whole, truncated
// toward zero. The parser only stores 16-bit values; anything else is
// clamped rather than converted out of range.
inline std::int32_t wholeCount(float value) {
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

inline void writeLabelAndText(OutputSink& out, std::string_view lead, const Instruction& ins, std::string_view middle) {
    out.put(lead);
    putText(out, ins.first);
    out.put(middle);
    writeQuoted(out, ins.second);
}

inline void writeTwoLabels(OutputSink& out, std::string_view lead, const Instruction& ins, std::string_view middle) {
    out.put(lead);
    putText(out, ins.first);
    out.put(middle);
    putText(out, ins.second);
}

template <typename Style>
void writeLabelAndValue(OutputSink& out, std::string_view lead, const Instruction& ins, std::string_view middle,
                        Style& style) {
    out.put(lead);
    putText(out, ins.first);
    out.put(middle);
    style.real(out, ins.value);
}

inline void writePatrolAreas(OutputSink& out, const Instruction& ins) {
    if (!ins.hasAreaList) return;
    out.put(" (");
    writeLabelList(out, ins.areas);
    out.put(')');
}

inline void writeSignalTowards(OutputSink& out, const Instruction& ins) {
    out.put("towards ");
    putText(out, ins.first);
    if (!ins.second) return;
    out.put(' ');
    writeQuoted(out, ins.second);
}

inline void writeSplit(OutputSink& out, const Instruction& ins) {
    writeQuoted(out, ins.first);
    out.put(' ');
    writeInteger(out, wholeCount(ins.value));
}

template <typename Style>
void writeOperands(OutputSink& out, const Instruction& ins, int indent, Style& style) {
    switch (ins.kind) {
    case InstructionKind::Wait: style.wait(out, ins.value); return;
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
    case InstructionKind::Freeze: writeLabelAndValue(out, "towards ", ins, " for ", style); return;
    case InstructionKind::Moveup:
    case InstructionKind::Pullback: writeLabelAndText(out, "to ", ins, " using "); return;
    case InstructionKind::Observe: putText(out, ins.first); return;
    case InstructionKind::Patrol: writePatrolAreas(out, ins); return;
    case InstructionKind::Phase: writeQuoted(out, ins.owner); return;
    case InstructionKind::Radio: writeQuoted(out, ins.first); return;
    case InstructionKind::On: style.onBlock(out, ins, indent); return;
    case InstructionKind::SignalTowards: writeSignalTowards(out, ins); return;
    case InstructionKind::SignalCode:
        out.put("code ");
        writeQuoted(out, ins.first);
        return;
    case InstructionKind::Snipe: writeTwoLabels(out, "from ", ins, " towards "); return;
    case InstructionKind::Split: writeSplit(out, ins); return;
    case InstructionKind::Spread: writeLabelAndValue(out, "towards ", ins, " within ", style); return;
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

}  // namespace zeb::operands

#pragma once

// The section writers that print runs in order, and the small
// helpers they share. Every line goes through OutputSink::endLine().

#include <charconv>
#include <cstdint>
#include <string_view>
#include <vector>

#include "model/mission.h"
#include "model/records.h"
#include "output/output_sink.h"

namespace zeb {

// ---- sections, in the order print() writes them ----
void writeHeader(OutputSink& out, const Mission& mission);
void writeRules(OutputSink& out, const Mission& mission);
void writeMap(OutputSink& out, const Mission& mission);
void writeForces(OutputSink& out, const Mission& mission);
void writeObjectives(OutputSink& out, const Mission& mission);
void writePlans(OutputSink& out, const Mission& mission);
void writeMissionEnd(OutputSink& out);

// ---- pieces below the sections ----
// An objective's lines, all but the end of the last one ("-> {...};").
void writeObjectiveLines(OutputSink& out, const Objective& objective);
// One expression, no line end; a missing node writes nothing.
void writeCondition(OutputSink& out, const ConditionNode* node);
// Every statement of the list at `indent`; "on" blocks go 2 deeper.
void writeInstructions(OutputSink& out, const InstructionList& list, int indent);
// The kind's name and, for most kinds, the blank that follows it.
void writeInstructionName(OutputSink& out, InstructionKind kind);
// The events of an "on" statement in their fixed order.
void writeEvents(OutputSink& out, TriggerEvents events, OptionalText code);

// ---- shared helpers ----
inline void putText(OutputSink& out, OptionalText text) {
    if (text) out.put(*text);
}

// Stored texts are written as they are, quotes included, without escaping.
inline void writeQuoted(OutputSink& out, OptionalText text) {
    out.put('"');
    putText(out, text);
    out.put('"');
}

inline void writeInteger(OutputSink& out, std::int32_t value) {
    char buffer[12];  // "-2147483648"
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.put(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

// Labels separated by ", " (an area's lists and a patrol's list).
template <typename Labels>
void writeLabelList(OutputSink& out, const Labels& labels) {
    const char* separator = "";
    for (Text label : labels) {
        out.put(separator).put(label);
        separator = ", ";
    }
}

}  // namespace zeb

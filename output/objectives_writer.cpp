#include "output/writers.h"

namespace zeb {
namespace {

// Printed names by bit number: the kind 1 << n prints as kConditionNames[n].
constexpr std::string_view kConditionNames[] = {"&&",       "||",    "!",       "eliminated",
                                                "occupied", "alive", "timeout", "reached"};
constexpr int kConditionBitCount = 8;

// The number of halvings that take the kind down to 1, or -1 when the kind
// is not a single one of the known bits.
int conditionBitNumber(std::int32_t kind) {
    for (int bit = 0; bit < kConditionBitCount; ++bit) {
        if (kind == (std::int32_t{1} << bit)) return bit;
    }
    return -1;
}

void writeBinary(OutputSink& out, const ConditionNode& node, std::string_view op) {
    out.put("( ");
    writeCondition(out, node.left.get());
    out.put(' ').put(op).put(' ');
    writeCondition(out, node.right.get());
    out.put(" )");
}

void writeLeaf(OutputSink& out, const ConditionNode& node, std::string_view name) {
    out.put(name).put('(');
    switch (static_cast<ConditionKind>(node.kind)) {
    case kConditionOccupied: putText(out, node.name); break;
    case kConditionTimeout: writeInteger(out, node.count); break;
    case kConditionEliminated:
    case kConditionAlive:
    case kConditionReached: writeQuoted(out, node.name); break;
    case kConditionAnd:
    case kConditionOr:
    case kConditionNot: break;
    }
    out.put(')');
}

std::string_view outcomeWord(std::int32_t outcome) {
    return outcome == 0 ? "success" : "failure";
}

void writeResults(OutputSink& out, const std::vector<Text>& results) {
    out.put("      -> {");
    const char* separator = "";
    for (Text result : results) {
        out.put(separator);
        writeQuoted(out, result);
        separator = ", ";
    }
    out.put("};");
    out.endLine();
}

void writeObjective(OutputSink& out, const Objective& objective) {
    out.put("    ").put(outcomeWord(objective.outcome));
    out.endLine();
    out.put("      ( ");
    writeQuoted(out, objective.subject);
    out.put(',');
    out.endLine();
    out.put("        ");
    writeQuoted(out, objective.description);
    out.endLine();
    out.put("      )");
    out.endLine();
    out.put("      =  ");
    writeCondition(out, objective.condition);
    out.endLine();
    writeResults(out, objective.results);
}

}  // namespace

// A node whose kind is not one known bit cannot come from the parser; it is
// written as a leaf with an empty name and no operand, "()", so that a
// damaged tree still prints without touching children it may not have.
void writeCondition(OutputSink& out, const ConditionNode* node) {
    if (node == nullptr) return;
    int bit = conditionBitNumber(node->kind);
    if (bit < 0) {
        out.put("()");
        return;
    }
    switch (static_cast<ConditionKind>(node->kind)) {
    case kConditionAnd:
    case kConditionOr: writeBinary(out, *node, kConditionNames[bit]); return;
    case kConditionNot:
        out.put("!( ");
        writeCondition(out, node->left.get());
        out.put(" )");
        return;
    case kConditionEliminated:
    case kConditionOccupied:
    case kConditionAlive:
    case kConditionTimeout:
    case kConditionReached: writeLeaf(out, *node, kConditionNames[bit]); return;
    }
}

void writeObjectives(OutputSink& out, const Mission& mission) {
    out.put("  objectives");
    out.endLine();
    out.put("  {");
    out.endLine();
    bool first = true;
    for (const Objective& objective : mission.objectives) {
        if (!first) out.endLine();  // a blank line between two objectives
        writeObjective(out, objective);
        first = false;
    }
    out.put("  };");
    out.endLine();
    out.endLine();
}

}  // namespace zeb

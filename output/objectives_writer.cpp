#include "output/kind_names.h"
#include "output/writers.h"

namespace zeb {
namespace {

void writeBinary(OutputSink& out, const ConditionNode& node, std::string_view op) {
    out.put("( ");
    writeCondition(out, node.left.get());
    out.put(' ').put(op).put(' ');
    writeCondition(out, node.right.get());
    out.put(" )");
}

void writeLeaf(OutputSink& out, const ConditionNode& node, std::string_view name) {
    out.put(name).put('(');
    switch (node.kind) {
    case ConditionKind::Occupied: putText(out, node.name); break;
    case ConditionKind::Timeout: writeInteger(out, node.count); break;
    case ConditionKind::Eliminated:
    case ConditionKind::Alive:
    case ConditionKind::Reached: writeQuoted(out, node.name); break;
    case ConditionKind::And:
    case ConditionKind::Or:
    case ConditionKind::Not: break;
    }
    out.put(')');
}

// Anything but a success is written as a failure.
std::string_view outcomeText(Outcome outcome) {
    return outcome == Outcome::Success ? outcomeWord(Outcome::Success) : outcomeWord(Outcome::Failure);
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
}

}  // namespace

void writeObjectiveLines(OutputSink& out, const Objective& objective) {
    out.put("    ").put(outcomeText(objective.outcome));
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

// A node whose kind is not one known bit cannot come from the parser; it is
// written as a leaf with an empty name and no operand, "()", so that a
// damaged tree still prints without touching children it may not have.
void writeCondition(OutputSink& out, const ConditionNode* node) {
    if (node == nullptr) return;
    const std::string_view word = conditionWord(node->kind);
    if (word.empty()) {
        out.put("()");
        return;
    }
    switch (node->kind) {
    case ConditionKind::And:
    case ConditionKind::Or: writeBinary(out, *node, word); return;
    case ConditionKind::Not:
        out.put("!( ");
        writeCondition(out, node->left.get());
        out.put(" )");
        return;
    case ConditionKind::Eliminated:
    case ConditionKind::Occupied:
    case ConditionKind::Alive:
    case ConditionKind::Timeout:
    case ConditionKind::Reached: writeLeaf(out, *node, word); return;
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
        writeObjectiveLines(out, objective);
        out.endLine();
        first = false;
    }
    out.put("  };");
    out.endLine();
    out.endLine();
}

}  // namespace zeb

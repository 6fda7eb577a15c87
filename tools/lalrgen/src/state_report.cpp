#include "state_report.h"

#include <sstream>

namespace zeb::lalrgen {
namespace {

std::string itemText(const Grammar& grammar, Item item) {
    const Production& production = grammar.productions[item.production];
    std::string text = grammar.nonterminals[production.lhs].name + ":";
    for (int i = 0; i < static_cast<int>(production.rhs.size()); ++i) {
        if (i == item.dot) text += " .";
        text += " " + grammar.symbolName(production.rhs[i]);
    }
    if (isComplete(grammar, item)) text += " .";
    return text;
}

void writeProductions(std::ostringstream& out, const Grammar& grammar) {
    out << "Productions\n\n";
    for (int p = 0; p < grammar.productionCount(); ++p) out << "  " << p << " " << grammar.productionText(p) << "\n";
    out << "\n";
}

void writeItems(std::ostringstream& out, const Grammar& grammar, const Lr0State& state) {
    for (std::size_t i = 0; i < state.items.size(); ++i) {
        const char* role = i < state.kernel.size() ? "" : "  (closure)";
        out << "    " << state.items[i].production << " " << itemText(grammar, state.items[i]) << role << "\n";
    }
    out << "\n";
}

void writeActions(std::ostringstream& out, const Grammar& grammar, const std::vector<int>& row) {
    for (int terminal = 0; terminal < grammar.terminalCount(); ++terminal) {
        const int entry = row[terminal];
        if (entry > 0) out << "    " << grammar.terminalNames[terminal] << "  shift, and go to state " << entry << "\n";
        if (entry < 0) out << "    " << grammar.terminalNames[terminal] << "  reduce by production " << -entry << "\n";
    }
}

void writeGotos(std::ostringstream& out, const Grammar& grammar, const std::vector<int>& row) {
    for (int nonterminal = 0; nonterminal < grammar.nonterminalCount(); ++nonterminal) {
        if (row[nonterminal] < 0) continue;
        out << "    " << grammar.nonterminals[nonterminal].name << "  go to state " << row[nonterminal] << "\n";
    }
}

void writeLookaheads(std::ostringstream& out, const Grammar& grammar, const std::vector<Reduction>& reductions) {
    for (const Reduction& reduction : reductions) {
        out << "    look-aheads of production " << reduction.production << ":";
        for (int terminal : reduction.lookahead.members()) out << " " << grammar.terminalNames[terminal];
        out << "\n";
    }
    if (!reductions.empty()) out << "\n";
}

void writeState(std::ostringstream& out, const Grammar& grammar, const Lr0State& state,
                const std::vector<Reduction>& reductions, const ParseTables& tables, int s) {
    out << "State " << s << (s == tables.finalState ? "  (final: accept)" : "") << "\n\n";
    writeItems(out, grammar, state);
    writeLookaheads(out, grammar, reductions);
    writeActions(out, grammar, tables.action[s]);
    writeGotos(out, grammar, tables.gotoState[s]);
    if (tables.defaultReduction[s] >= 0) {
        out << "    $default  reduce by production " << tables.defaultReduction[s] << " ("
            << grammar.productionText(tables.defaultReduction[s]) << ")\n";
    }
    if (tables.reduceWithoutLookahead[s] >= 0) out << "    (reduces without reading a token)\n";
    out << "\n\n";
}

}  // namespace

std::string writeStateReport(const Grammar& grammar, const Lr0Automaton& automaton, const StateReductions& reductions,
                             const TableBuild& build) {
    std::ostringstream out;
    for (const Conflict& conflict : build.conflicts) out << describeConflict(grammar, conflict) << "\n";
    if (!build.conflicts.empty()) out << "\n";
    writeProductions(out, grammar);
    for (int s = 0; s < automaton.stateCount(); ++s) {
        writeState(out, grammar, automaton.states[s], reductions[s], build.tables, s);
    }
    return out.str();
}

}  // namespace zeb::lalrgen

#pragma once

#include <compare>
#include <string>
#include <vector>

namespace zeb::lalrgen {

// Terminal 0 is end of input; terminal i > 0 is token number kFirstTokenNumber + i - 1.
// Nonterminal 0 is $accept. Production 0 is `$accept: <start> $end`.
inline constexpr int kEndOfInput = 0;
inline constexpr int kAcceptNonterminal = 0;
inline constexpr int kAcceptProduction = 0;
inline constexpr int kNoAction = 0;

struct Symbol {
    bool isTerminal;
    int index;  // into terminalNames or nonterminals, by isTerminal

    static Symbol terminal(int index) { return {true, index}; }
    static Symbol nonterminal(int index) { return {false, index}; }
    auto operator<=>(const Symbol&) const = default;
};

// A token-class symbol whose value an action reads by the name written
// after it (IDENTIFIER:place).
struct NamedOperand {
    std::string name;
    int position;  // in the holder's rhs, counted from its first symbol: the action's rhs[position]
    int terminal;  // the token class, whose value member the accessor reads
    bool operator==(const NamedOperand&) const = default;
};

struct Production {
    int lhs;
    std::vector<Symbol> rhs;
    int valueOffset;  // rhs size, or for an action point: symbols before it in its holder
    int action;       // index into Grammar::actionNames
    int line;
    // What the action can read: for an end action every named symbol, for an
    // action point the named symbols to its left. In position order.
    std::vector<NamedOperand> operands = {};
};

struct Nonterminal {
    std::string name;
    int firstLine;  // where the name first appears, for diagnostics
    bool isActionPoint;
};

struct Grammar {
    std::string sourceName;
    std::vector<std::string> terminalNames;  // "$end", "\"mission\"", ..., STRING
    std::vector<Nonterminal> nonterminals;
    std::vector<std::string> terminalValueMembers;  // per terminal: the class's value member, or empty
    std::vector<std::string> actionNames;           // [0] is "None"
    // Per action: the operands it reads, the same at every use.
    std::vector<std::vector<NamedOperand>> actionOperands;
    std::vector<Production> productions;
    int startSymbol = -1;

    int terminalCount() const { return static_cast<int>(terminalNames.size()); }
    int nonterminalCount() const { return static_cast<int>(nonterminals.size()); }
    int productionCount() const { return static_cast<int>(productions.size()); }

    const std::string& symbolName(Symbol symbol) const;
    // "lhs: a b c", or "lhs: %empty" — the form used in tables, reports and messages.
    std::string productionText(int production) const;
    // Productions of each nonterminal, in production-number order.
    std::vector<std::vector<int>> productionsByLhs() const;
};

}  // namespace zeb::lalrgen

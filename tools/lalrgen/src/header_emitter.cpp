#include "header_emitter.h"

#include <cstdint>
#include <limits>
#include <sstream>

#include "grammar_error.h"
#include "keyword_hash.h"
#include "token_definitions.h"

namespace zeb::lalrgen {
namespace {

void requireInt16(int count, const std::string& what) {
    if (count > std::numeric_limits<std::int16_t>::max()) {
        throw GrammarError("too many " + what + " (" + std::to_string(count) + ") for std::int16_t tables");
    }
}

void emitNameArray(std::ostringstream& out, const std::string& declaration, const std::vector<std::string>& names) {
    out << declaration << " = {\n";
    for (const std::string& name : names) out << "    " << cppStringLiteral(name) << ",\n";
    out << "};\n";
}

void emitRow(std::ostringstream& out, const std::vector<int>& row) {
    out << "    {";
    for (std::size_t i = 0; i < row.size(); ++i) out << (i == 0 ? "" : ",") << row[i];
    out << "},\n";
}

void emitMatrix(std::ostringstream& out, const std::string& declaration, const std::vector<std::vector<int>>& rows) {
    out << declaration << " = {\n";
    for (const std::vector<int>& row : rows) emitRow(out, row);
    out << "};\n";
}

void emitVector(std::ostringstream& out, const std::string& declaration, const std::vector<int>& values) {
    out << declaration << " = {";
    for (std::size_t i = 0; i < values.size(); ++i) out << (i % 20 == 0 ? "\n    " : " ") << values[i] << ",";
    out << "\n};\n";
}

void emitActionEnum(std::ostringstream& out, const Grammar& grammar) {
    out << "enum class Action : std::uint8_t {\n    None = 0,\n";
    for (std::size_t i = 1; i < grammar.actionNames.size(); ++i) out << "    " << grammar.actionNames[i] << ",\n";
    out << "};\n";
    emitNameArray(out, "inline constexpr const char* kActionNames[]", grammar.actionNames);
}

// One accessor per named operand, so an action reads `place()` where it
// would otherwise count its way to rhs[2]. The value type is a parameter:
// the tables know nothing of it but its members' names.
void emitOperands(std::ostringstream& out, const Grammar& grammar) {
    out << "// The named operands of an action (IDENTIFIER:place in the grammar), read\n"
        << "// from the values the engine hands it. Value is the parser's value type.\n"
        << "template <typename Value, Action>\n"
        << "struct OperandsOf {\n"
        << "    const Value* rhs;\n"
        << "};\n";
    for (std::size_t action = 1; action < grammar.actionNames.size(); ++action) {
        const std::vector<NamedOperand>& operands = grammar.actionOperands[action];
        if (operands.empty()) continue;
        out << "template <typename Value>\n"
            << "struct OperandsOf<Value, Action::" << grammar.actionNames[action] << "> {\n"
            << "    const Value* rhs;\n";
        for (const NamedOperand& operand : operands) {
            out << "    auto " << operand.name << "() const { return rhs[" << operand.position << "]."
                << grammar.terminalValueMembers[operand.terminal] << "; }  // "
                << grammar.terminalNames[operand.terminal] << "\n";
        }
        out << "};\n";
    }
}

std::string hexLiteral(std::uint64_t value) {
    std::ostringstream out;
    out << "0x" << std::hex << value << "u";
    return out.str();
}

void emitKeywordHash(std::ostringstream& out, const std::vector<TokenDefinition>& tokens) {
    const KeywordHash hash = findKeywordHash(tokens);
    out << "// The keyword lookup's hash. A word of at most kKeywordKeyBytes bytes is taken\n"
        << "// as two 8-byte loads, head and tail, with the bytes past its end cleared;\n"
        << "// the multiplier, one for each byte order, gives every keyword of the token\n"
        << "// list a slot of its own.\n"
        << "inline constexpr std::size_t kKeywordKeyBytes = " << kKeywordKeyBytes << ";\n"
        << "inline constexpr int kKeywordSlotBits = " << hash.slotBits << ";\n"
        << "inline constexpr std::uint64_t kKeywordMultiplier =\n"
        << "    std::endian::native == std::endian::big ? " << hexLiteral(hash.bigEndianMultiplier) << " : "
        << hexLiteral(hash.littleEndianMultiplier) << ";\n"
        << "constexpr std::size_t keywordSlot(std::uint64_t head, std::uint64_t tail) {\n"
        << "    return static_cast<std::size_t>(((head ^ std::rotl(tail, 29)) * kKeywordMultiplier) >>\n"
        << "                                    (64 - kKeywordSlotBits));\n"
        << "}\n";
}

void emitCounts(std::ostringstream& out, const Grammar& grammar, const ParseTables& tables) {
    out << "inline constexpr int kFirstTokenNumber = " << kFirstTokenNumber << ";\n"
        << "// Column 0 is end of input; column t - (kFirstTokenNumber - 1) is token number t.\n"
        << "inline constexpr int kTerminalCount = " << grammar.terminalCount() << ";\n"
        << "inline constexpr int kNonterminalCount = " << grammar.nonterminalCount() << ";\n"
        << "inline constexpr int kStateCount = " << tables.stateCount() << ";\n"
        << "inline constexpr int kProductionCount = " << grammar.productionCount() << ";\n"
        << "inline constexpr int kFinalState = " << tables.finalState << ";\n";
}

void emitProductions(std::ostringstream& out, const Grammar& grammar) {
    out << "struct Production {\n"
        << "    std::uint16_t lhs;          // nonterminal index: column in kGoto\n"
        << "    std::uint16_t length;       // symbols on the right-hand side (popped on reduce)\n"
        << "    std::uint16_t valueOffset;  // = length, or for an action point: symbols before it in its holder\n"
        << "    Action action;\n"
        << "};\n"
        << "inline constexpr Production kProductions[kProductionCount] = {\n";
    for (int p = 0; p < grammar.productionCount(); ++p) {
        const Production& production = grammar.productions[p];
        out << "    {" << production.lhs << ", " << production.rhs.size() << ", " << production.valueOffset
            << ", Action::" << grammar.actionNames[production.action] << "},  // " << p << ": "
            << grammar.productionText(p) << "\n";
    }
    out << "};\n";
}

void emitTables(std::ostringstream& out, const ParseTables& tables) {
    out << "// 0: error; > 0: shift to that state; < 0: reduce by production -entry.\n";
    emitMatrix(out, "inline constexpr std::int16_t kAction[kStateCount][kTerminalCount]", tables.action);
    out << "// State to go to after reducing to a nonterminal; -1: none.\n";
    emitMatrix(out, "inline constexpr std::int16_t kGoto[kStateCount][kNonterminalCount]", tables.gotoState);
    out << "// Used when the kAction entry is empty; -1: none.\n";
    emitVector(out, "inline constexpr std::int16_t kDefaultReduction[kStateCount]", tables.defaultReduction);
    out << "// Reduce by this production without reading a token; -1: none.\n";
    emitVector(out, "inline constexpr std::int16_t kReduceWithoutLookahead[kStateCount]",
               tables.reduceWithoutLookahead);
}

void emitNames(std::ostringstream& out, const Grammar& grammar) {
    emitNameArray(out, "inline constexpr const char* kTerminalNames[kTerminalCount]", grammar.terminalNames);
    std::vector<std::string> nonterminalNames;
    for (const Nonterminal& nonterminal : grammar.nonterminals) nonterminalNames.push_back(nonterminal.name);
    emitNameArray(out, "inline constexpr const char* kNonterminalNames[kNonterminalCount]", nonterminalNames);
    std::vector<std::string> productionTexts;
    for (int p = 0; p < grammar.productionCount(); ++p) productionTexts.push_back(grammar.productionText(p));
    emitNameArray(out, "inline constexpr const char* kProductionTexts[kProductionCount]", productionTexts);
}

}  // namespace

std::string cppStringLiteral(const std::string& text) {
    std::string literal = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') literal += '\\';
        literal += c;
    }
    return literal + "\"";
}

std::string emitTablesHeader(const Grammar& grammar, const ParseTables& tables,
                             const std::vector<TokenDefinition>& tokens, const std::string& grammarFileName) {
    requireInt16(tables.stateCount(), "states");
    requireInt16(grammar.productionCount(), "productions");
    std::ostringstream out;
    out << "// Generated by lalrgen from " << grammarFileName << ". Do not edit.\n"
        << "#pragma once\n#include <bit>\n#include <cstddef>\n#include <cstdint>\n\nnamespace zeb::grammar {\n\n";
    emitActionEnum(out, grammar);
    out << "\n";
    emitOperands(out, grammar);
    out << "\n";
    emitKeywordHash(out, tokens);
    out << "\n";
    emitCounts(out, grammar, tables);
    out << "\n";
    emitProductions(out, grammar);
    out << "\n";
    emitTables(out, tables);
    out << "\n";
    emitNames(out, grammar);
    out << "\n}  // namespace zeb::grammar\n";
    return out.str();
}

}  // namespace zeb::lalrgen

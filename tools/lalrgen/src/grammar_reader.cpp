#include "grammar_reader.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <optional>
#include <set>

#include "grammar_checks.h"
#include "grammar_error.h"
#include "grammar_lexer.h"

namespace zeb::lalrgen {
namespace {

// The enum in the generated header is std::uint8_t and slot 0 is None.
constexpr std::size_t kMaxActions = 255;

bool isNonterminalName(const std::string& name) {
    for (char c : name) {
        if (!(c == '_' || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

// The generated accessors are C++ member functions: their names must not be
// the words of C++, nor the accessor struct's own member.
bool isReservedOperandName(const std::string& name) {
    static const std::set<std::string> kReserved = {
        "rhs",          "alignas",   "alignof",       "and",
        "and_eq",       "asm",       "auto",          "bitand",
        "bitor",        "bool",      "break",         "case",
        "catch",        "char",      "char8_t",       "char16_t",
        "char32_t",     "class",     "compl",         "concept",
        "const",        "consteval", "constexpr",     "constinit",
        "const_cast",   "continue",  "co_await",      "co_return",
        "co_yield",     "decltype",  "default",       "delete",
        "do",           "double",    "dynamic_cast",  "else",
        "enum",         "explicit",  "export",        "extern",
        "false",        "float",     "for",           "friend",
        "goto",         "if",        "inline",        "int",
        "long",         "mutable",   "namespace",     "new",
        "noexcept",     "not",       "not_eq",        "nullptr",
        "operator",     "or",        "or_eq",         "private",
        "protected",    "public",    "register",      "reinterpret_cast",
        "requires",     "return",    "short",         "signed",
        "sizeof",       "static",    "static_assert", "static_cast",
        "struct",       "switch",    "template",      "this",
        "thread_local", "throw",     "true",          "try",
        "typedef",      "typeid",    "typename",      "union",
        "unsigned",     "using",     "virtual",       "void",
        "volatile",     "wchar_t",   "while",         "xor",
        "xor_eq",
    };
    return kReserved.contains(name);
}

std::string describeOperands(const std::vector<NamedOperand>& operands) {
    if (operands.empty()) return "none";
    std::string text;
    for (const NamedOperand& operand : operands) {
        text += (text.empty() ? "" : ", ") + operand.name + " at " + std::to_string(operand.position);
    }
    return text;
}

// One element of an alternative as written: a grammar symbol or an @action point.
struct WrittenItem {
    std::optional<Symbol> symbol;
    int actionPoint = kNoAction;
    std::string operandName = {};
};

class GrammarParser {
public:
    GrammarParser(std::string_view text, const std::string& sourceName, const std::vector<TokenDefinition>& tokens)
        : lexer_(text, sourceName) {
        grammar_.sourceName = sourceName;
        grammar_.terminalNames.push_back("$end");
        grammar_.terminalValueMembers.push_back("");
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            const std::string spelling = grammarSpelling(tokens[i]);
            grammar_.terminalNames.push_back(spelling);
            grammar_.terminalValueMembers.push_back(tokens[i].valueMember);
            (tokens[i].kind == TokenKind::Class ? classTerminals_ : quotedTerminals_)[tokens[i].spelling] =
                static_cast<int>(i) + 1;
        }
        grammar_.nonterminals.push_back({"$accept", 0, false});
        grammar_.actionNames.push_back("None");
        grammar_.actionOperands.emplace_back();
        actionFirstUse_.push_back(0);
        grammar_.productions.push_back({kAcceptNonterminal, {}, 2, kNoAction, 0});
    }

    Grammar parse() {
        advance();
        while (current_.kind != GrammarTokenKind::EndOfFile) {
            if (current_.kind == GrammarTokenKind::StartDirective) {
                parseStartDirective();
            } else if (current_.kind == GrammarTokenKind::Name) {
                parseRule();
            } else {
                fail("expected a rule or %start, found " + describe(current_));
            }
        }
        finishAcceptProduction();
        return std::move(grammar_);
    }

private:
    void advance() { current_ = lexer_.next(); }

    [[noreturn]] void fail(const std::string& message) const { failAt(current_.line, message); }

    [[noreturn]] void failAt(int line, const std::string& message) const {
        throw GrammarError(locatedMessage(grammar_.sourceName, line, message));
    }

    void expect(GrammarTokenKind kind, const std::string& what) {
        if (current_.kind != kind) fail("expected " + what + ", found " + describe(current_));
        advance();
    }

    int nonterminalIndex(const std::string& name, int line) {
        auto [it, inserted] = nonterminalIndices_.try_emplace(name, grammar_.nonterminalCount());
        if (inserted) grammar_.nonterminals.push_back({name, line, false});
        return it->second;
    }

    int actionIndex(const std::string& name) {
        if (name == "None") fail("'None' is reserved and cannot name an action");
        auto [it, inserted] = actionIndices_.try_emplace(name, static_cast<int>(grammar_.actionNames.size()));
        if (inserted) {
            grammar_.actionNames.push_back(name);
            grammar_.actionOperands.emplace_back();
            actionFirstUse_.push_back(0);
        }
        if (grammar_.actionNames.size() > kMaxActions + 1) fail("more than 255 distinct action names");
        return it->second;
    }

    void parseStartDirective() {
        if (startName_) fail("%start given twice");
        advance();
        if (current_.kind != GrammarTokenKind::Name || !isNonterminalName(current_.text)) {
            fail("expected a nonterminal name after %start, found " + describe(current_));
        }
        startName_ = current_.text;
        startLine_ = current_.line;
        advance();
    }

    void parseRule() {
        if (!isNonterminalName(current_.text) || classTerminals_.contains(current_.text)) {
            fail("'" + current_.text + "' cannot be defined: nonterminals are written in lower_case_with_underscores");
        }
        if (!current_.operandName.empty()) {
            fail("'" + current_.text + ":" + current_.operandName +
                 "' reads as a named operand; a rule's ':' needs a blank after it");
        }
        const int lhs = nonterminalIndex(current_.text, current_.line);
        if (!firstRuleLhs_) firstRuleLhs_ = lhs;
        advance();
        expect(GrammarTokenKind::Colon, "':' after the rule's name");
        parseAlternative(lhs);
        while (current_.kind == GrammarTokenKind::Bar) {
            advance();
            parseAlternative(lhs);
        }
        expect(GrammarTokenKind::Semicolon, "'|' or ';'");
    }

    Symbol symbolForName(const GrammarToken& token) {
        if (auto it = classTerminals_.find(token.text); it != classTerminals_.end())
            return Symbol::terminal(it->second);
        if (!isNonterminalName(token.text)) fail("unknown terminal " + token.text);
        return Symbol::nonterminal(nonterminalIndex(token.text, token.line));
    }

    Symbol symbolForQuoted(const GrammarToken& token) {
        auto it = quotedTerminals_.find(token.text);
        if (it == quotedTerminals_.end()) fail("unknown terminal \"" + token.text + "\"");
        return Symbol::terminal(it->second);
    }

    void parseAlternative(int lhs) {
        const int line = current_.line;
        std::vector<WrittenItem> items;
        bool markedEmpty = false;
        for (;; advance()) {
            if (current_.kind == GrammarTokenKind::Name) {
                items.push_back({symbolForName(current_), kNoAction, current_.operandName});
            } else if (current_.kind == GrammarTokenKind::Quoted) {
                items.push_back({symbolForQuoted(current_), kNoAction, current_.operandName});
            } else if (current_.kind == GrammarTokenKind::ActionPoint) {
                items.push_back({std::nullopt, actionIndex(current_.text)});
            } else if (current_.kind == GrammarTokenKind::EmptyDirective) {
                markedEmpty = true;
            } else {
                break;
            }
        }
        if (markedEmpty && !items.empty()) fail("%empty in an alternative that has symbols");
        int action = kNoAction;
        if (current_.kind == GrammarTokenKind::Arrow) {
            advance();
            if (current_.kind != GrammarTokenKind::Name)
                fail("expected an action name after '=>', found " + describe(current_));
            action = actionIndex(current_.text);
            advance();
        }
        addProductions(lhs, items, action, line);
    }

    // The named operands of an alternative, with their positions in the holder.
    std::vector<NamedOperand> namedOperands(const std::vector<WrittenItem>& items, int line) const {
        std::vector<NamedOperand> operands;
        std::set<std::string> names;
        for (std::size_t i = 0; i < items.size(); ++i) {
            const WrittenItem& item = items[i];
            if (item.operandName.empty()) continue;
            const std::string& name = item.operandName;
            const Symbol symbol = *item.symbol;
            if (!symbol.isTerminal || grammar_.terminalValueMembers[symbol.index].empty()) {
                failAt(line, "operand name '" + name + "' on " + grammar_.symbolName(symbol) +
                                 ": only a token class carries a value");
            }
            if (isReservedOperandName(name)) failAt(line, "'" + name + "' is reserved and cannot name an operand");
            if (!names.insert(name).second)
                failAt(line, "operand name '" + name + "' is used twice in one alternative");
            operands.push_back({name, static_cast<int>(i), symbol.index});
        }
        return operands;
    }

    // Every use of an action must offer it the same operands: the accessors
    // generated for it read the same places whichever production runs it.
    void recordActionOperands(int action, std::vector<NamedOperand> operands, int line) {
        if (actionFirstUse_[action] == 0) {
            actionFirstUse_[action] = line;
            grammar_.actionOperands[action] = std::move(operands);
            return;
        }
        const std::vector<NamedOperand>& first = grammar_.actionOperands[action];
        if (first == operands) return;
        failAt(line, "action '" + grammar_.actionNames[action] + "' reads operands " + describeOperands(operands) +
                         " here but " + describeOperands(first) + " at line " +
                         std::to_string(actionFirstUse_[action]) +
                         ": every use of an action must name the same operands in the same places");
    }

    static std::vector<NamedOperand> operandsBefore(const std::vector<NamedOperand>& operands, int position) {
        std::vector<NamedOperand> before;
        std::copy_if(operands.begin(), operands.end(), std::back_inserter(before),
                     [&](const NamedOperand& operand) { return operand.position < position; });
        return before;
    }

    // Action points become empty productions written just before their holder.
    // A named operand must be read by some action: one whose action point
    // follows it, or the alternative's end action.
    void addProductions(int lhs, const std::vector<WrittenItem>& items, int action, int line) {
        const std::vector<NamedOperand> operands = namedOperands(items, line);
        int lastActionPoint = -1;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (!items[i].symbol) lastActionPoint = static_cast<int>(i);
        }
        for (const NamedOperand& operand : operands) {
            if (action == kNoAction && operand.position > lastActionPoint) {
                failAt(line, "operand '" + operand.name +
                                 "' is read by no action: no action point follows it and the alternative has no "
                                 "'=>' action");
            }
        }
        Production holder{lhs, {}, 0, action, line};
        for (const WrittenItem& item : items) {
            if (item.symbol) {
                holder.rhs.push_back(*item.symbol);
                continue;
            }
            const int production = grammar_.productionCount();
            const std::string name = "@" + grammar_.actionNames[item.actionPoint] + "." + std::to_string(production);
            const int marker = grammar_.nonterminalCount();
            grammar_.nonterminals.push_back({name, line, true});
            const int offset = static_cast<int>(holder.rhs.size());
            std::vector<NamedOperand> visible = operandsBefore(operands, offset);
            recordActionOperands(item.actionPoint, visible, line);
            grammar_.productions.push_back({marker, {}, offset, item.actionPoint, line, std::move(visible)});
            holder.rhs.push_back(Symbol::nonterminal(marker));
        }
        holder.valueOffset = static_cast<int>(holder.rhs.size());
        if (action != kNoAction) {
            recordActionOperands(action, operands, line);
            holder.operands = operands;
        }
        grammar_.productions.push_back(std::move(holder));
    }

    void finishAcceptProduction() {
        if (!firstRuleLhs_)
            throw GrammarError(locatedMessage(grammar_.sourceName, current_.line, "the grammar has no rules"));
        grammar_.startSymbol = startName_ ? nonterminalIndex(*startName_, startLine_) : *firstRuleLhs_;
        grammar_.productions[kAcceptProduction].rhs = {Symbol::nonterminal(grammar_.startSymbol),
                                                       Symbol::terminal(kEndOfInput)};
    }

    GrammarLexer lexer_;
    GrammarToken current_{GrammarTokenKind::EndOfFile, "", 1};
    Grammar grammar_;
    std::map<std::string, int> quotedTerminals_;
    std::map<std::string, int> classTerminals_;
    std::map<std::string, int> nonterminalIndices_;
    std::map<std::string, int> actionIndices_;
    std::vector<int> actionFirstUse_;  // per action: the line of its first use, 0 before it
    std::optional<std::string> startName_;
    int startLine_ = 0;
    std::optional<int> firstRuleLhs_;
};

}  // namespace

Grammar parseGrammar(std::string_view text, const std::string& sourceName, const std::vector<TokenDefinition>& tokens) {
    return GrammarParser(text, sourceName, tokens).parse();
}

Grammar readGrammar(std::string_view text, const std::string& sourceName, const std::vector<TokenDefinition>& tokens) {
    Grammar grammar = parseGrammar(text, sourceName, tokens);
    checkGrammar(grammar);
    return grammar;
}

}  // namespace zeb::lalrgen

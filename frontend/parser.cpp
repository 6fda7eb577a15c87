#include "frontend/parser.h"

#include <algorithm>

#include "frontend/error_report.h"
#include "frontend/grammar_actions.h"
#include "frontend/grammar_tables.h"

namespace zeb {
namespace {

constexpr int kNoLookahead = -1;

static_assert(grammar::kFirstTokenNumber == kFirstTokenNumber);
static_assert(grammar::kTerminalCount == kLastTokenNumber - kFirstTokenNumber + 2);

// The table column of a token number; unknown numbers get no entry anywhere.
int terminalColumn(int token) {
    if (token == 0) return 0;
    if (token < kFirstTokenNumber || token > kLastTokenNumber) return -1;
    return token - kFirstTokenNumber + 1;
}

}  // namespace

Parser::Parser(Lexer& lexer, Mission& mission, std::string& diagnostics)
    : lexer_(lexer), context_(mission), diagnostics_(diagnostics) {}

void Parser::reportError(std::string_view cause) {
    diagnostics_ += formatErrorReport(lexer_.lineNumber(), lexer_.tokenText(), lexer_.hasMatched(), cause);
}

// The stacks grow by doubling from 200 entries up to the limit; reaching the
// limit is an error rather than a reallocation.
bool Parser::push(int state, const SemanticValue& value) {
    if (states_.size() + 1 >= kStackLimit) {
        reportError("parser stack overflow");
        result_ = kParseStackOverflow;
        return false;
    }
    if (states_.size() == states_.capacity()) {
        const std::size_t capacity = std::min(states_.capacity() * 2, kStackLimit);
        states_.reserve(capacity);
        values_.reserve(capacity);
    }
    states_.push_back(state);
    values_.push_back(value);
    return true;
}

bool Parser::reduce(int production) {
    const grammar::Production& rule = grammar::kProductions[production];
    const std::size_t height = states_.size();
    if (rule.action != grammar::Action::None) {
        // The action reads the values of the symbols of its production,
        // which are the topmost entries of the value stack.
        const SemanticValue* rhs = values_.data() + (height - rule.valueOffset);
        if (NameError error = runGrammarAction(rule.action, context_, rhs)) {
            reportError(*error);
            result_ = kParseFailed;
            return false;
        }
    }
    const SemanticValue result = rule.length > 0 ? values_[height - rule.length] : SemanticValue{};
    states_.resize(height - rule.length);
    values_.resize(height - rule.length);
    return push(grammar::kGoto[states_.back()][rule.lhs], result);
}

ParseResult Parser::parse() {
    states_.assign(1, 0);
    values_.assign(1, SemanticValue{});
    states_.reserve(200);
    values_.reserve(200);
    int lookahead = kNoLookahead;
    for (;;) {
        const int state = states_.back();
        if (const int forced = grammar::kReduceWithoutLookahead[state]; forced >= 0) {
            if (!reduce(forced)) return result_;
            continue;
        }
        if (lookahead == kNoLookahead) {
            lookahead = lexer_.nextToken();
            if (lookahead == Lexer::kLexicalError) {
                diagnostics_ += lexer_.errorMessage();
                return kParseLexicalError;
            }
        }
        const int column = terminalColumn(lookahead);
        const int entry = column < 0 ? 0 : grammar::kAction[state][column];
        if (entry > 0) {
            if (entry == grammar::kFinalState) return kParseSucceeded;
            if (!push(entry, lexer_.value())) return result_;
            lookahead = kNoLookahead;
        } else if (entry < 0) {
            if (!reduce(-entry)) return result_;
        } else if (const int fallback = grammar::kDefaultReduction[state]; fallback >= 0) {
            if (!reduce(fallback)) return result_;
        } else {
            reportError("parse error");
            return kParseFailed;
        }
    }
}

}  // namespace zeb

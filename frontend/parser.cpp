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

// Reaching the limit is an error, not an enlargement: the push of the last
// entry ends the parse.
bool Parser::push(int state, const SemanticValue& value) {
    if (height_ + 1 >= kStackLimit) {
        reportError("parser stack overflow");
        result_ = kParseStackOverflow;
        return false;
    }
    states_[height_] = state;
    values_[height_] = value;
    ++height_;
    return true;
}

bool Parser::reduce(int production) {
    const grammar::Production& rule = grammar::kProductions[production];
    if (rule.action != grammar::Action::None) {
        // The action reads the values of the symbols of its production,
        // which are the topmost entries of the value stack.
        const SemanticValue* rhs = &values_[height_ - rule.valueOffset];
        if (NameError error = runGrammarAction(rule.action, context_, rhs)) {
            reportError(*error);
            result_ = kParseFailed;
            return false;
        }
    }
    const SemanticValue result = rule.length > 0 ? values_[height_ - rule.length] : SemanticValue{};
    height_ -= rule.length;
    return push(grammar::kGoto[states_[height_ - 1]][rule.lhs], result);
}

ParseResult Parser::parse() {
    if (!states_) {
        states_ = std::make_unique<int[]>(kStackLimit);
        values_ = std::make_unique<SemanticValue[]>(kStackLimit);
    }
    states_[0] = 0;
    values_[0] = SemanticValue{};
    height_ = 1;
    int lookahead = kNoLookahead;
    for (;;) {
        const int state = states_[height_ - 1];
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

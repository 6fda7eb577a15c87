#include "frontend/parser.h"

#include <array>
#include <cstdint>

#include "frontend/error_report.h"
#include "frontend/grammar_actions.h"
#include "frontend/grammar_tables.h"
#include "frontend/parse_steps.h"

namespace zeb {
namespace {

static_assert(grammar::kFirstTokenNumber == kFirstTokenNumber);
static_assert(grammar::kTerminalCount == kLastTokenNumber - kFirstTokenNumber + 2);

// Production 0 is only ever accepted, never reduced: a negated production
// number can then never be mistaken for an error entry.
constexpr bool noStateFallsBackOnProductionZero() {
    for (int state = 0; state < grammar::kStateCount; ++state) {
        if (grammar::kDefaultReduction[state] == 0 || grammar::kReduceWithoutLookahead[state] == 0) return false;
    }
    return true;
}
static_assert(noStateFallsBackOnProductionZero());

// A state that reduces without a look-ahead must reduce the same way with
// one: the engine consults kReduceWithoutLookahead only before reading a
// token, and otherwise trusts the step table.
constexpr bool forcedReductionsAgreeWithSteps() {
    for (int state = 0; state < grammar::kStateCount; ++state) {
        const int forced = grammar::kReduceWithoutLookahead[state];
        if (forced < 0) continue;
        for (int column = 0; column < kStepColumns; ++column) {
            if (kSteps[state][column] != -forced) return false;
        }
    }
    return true;
}
static_assert(forcedReductionsAgreeWithSteps());

// Stacks of finished parsers, for the next parse on the same thread: a
// tool that checks thousands of small files would otherwise make and clear
// 280 KB for each. A few are kept, for parsers that run inside one another.
struct SpareStacks {
    std::unique_ptr<int[]> states;
    std::unique_ptr<SemanticValue[]> values;
};
constexpr std::size_t kMostSpareStacks = 4;
thread_local std::vector<SpareStacks> spareStacks;

}  // namespace

Parser::Parser(Lexer& lexer, Mission& mission, std::string& diagnostics)
    : lexer_(lexer), builder_(mission), diagnostics_(diagnostics) {}

Parser::~Parser() {
    if (!states_ || spareStacks.size() >= kMostSpareStacks) return;
    spareStacks.push_back(SpareStacks{std::move(states_), std::move(values_)});
}

Parser::Parser(Lexer& lexer, Mission& mission, std::string& diagnostics, ParseObserver& observer)
    : lexer_(lexer), builder_(mission), observer_(&observer), diagnostics_(diagnostics) {
    builder_.keepGoingAfterNameErrors(true);
}

// The tokens that would have fitted where the refused one stood. A default
// reduction hides what its state would have taken, and LALR states shared
// by several contexts take more than each context does, so each token is
// tried on the stack as it was when the refused token was read.
std::vector<int> Parser::expectedTokens(std::size_t height) const {
    std::vector<int> stack(states_.get(), states_.get() + height);
    for (auto undo = reducedSinceRead_.rbegin(); undo != reducedSinceRead_.rend(); ++undo) {
        const auto taken = undoneStates_.begin() + static_cast<std::ptrdiff_t>(undo->firstState);
        stack.resize(undo->height - undo->length);
        stack.insert(stack.end(), taken, taken + static_cast<std::ptrdiff_t>(undo->length));
    }
    std::vector<int> tokens;
    for (int column = 0; column < grammar::kTerminalCount; ++column) {
        std::vector<int> trial = stack;
        // A reduction shortens the stack or keeps it, so this ends.
        for (;;) {
            const int step = kSteps[trial.back()][column];
            if (step > 0) {
                tokens.push_back(column == 0 ? 0 : column - 1 + kFirstTokenNumber);
                break;
            }
            if (step == 0) break;
            const grammar::Production& rule = grammar::kProductions[-step];
            trial.resize(trial.size() - rule.length);
            trial.push_back(grammar::kGoto[trial.back()][rule.lhs]);
            if (rule.length == 0 && trial.size() > height + grammar::kStateCount) break;
        }
    }
    return tokens;
}

void Parser::reportError(std::string_view cause) {
    diagnostics_ += formatErrorReport(lexer_.lineNumber(), lexer_.tokenText(), lexer_.hasMatched(), cause);
}

// Reaching the limit is an error, not an enlargement: the push of the last
// entry ends the parse.
ParseResult Parser::stackOverflow() {
    reportError("parser stack overflow");
    return kParseStackOverflow;
}

// Kept out of the engine's loop: most reductions have no action, and the
// actions' code would only crowd the loop's registers.
bool Parser::runAction(int production, const SemanticValue* rhs) {
    if (NameError error = runGrammarAction(grammar::kProductions[production].action, builder_, rhs)) {
        if (observer_ != nullptr && observer_->onNameError(error, lexer_)) return true;
        reportError(error.cause());
        return false;
    }
    return true;
}

void Parser::noteReduction(std::size_t height, int length) {
    const int* states = states_.get();
    reducedSinceRead_.push_back(UndoneReduction{height, undoneStates_.size(), static_cast<std::size_t>(length)});
    undoneStates_.insert(undoneStates_.end(), states + height - length, states + height);
}

ParseResult Parser::parse() {
    if (!states_ && !spareStacks.empty()) {
        states_ = std::move(spareStacks.back().states);
        values_ = std::move(spareStacks.back().values);
        spareStacks.pop_back();
    } else if (!states_) {
        states_ = std::make_unique<int[]>(kStackLimit);
        values_ = std::make_unique<SemanticValue[]>(kStackLimit);
    }
    const Start start{lexer_.scanPosition(), lexer_.bytesLeft(), lexer_.lineNumber()};
    if (observer_ == nullptr && start.size >= deferActionsFrom_ && !lexer_.hasMatched() &&
        DeferredActions::worthwhile()) {
        DeferredActions deferred(builder_);
        return run<true>(&deferred, start);
    }
    return run<false>(nullptr, start);
}

ParseResult Parser::settle(DeferredActions& deferred, Start start) {
    const DeferredActions::Outcome outcome = deferred.finish();
    if (!outcome.error) return kParseSucceeded;
    reportDeferredFailure(outcome, start);
    return kParseFailed;
}

void Parser::reportDeferredFailure(const DeferredActions::Outcome& outcome, Start start) {
    Lexer again(start.at, start.size);
    again.startAtLine(start.line);
    // The parse's own stack, which it no longer needs; the walk cannot grow
    // it past the height the parse reached before the failed action.
    int* const stack = states_.get();
    stack[0] = 0;
    std::size_t height = 1;
    std::uint64_t actions = 0;
    int column = kNoLookahead;
    for (;;) {
        const int state = stack[height - 1];
        int step;
        if (column != kNoLookahead) {
            step = kSteps[state][column];
        } else if (const int forced = grammar::kReduceWithoutLookahead[state]; forced >= 0) {
            step = -forced;
        } else {
            const int token = again.nextToken();
            // The first walk went past the failed action, so this one meets
            // no error before it; should it, the report names where it stopped.
            if (token == Lexer::kLexicalError) break;
            column = terminalColumn(token);
            step = kSteps[state][column];
        }
        if (step > 0 && step != grammar::kFinalState && height < kStackLimit) {
            stack[height++] = step;
            column = kNoLookahead;
            continue;
        }
        if (step < 0) {
            const grammar::Production& rule = grammar::kProductions[-step];
            if (rule.action != grammar::Action::None && actions++ == outcome.failedAction) break;
            height -= rule.length;
            if (height >= kStackLimit) break;
            stack[height] = grammar::kGoto[stack[height - 1]][rule.lhs];
            ++height;
            continue;
        }
        break;
    }
    diagnostics_ += formatErrorReport(again.lineNumber(), again.tokenText(), again.hasMatched(), outcome.error.cause());
}

template <bool Deferring>
ParseResult Parser::run(DeferredActions* deferred, Start start) {
    // The stacks live in locals for the whole loop; height counts entries.
    int* const states = states_.get();
    // In a local, so the loop need not reload it after every call.
    ParseObserver* const observer = observer_;
    SemanticValue* const values = values_.get();
    states[0] = 0;
    values[0] = SemanticValue{};
    std::size_t height = 1;
    int state = 0;
    int column = kNoLookahead;
    for (;;) {
        int step;
        if (column != kNoLookahead) {
            step = kSteps[state][column];
        } else if (const int forced = grammar::kReduceWithoutLookahead[state]; forced >= 0) {
            step = -forced;
        } else {
            const int token = lexer_.nextToken();
            if (token == Lexer::kLexicalError) {
                if constexpr (Deferring) {
                    if (const ParseResult earlier = settle(*deferred, start); earlier != kParseSucceeded)
                        return earlier;
                }
                diagnostics_ += lexer_.errorMessage();
                return kParseLexicalError;
            }
            column = terminalColumn(token);
            step = kSteps[state][column];
            if (observer != nullptr) {
                reducedSinceRead_.clear();
                undoneStates_.clear();
            }
        }
        if (step > 0) {
            if (step == grammar::kFinalState) {
                if constexpr (Deferring) return settle(*deferred, start);
                return kParseSucceeded;
            }
            if (height + 1 >= kStackLimit) {
                if constexpr (Deferring) {
                    if (const ParseResult earlier = settle(*deferred, start); earlier != kParseSucceeded)
                        return earlier;
                }
                return stackOverflow();
            }
            states[height] = step;
            values[height] = lexer_.value();
            ++height;
            state = step;
            column = kNoLookahead;
            continue;
        }
        if (step == 0) {
            if constexpr (Deferring) {
                if (const ParseResult earlier = settle(*deferred, start); earlier != kParseSucceeded) return earlier;
            }
            if (observer != nullptr) {
                const int token = column == 0 ? 0 : column - 1 + kFirstTokenNumber;
                observer->onSyntaxError(token, expectedTokens(height), lexer_);
            }
            reportError("parse error");
            return kParseFailed;
        }
        const int production = -step;
        const grammar::Production& rule = grammar::kProductions[production];
        if (observer != nullptr && column != kNoLookahead) noteReduction(height, rule.length);
        if (rule.action != grammar::Action::None) {
            // The action reads the values of the symbols of its production,
            // which are the topmost entries of the value stack.
            const SemanticValue* rhs = &values[height - rule.valueOffset];
            if constexpr (Deferring) {
                if (!deferred->add(production, rhs, rule.valueOffset)) return settle(*deferred, start);
            } else if (!runAction(production, rhs)) {
                return kParseFailed;
            }
        }
        // The result is the first symbol's value, and it already stands
        // where the result goes; an empty production pushes an empty value,
        // the only reduction that can grow the stacks.
        height -= rule.length;
        if (rule.length == 0) {
            if (height + 1 >= kStackLimit) {
                if constexpr (Deferring) {
                    if (const ParseResult earlier = settle(*deferred, start); earlier != kParseSucceeded)
                        return earlier;
                }
                return stackOverflow();
            }
            values[height] = SemanticValue{};
        }
        state = grammar::kGoto[states[height - 1]][rule.lhs];
        states[height] = state;
        ++height;
    }
}

}  // namespace zeb

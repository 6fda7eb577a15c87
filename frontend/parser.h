#pragma once

// The table-driven LALR(1) engine. It pulls tokens from the lexer, runs the
// grammar's actions as productions are recognised, and stops at the end of
// input or at the first error with one report.

#include <memory>
#include <string>
#include <vector>

#include "frontend/deferred_actions.h"
#include "frontend/grammar_actions.h"
#include "frontend/lexer.h"
#include "model/mission_builder.h"

namespace zeb {

class Mission;

enum ParseResult : int {
    kParseSucceeded = 0,
    kParseFailed = 1,         // a syntax or name error; the report is written
    kParseStackOverflow = 2,  // the stack limit; the report is written
    kParseLexicalError = 3,   // the lexer's own message is written instead
};

// What the companion tools learn of a parse beyond the one legacy report.
// The legacy path has no observer and pays nothing for this.
class ParseObserver {
public:
    // A failed name check, with the lexer as it stood; true to go on parsing
    // as if the check had passed.
    virtual bool onNameError(const NameError& error, const Lexer& lexer) = 0;
    // A token that fits no production: its number, and the tokens that would
    // have fitted there.
    virtual void onSyntaxError(int token, const std::vector<int>& expected, const Lexer& lexer) = 0;

protected:
    ~ParseObserver() = default;
};

class Parser {
public:
    // Both stacks hold at most this many entries; the push of the last one
    // ends the parse instead.
    static constexpr std::size_t kStackLimit = 10000;

    // Reports are appended to diagnostics, for the caller to print.
    Parser(Lexer& lexer, Mission& mission, std::string& diagnostics);
    Parser(Lexer& lexer, Mission& mission, std::string& diagnostics, ParseObserver& observer);
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;
    // Hands the stacks on to the thread's next parser.
    ~Parser();

    ParseResult parse();

    // A parse with no observer of a text of at least this many bytes runs
    // the grammar's actions on a second thread; the outcome is the same
    // either way. 0 sends every such parse there (for tests).
    void deferActionsFrom(std::size_t bytes) { deferActionsFrom_ = bytes; }

    // The builder, to ask it to record names before the parse.
    MissionBuilder& builder() { return builder_; }

private:
    // Where the parse began, to walk it again from there.
    struct Start {
        const char* at;
        std::size_t size;
        std::int64_t line;
    };
    // The loop, with the actions run in it or handed to a second thread
    // (a parse with no observer and a large text). The engine's loop and
    // the scanner's common paths make one function: a call per token costs
    // about as much as the shortest of those paths.
    template <bool Deferring>
    [[gnu::flatten]] ParseResult run(DeferredActions* deferred, Start start);
    // Waits for the deferred actions; when one failed, its report is
    // written and the parse has failed.
    [[gnu::noinline]] ParseResult settle(DeferredActions& deferred, Start start);
    // The report of a deferred action that failed: the parse is walked
    // again from its start, with no action run, up to that action, for the
    // token the report names.
    [[gnu::flatten]] void reportDeferredFailure(const DeferredActions::Outcome& outcome, Start start);

    // With an observer the loop also keeps the states it reduced in since
    // the last token was read, to name the tokens a syntax error expected.
    [[gnu::noinline]] void noteReduction(std::size_t height, int length);
    [[gnu::noinline]] std::vector<int> expectedTokens(std::size_t height) const;
    // Runs a production's action on the values of its symbols; false when a
    // name check failed, with the report written.
    [[gnu::noinline]] bool runAction(int production, const SemanticValue* rhs);
    [[gnu::noinline]] ParseResult stackOverflow();
    [[gnu::noinline]] void reportError(std::string_view cause);

    Lexer& lexer_;
    MissionBuilder builder_;
    ParseObserver* observer_ = nullptr;
    std::size_t deferActionsFrom_ = DeferredActions::kWorthFrom;
    // Each reduction since the token was read: the height before it and the
    // states it took off, so the stack the token met can be restored.
    // The states of all of them lie in one list, so noting one allocates
    // nothing once the lists have grown.
    struct UndoneReduction {
        std::size_t height;
        std::size_t firstState;  // in undoneStates_
        std::size_t length;
    };
    std::vector<UndoneReduction> reducedSinceRead_;
    std::vector<int> undoneStates_;
    std::string& diagnostics_;
    // The state stack and the value stack, side by side. Both are made at
    // their largest size once: the limit is small, and a push is then one
    // comparison and two stores. Making them costs more than parsing a small
    // file, so a finished parser leaves them to the next one on its thread.
    std::unique_ptr<int[]> states_;
    std::unique_ptr<SemanticValue[]> values_;
};

}  // namespace zeb

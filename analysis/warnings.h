#pragma once

// Warnings: places where the file says one thing and the compiler keeps
// another. They never make a file fail.

#include <optional>
#include <string_view>
#include <vector>

#include "analysis/diagnostic.h"
#include "frontend/construct_spans.h"
#include "frontend/token.h"
#include "model/mission.h"

namespace zeb {

// What the tokens alone show, before offset `limit` (the first error): an
// integer that wraps, a real that becomes infinite, a skill outside 1..5, a
// second code trigger that replaces the first.
void addTokenWarnings(std::string_view source, std::size_t limit, std::vector<Diagnostic>& out);

// The same warnings of a whole text, told its tokens by a pass that reads
// them anyway (the one that finds the constructs).
class TokenWarningScan final : public TokenObserver {
public:
    TokenWarningScan(std::string_view source, std::vector<Diagnostic>& out) : source_(source), out_(out) {}
    void onToken(int token, const Lexer& lexer) override;

private:
    void followSkill(Token token, Span span, const Lexer& lexer);
    void followTriggers(Token token, Span span);

    std::string_view source_;
    std::vector<Diagnostic>& out_;
    int skillStep_ = 0;
    int triggerStep_ = 0;
    std::size_t codeAt_ = 0;
    std::optional<Span> firstCode_;
};

// What the record shows: a location or area label declared again, which no
// lookup ever finds.
void addRecordWarnings(std::string_view source, const Mission& mission, std::vector<Diagnostic>& out);

}  // namespace zeb

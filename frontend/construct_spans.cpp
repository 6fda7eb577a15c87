#include "frontend/construct_spans.h"

#include "frontend/lexer.h"
#include "frontend/parse_steps.h"
#include "frontend/parser.h"

namespace zeb {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

struct Range {
    std::size_t begin = kNone;
    std::size_t end = kNone;
    bool empty() const { return begin == kNone; }
};

}  // namespace

int nonterminalNamed(std::string_view name) {
    for (int at = 0; at < grammar::kNonterminalCount; ++at) {
        if (name == grammar::kNonterminalNames[at]) return at;
    }
    return -1;
}

std::vector<ConstructSpan> constructSpans(std::string_view text, const std::vector<bool>& wanted,
                                          TokenObserver* tokens) {
    std::vector<ConstructSpan> found;
    // About one wanted construct to every 30 bytes of a typical mission.
    found.reserve(text.size() / 32);
    Lexer lexer(text.data(), text.size());
    // The stacks the parser would have; the text passed its limit.
    std::vector<int> states;
    std::vector<Range> ranges;
    states.reserve(Parser::kStackLimit);
    ranges.reserve(Parser::kStackLimit);
    states.push_back(0);
    ranges.push_back(Range{});
    Range lookahead;
    int column = kNoLookahead;
    for (;;) {
        int step;
        if (column != kNoLookahead) {
            step = kSteps[states.back()][column];
        } else if (const int forced = grammar::kReduceWithoutLookahead[states.back()]; forced >= 0) {
            step = -forced;
        } else {
            const int token = lexer.nextToken();
            if (token == Lexer::kLexicalError) return found;
            if (tokens != nullptr) tokens->onToken(token, lexer);
            const std::string_view matched = lexer.tokenText();
            const std::size_t at =
                matched.empty() ? text.size() : static_cast<std::size_t>(matched.data() - text.data());
            lookahead = Range{at, at + matched.size()};
            column = terminalColumn(token);
            step = kSteps[states.back()][column];
        }
        if (step > 0) {
            if (step == grammar::kFinalState || states.size() + 1 >= Parser::kStackLimit) return found;
            states.push_back(step);
            ranges.push_back(lookahead);
            column = kNoLookahead;
            continue;
        }
        if (step == 0) return found;
        const grammar::Production& rule = grammar::kProductions[-step];
        Range made;
        for (std::size_t at = ranges.size() - rule.length; at < ranges.size(); ++at) {
            if (ranges[at].empty()) continue;
            if (made.empty()) made.begin = ranges[at].begin;
            made.end = ranges[at].end;
        }
        states.resize(states.size() - rule.length);
        ranges.resize(ranges.size() - rule.length);
        if (!made.empty() && static_cast<std::size_t>(rule.lhs) < wanted.size() && wanted[rule.lhs]) {
            found.push_back(ConstructSpan{rule.lhs, made.begin, made.end});
        }
        states.push_back(grammar::kGoto[states.back()][rule.lhs]);
        ranges.push_back(made);
    }
}

}  // namespace zeb

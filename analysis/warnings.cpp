#include "analysis/warnings.h"

#include <cmath>
#include <optional>
#include <string>

#include "frontend/lexer.h"
#include "frontend/token.h"

namespace zeb {
namespace {

Diagnostic warning(std::string_view code, Span span, std::string message) {
    Diagnostic d;
    d.severity = Severity::Warning;
    d.code = code;
    d.span = span;
    d.message = std::move(message);
    return d;
}

// Whether the digits name a value the 16 bits cannot hold; any length.
bool wraps(std::string_view text) {
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) text.remove_prefix(1);
    while (text.size() > 1 && text[0] == '0') text.remove_prefix(1);
    if (text.size() > 5) return true;
    const long value = std::stol(std::string(text));
    return negative ? value > 32768 : value > 32767;
}

// The skill the record keeps for a value, as setting it limits it.
float limitedSkill(float value) {
    if (value > 5) return 5;
    if (value >= 1) return value;
    return 1;
}

}  // namespace

void TokenWarningScan::onToken(int token, const Lexer& lexer) {
    if (token == static_cast<int>(Token::End)) return;
    const std::optional<Span> found = spanIn(source_, lexer.tokenText());
    if (!found) return;
    const Span span = *found;
    const Token kind = static_cast<Token>(token);
    const std::string_view text = lexer.tokenText();
    if (kind == Token::Integer && wraps(text)) {
        out_.push_back(warning(code::kIntegerWraps, span,
                               "integer " + std::string(text) + " is outside -32768..32767 and is read as " +
                                   std::to_string(lexer.value().integer)));
    }
    if (kind == Token::Real && std::isinf(lexer.value().real)) {
        out_.push_back(
            warning(code::kRealInfinite, span, "real " + std::string(text) + " is too large and is read as infinite"));
    }
    followSkill(kind, span, lexer);
    followTriggers(kind, span);
}

// "skill" "=" number
void TokenWarningScan::followSkill(Token token, Span span, const Lexer& lexer) {
    if (token == Token::Skill) {
        skillStep_ = 1;
        return;
    }
    if (skillStep_ == 1 && token == Token::Equals) {
        skillStep_ = 2;
        return;
    }
    if (skillStep_ == 2 && (token == Token::Integer || token == Token::Real)) {
        const float value = token == Token::Integer ? static_cast<float>(lexer.value().integer) : lexer.value().real;
        const float kept = limitedSkill(value);
        if (!(kept == value)) {
            out_.push_back(warning(code::kSkillLimited, span,
                                   "skill " + std::string(lexer.tokenText()) + " is outside 1..5 and is read as " +
                                       (kept == 5 ? "5" : "1")));
        }
    }
    skillStep_ = 0;
}

// "on" "(" ... "code" STRING ... ")": the last code is the one kept.
void TokenWarningScan::followTriggers(Token token, Span span) {
    if (token == Token::On) {
        triggerStep_ = 1;
        return;
    }
    if (triggerStep_ == 1) {
        triggerStep_ = token == Token::LeftParen ? 2 : 0;
        firstCode_.reset();
        return;
    }
    if (triggerStep_ < 2) return;
    if (token == Token::RightParen) {
        triggerStep_ = 0;
    } else if (token == Token::Code) {
        codeAt_ = span.begin;
        triggerStep_ = 3;
    } else if (triggerStep_ == 3 && token == Token::String) {
        const Span code{codeAt_, span.end + 1};  // through the closing quote
        if (firstCode_) {
            Diagnostic d = warning(code::kCodeTriggerReplaced, code,
                                   "this code trigger replaces an earlier one; an on block keeps only its last code");
            d.notes.push_back(DiagnosticNote{*firstCode_, "the replaced code trigger"});
            out_.push_back(std::move(d));
        }
        firstCode_ = code;
        triggerStep_ = 2;
    } else {
        triggerStep_ = 2;
    }
}

namespace {

// A later declaration of a label that a lookup finds elsewhere.
void addRedeclared(std::string_view source, Text name, Text first, std::string_view code, const char* what,
                   std::vector<Diagnostic>& out) {
    const std::optional<Span> span = spanIn(source, name);
    if (!span) return;
    Diagnostic d = warning(code, *span,
                           std::string(what) + " '" + std::string(name) +
                               "' is declared again; every use refers to the first declaration");
    if (const auto firstSpan = spanIn(source, first))
        d.notes.push_back(DiagnosticNote{*firstSpan, "first declared here"});
    out.push_back(std::move(d));
}

}  // namespace

void addTokenWarnings(std::string_view source, std::size_t limit, std::vector<Diagnostic>& out) {
    TokenWarningScan scan(source, out);
    Lexer lexer(source.data(), source.size());
    for (;;) {
        const int token = lexer.nextToken();
        if (token == Lexer::kLexicalError || token == static_cast<int>(Token::End)) return;
        // A text joined from pieces is the scanner's own copy, without a
        // place in the source; the tokens after it still have theirs.
        const std::optional<Span> span = spanIn(source, lexer.tokenText());
        if (span && span->begin >= limit) return;
        scan.onToken(token, lexer);
    }
}

void addRecordWarnings(std::string_view source, const Mission& mission, std::vector<Diagnostic>& out) {
    for (const Location& location : mission.locations) {
        const Location* first = mission.findLocation(location.label);
        if (first != nullptr && first != &location) {
            addRedeclared(source, location.label, first->label, code::kDuplicateLocation, "location", out);
        }
    }
    for (const auto& area : mission.areas) {
        const Area* first = mission.findArea(area->label);
        if (first != nullptr && first != area.get()) {
            addRedeclared(source, area->label, first->label, code::kDuplicateArea, "area", out);
        }
    }
}

}  // namespace zeb

#include "grammar_lexer.h"

#include <cctype>

#include "grammar_error.h"

namespace zeb::lalrgen {
namespace {

bool startsIdentifier(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool continuesIdentifier(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

}  // namespace

GrammarLexer::GrammarLexer(std::string_view text, std::string sourceName)
    : text_(text), sourceName_(std::move(sourceName)) {}

void GrammarLexer::fail(const std::string& message) const {
    throw GrammarError(locatedMessage(sourceName_, line_, message));
}

void GrammarLexer::skipBlanksAndComments() {
    while (pos_ < text_.size()) {
        const char c = text_[pos_];
        if (c == '\n') {
            ++line_;
            ++pos_;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++pos_;
        } else if (c == '#') {
            while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
        } else {
            return;
        }
    }
}

std::string GrammarLexer::lexIdentifier() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && continuesIdentifier(text_[pos_])) ++pos_;
    return std::string(text_.substr(start, pos_ - start));
}

GrammarToken GrammarLexer::lexQuoted() {
    const int line = line_;
    std::string spelling;
    ++pos_;
    while (pos_ < text_.size() && text_[pos_] != '"' && text_[pos_] != '\n') {
        if (text_[pos_] == '\\' && pos_ + 1 < text_.size()) ++pos_;
        spelling += text_[pos_++];
    }
    if (pos_ >= text_.size() || text_[pos_] != '"') fail("unterminated quoted token");
    ++pos_;
    if (spelling.empty()) fail("empty quoted token");
    return {GrammarTokenKind::Quoted, spelling, line};
}

GrammarToken GrammarLexer::lexDirective() {
    ++pos_;
    const std::string word = lexIdentifier();
    if (word == "start") return {GrammarTokenKind::StartDirective, "%start", line_};
    if (word == "empty") return {GrammarTokenKind::EmptyDirective, "%empty", line_};
    fail("unknown directive '%" + word + "'");
}

// A ':' directly between a symbol and a name names the symbol's value; a
// rule's own ':' is followed by a blank or a symbol's quote, never a letter.
GrammarToken GrammarLexer::withOperandName(GrammarToken symbol) {
    if (pos_ + 1 < text_.size() && text_[pos_] == ':' && startsIdentifier(text_[pos_ + 1])) {
        ++pos_;
        symbol.operandName = lexIdentifier();
    }
    return symbol;
}

GrammarToken GrammarLexer::next() {
    skipBlanksAndComments();
    if (pos_ >= text_.size()) return {GrammarTokenKind::EndOfFile, "", line_};
    const char c = text_[pos_];
    if (startsIdentifier(c)) return withOperandName({GrammarTokenKind::Name, lexIdentifier(), line_});
    if (c == '"') return withOperandName(lexQuoted());
    if (c == '%') return lexDirective();
    if (c == '@') {
        ++pos_;
        if (pos_ >= text_.size() || !startsIdentifier(text_[pos_])) fail("expected an action name after '@'");
        return {GrammarTokenKind::ActionPoint, lexIdentifier(), line_};
    }
    if (text_.substr(pos_).starts_with("=>")) {
        pos_ += 2;
        return {GrammarTokenKind::Arrow, "=>", line_};
    }
    ++pos_;
    if (c == ':') return {GrammarTokenKind::Colon, ":", line_};
    if (c == '|') return {GrammarTokenKind::Bar, "|", line_};
    if (c == ';') return {GrammarTokenKind::Semicolon, ";", line_};
    fail(std::string("unexpected character '") + c + "'");
}

std::string describe(const GrammarToken& token) {
    switch (token.kind) {
    case GrammarTokenKind::Name:
        return "'" + token.text + (token.operandName.empty() ? "" : ":" + token.operandName) + "'";
    case GrammarTokenKind::Quoted:
        return "\"" + token.text + "\"" + (token.operandName.empty() ? "" : ":" + token.operandName);
    case GrammarTokenKind::ActionPoint: return "'@" + token.text + "'";
    case GrammarTokenKind::EndOfFile: return "end of file";
    default: return "'" + token.text + "'";
    }
}

}  // namespace zeb::lalrgen

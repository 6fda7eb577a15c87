#include "analysis/syntax_error_text.h"

#include <algorithm>
#include <string>

#include "frontend/keywords.h"
#include "frontend/token.h"

namespace zeb {
namespace {

constexpr std::size_t kMostAlternativesNamed = 4;

bool contains(const std::vector<int>& tokens, Token token) {
    return std::find(tokens.begin(), tokens.end(), static_cast<int>(token)) != tokens.end();
}

bool isKeyword(int token) {
    const std::string_view spelling = tokenSpelling(token);
    return !spelling.empty() && keywordToken(spelling) == token;
}

// How an expected token is named: punctuation and keywords as written, the
// classes by what they stand for.
std::string expectedName(int token) {
    switch (static_cast<Token>(token)) {
    case Token::End: return "the end of the file";
    case Token::String: return "a quoted text";
    case Token::Identifier: return "a label";
    case Token::Integer: return "an integer";
    case Token::Real: return "a real number";
    default: return "'" + std::string(tokenSpelling(token)) + "'";
    }
}

std::string foundName(std::string_view source, int token, Span at) {
    const std::string_view text = source.substr(at.begin, at.end - at.begin);
    switch (static_cast<Token>(token)) {
    case Token::End: return "end of file";
    case Token::String:
        if (!text.empty() && text[0] == '\n') return "line break inside a quoted text";
        return "text \"" + visible(text) + "\"";
    case Token::Identifier: return "label '" + visible(text) + "'";
    case Token::Integer: return "integer " + visible(text);
    case Token::Real: return "real " + visible(text);
    default: return "'" + visible(text) + "'";
    }
}

std::string alternatives(const std::vector<int>& expected) {
    std::string out;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (i > 0) out += i + 1 == expected.size() ? " or " : ", ";
        out += expectedName(expected[i]);
    }
    return out;
}

// The quote that opened the text the scanner is inside: texts hold no quote.
std::size_t textOpener(std::string_view source, std::size_t before) {
    const std::size_t at = source.rfind('"', before == 0 ? 0 : before - 1);
    return at == std::string_view::npos ? 0 : at;
}

std::string hintFor(int token, const std::vector<int>& expected, std::string_view source, Span at) {
    const bool wantsLabel = contains(expected, Token::Identifier);
    if (wantsLabel && isKeyword(token)) {
        return "'" + std::string(tokenSpelling(token)) + "' is a reserved word and cannot be used as a label";
    }
    if (token == static_cast<int>(Token::Real) && contains(expected, Token::Integer) &&
        !contains(expected, Token::Real)) {
        return "a whole number is required here";
    }
    if (token == static_cast<int>(Token::RightBrace) && contains(expected, Token::Skill)) {
        return "an npc needs a skill, such as 'skill = 3'";
    }
    if (token == static_cast<int>(Token::String) && at.begin < source.size() && source[at.begin] == '\n') {
        return "a quoted text must end on the line it starts; is its closing quote missing?";
    }
    return {};
}

}  // namespace

Diagnostic describeSyntaxError(std::string_view source, int token, const std::vector<int>& expected, Span at,
                               ScannerState scanner) {
    Diagnostic d;
    d.code = code::kSyntaxError;
    d.span = at;
    d.message = "unexpected " + foundName(source, token, at);
    if (!expected.empty() && expected.size() <= kMostAlternativesNamed)
        d.message += ", expected " + alternatives(expected);
    if (const std::string hint = hintFor(token, expected, source, at); !hint.empty()) d.message += "; " + hint;
    if (token == static_cast<int>(Token::String) && scanner.insideText && source[at.begin] == '\n') {
        const std::size_t opener = textOpener(source, at.begin);
        d.notes.push_back(DiagnosticNote{Span{opener, opener + 1}, "the text opened here"});
    }
    if (token == static_cast<int>(Token::End) && scanner.insideBlockComment) {
        d.message += "; a comment is never closed";
        const std::size_t opener = source.rfind("/*");
        if (opener != std::string_view::npos) {
            d.notes.push_back(DiagnosticNote{Span{opener, opener + 2}, "the comment opened here has no '*/'"});
        }
    }
    return d;
}

Diagnostic describeLexicalError(std::string_view source, Span at, ScannerState scanner) {
    Diagnostic d;
    d.code = code::kLexicalError;
    d.span = at;
    const std::string byte = visible(source.substr(at.begin, at.end - at.begin));
    const bool nonAscii = at.begin < source.size() && static_cast<unsigned char>(source[at.begin]) >= 0x80;
    if (at.begin == 0 && source.substr(0, 3) == "\xEF\xBB\xBF") {
        d.span.end = 3;
        d.message = "the file starts with a byte-order mark (\\xEF\\xBB\\xBF); save it without one, as plain ASCII";
    } else if (nonAscii) {
        d.message = "byte " + byte + " is not ASCII; mission files are plain ASCII outside comments";
    } else if (scanner.insideText) {
        d.message = "'" + byte + "' cannot appear in a quoted text";
        const std::size_t opener = textOpener(source, at.begin);
        d.message += "; is the closing quote of the text missing?";
        d.notes.push_back(DiagnosticNote{Span{opener, opener + 1}, "the text opened here"});
    } else if (byte.empty()) {
        d.message = "a zero byte is not part of the language";
    } else {
        d.message = "'" + byte + "' is not part of the language";
    }
    return d;
}

Diagnostic describeTooDeep(Span at) {
    Diagnostic d;
    d.code = code::kTooDeep;
    d.span = at;
    d.message = "the mission nests or lists too much for the parser's stack of 10000 entries";
    return d;
}

}  // namespace zeb

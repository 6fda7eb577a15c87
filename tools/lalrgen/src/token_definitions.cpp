#include "token_definitions.h"

#include <optional>
#include <set>

#include "grammar_error.h"

namespace zeb::lalrgen {
namespace {

struct EntryPrefix {
    std::string_view macro;
    TokenKind kind;
};

constexpr EntryPrefix kEntryPrefixes[] = {
    {"ZEB_KEYWORD(", TokenKind::Keyword},
    {"ZEB_PUNCT(", TokenKind::Punctuation},
    {"ZEB_CLASS(", TokenKind::Class},
};

std::string_view trimLeft(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    return text;
}

bool isMemberName(std::string_view text) {
    if (text.empty() || (text.front() >= '0' && text.front() <= '9')) return false;
    for (char c : text) {
        if (!(c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

// Parses `Name, "spelling")`, or for a class `Name, "SPELLING", member)` — the
// part of an entry after the macro's parenthesis.
std::optional<TokenDefinition> parseEntryArguments(std::string_view rest, TokenKind kind) {
    const std::size_t comma = rest.find(',');
    if (comma == std::string_view::npos || comma == 0) return std::nullopt;
    TokenDefinition token{kind, std::string(rest.substr(0, comma)), ""};
    rest = trimLeft(rest.substr(comma + 1));
    if (rest.empty() || rest.front() != '"') return std::nullopt;
    rest.remove_prefix(1);
    while (!rest.empty() && rest.front() != '"') {
        if (rest.front() == '\\' && rest.size() > 1) rest.remove_prefix(1);
        token.spelling += rest.front();
        rest.remove_prefix(1);
    }
    if (rest.empty()) return std::nullopt;
    rest = trimLeft(rest.substr(1));
    if (kind == TokenKind::Class) {
        if (rest.empty() || rest.front() != ',') return std::nullopt;
        rest = trimLeft(rest.substr(1));
        const std::size_t close = rest.find(')');
        if (close == std::string_view::npos) return std::nullopt;
        std::string_view member = rest.substr(0, close);
        while (!member.empty() && (member.back() == ' ' || member.back() == '\t')) member.remove_suffix(1);
        if (!isMemberName(member)) return std::nullopt;
        token.valueMember = std::string(member);
        rest = rest.substr(close);
    }
    if (rest.empty() || rest.front() != ')' || token.spelling.empty()) return std::nullopt;
    return token;
}

}  // namespace

std::vector<TokenDefinition> readTokenDefinitions(std::string_view text, const std::string& sourceName) {
    std::vector<TokenDefinition> tokens;
    std::vector<std::string> errors;
    std::set<std::string> spellings;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        const std::string_view line = trimLeft(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        for (const EntryPrefix& prefix : kEntryPrefixes) {
            if (!line.starts_with(prefix.macro)) continue;
            std::optional<TokenDefinition> token = parseEntryArguments(line.substr(prefix.macro.size()), prefix.kind);
            if (!token) {
                errors.push_back(locatedMessage(sourceName, lineNumber, "malformed token entry"));
            } else if (!spellings.insert(token->spelling).second) {
                errors.push_back(
                    locatedMessage(sourceName, lineNumber, "duplicate token spelling \"" + token->spelling + "\""));
            } else {
                tokens.push_back(std::move(*token));
            }
        }
    }
    if (!errors.empty()) throw GrammarError(std::move(errors));
    return tokens;
}

std::string grammarSpelling(const TokenDefinition& token) {
    if (token.kind == TokenKind::Class) return token.spelling;
    return "\"" + token.spelling + "\"";
}

}  // namespace zeb::lalrgen

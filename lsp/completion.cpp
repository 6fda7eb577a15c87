// Completion where the grammar expects a name or a keyword. The text up to
// the word being typed is parsed on its own: the tokens the parser expected
// at its end say what may stand there, and the record it built holds
// exactly the names declared before the cursor, which are the ones the
// name checks accept there. Which kinds of name fit follows the checks of
// frontend/grammar_actions.cpp.

#include <set>

#include "frontend/char_classes.h"
#include "frontend/keywords.h"
#include "frontend/lexer.h"
#include "frontend/parser.h"
#include "lsp/document_request.h"

namespace zeb::lsp {
namespace {

// The protocol's CompletionItemKind numbers.
enum ItemKind : int { kField = 5, kClass = 7, kModule = 9, kKeyword = 14, kStruct = 22, kConstant = 21 };

constexpr std::size_t kTokensKept = 64;

class ExpectedAtEnd final : public ParseObserver {
public:
    bool onNameError(const NameError&, const Lexer&) override { return true; }
    void onSyntaxError(int token, const std::vector<int>& expected, const Lexer&) override {
        if (seen_) return;
        seen_ = true;
        atEnd_ = token == static_cast<int>(Token::End);
        expected_ = expected;
    }
    bool atEnd() const { return atEnd_; }
    const std::vector<int>& expected() const { return expected_; }

private:
    bool seen_ = false;
    bool atEnd_ = false;
    std::vector<int> expected_;
};

// What the text before a point says about that point.
struct Prefix {
    bool usable = false;  // parsed up to its end without an error, outside any comment or text
    std::vector<int> expected;
    std::vector<int> lastTokens;  // the last few, oldest first
    Mission mission;
};

void readPrefix(std::string_view source, std::size_t cut, Prefix& out) {
    auto text = std::make_shared<const std::string>(source.substr(0, cut));
    // The last tokens, and whether the end stands in a comment or a text.
    {
        Lexer lexer(*text);
        std::vector<std::string_view> comments;
        lexer.recordComments(&comments);
        for (;;) {
            const int token = lexer.nextToken();
            if (token <= 0) break;
            out.lastTokens.push_back(token);
            if (out.lastTokens.size() > 2 * kTokensKept) {
                out.lastTokens.erase(out.lastTokens.begin(), out.lastTokens.end() - kTokensKept);
            }
        }
        if (lexer.insideText() || lexer.insideBlockComment()) return;
        if (!comments.empty() && comments.back().data() + comments.back().size() == text->data() + text->size() &&
            comments.back().substr(0, 2) == "//") {
            return;
        }
    }
    out.mission.retainSource(text);
    Lexer lexer(*text);
    ExpectedAtEnd observer;
    std::string legacyReport;
    Parser parser(lexer, out.mission, legacyReport, observer);
    parser.parse();
    if (!observer.atEnd()) return;
    out.usable = true;
    out.expected = observer.expected();
}

bool expects(const Prefix& prefix, Token token) {
    return std::find(prefix.expected.begin(), prefix.expected.end(), static_cast<int>(token)) != prefix.expected.end();
}

bool isKeyword(int token) {
    const std::string_view spelling = tokenSpelling(token);
    return !spelling.empty() && keywordToken(spelling) == token;
}

int lastToken(const std::vector<int>& tokens, std::size_t back) {
    return back < tokens.size() ? tokens[tokens.size() - 1 - back] : 0;
}

bool is(int token, Token which) {
    return token == static_cast<int>(which);
}

// The kinds of name a label may be where one is expected.
std::vector<NameKind> labelKinds(const std::vector<int>& tokens) {
    std::size_t back = 0;
    // Inside a list: over the labels already written.
    while (is(lastToken(tokens, back), Token::Comma) && is(lastToken(tokens, back + 1), Token::Identifier)) back += 2;
    const int before = lastToken(tokens, back);
    // A new label is being declared.
    if (is(before, Token::Location) || is(before, Token::Area)) return {};
    if (is(before, Token::LeftParen) && is(lastToken(tokens, back + 1), Token::Patrol)) return {NameKind::Area};
    // An area's lists, occupied() and every instruction take a location.
    return {NameKind::Location};
}

// The kinds of name a quoted text may be where one is expected; none where
// the text is new (a declaration, a description, a message).
std::vector<NameKind> quotedKinds(const std::vector<int>& tokens) {
    const int before = lastToken(tokens, 0);
    if (is(before, Token::Plan)) return {NameKind::Team};
    if (!is(before, Token::LeftParen)) return {};
    const int word = lastToken(tokens, 1);
    if (is(word, Token::Success) || is(word, Token::Failure)) return {NameKind::Team, NameKind::Force};
    if (is(word, Token::Eliminated) || is(word, Token::Alive)) {
        return {NameKind::Team, NameKind::Member, NameKind::Force};
    }
    if (is(word, Token::Reached)) return {NameKind::Location, NameKind::Member, NameKind::Area};
    return {};
}

struct Candidate {
    std::string_view name;
    int kind;
    std::string detail;
};

std::vector<Candidate> candidates(const Mission& mission, const std::vector<NameKind>& kinds) {
    std::vector<Candidate> out;
    for (const NameKind kind : kinds) {
        switch (kind) {
        case NameKind::Location:
            for (const Location& location : mission.locations) out.push_back({location.label, kConstant, "location"});
            break;
        case NameKind::Area:
            for (const auto& area : mission.areas) out.push_back({area->label, kStruct, "area"});
            break;
        case NameKind::Force:
            for (const auto& force : mission.forces) out.push_back({force->name, kModule, "force"});
            break;
        case NameKind::Team:
            for (const auto& force : mission.forces) {
                for (const auto& team : force->teams) {
                    out.push_back({team->name, kClass, "team of force \"" + std::string(force->name) + "\""});
                }
            }
            break;
        case NameKind::Member:
            for (const Member* member : mission.members) {
                out.push_back({member->name, kField, member->kind == MemberKind::Npc ? "npc" : "player"});
            }
            break;
        }
    }
    return out;
}

class Completion {
public:
    Completion(const DocumentRequest& request, std::size_t cursor) : request_(request), cursor_(cursor) {}

    nlohmann::json items() {
        const std::string& source = *request_.snapshot.text();
        // Inside quotes: the text is cut before its opening quote.
        std::size_t start = cursor_;
        while (start > 0 && chars::is(static_cast<unsigned char>(source[start - 1]), chars::kStringContinue)) --start;
        if (start > 0 && source[start - 1] == '"') {
            Prefix prefix;
            readPrefix(source, start - 1, prefix);
            if (prefix.usable && expects(prefix, Token::String)) {
                addNames(prefix, quotedKinds(prefix.lastTokens), start, false);
                return result();
            }
        }
        std::size_t word = cursor_;
        while (word > 0 && chars::is(static_cast<unsigned char>(source[word - 1]), chars::kIdentifierTail)) --word;
        Prefix prefix;
        readPrefix(source, word, prefix);
        if (!prefix.usable) return result();
        if (expects(prefix, Token::Identifier)) addNames(prefix, labelKinds(prefix.lastTokens), word, false);
        if (expects(prefix, Token::String)) addNames(prefix, quotedKinds(prefix.lastTokens), word, true);
        for (const int token : prefix.expected) {
            if (!isKeyword(token)) continue;
            add(std::string(tokenSpelling(token)), kKeyword, "keyword", word, std::string(tokenSpelling(token)));
        }
        return result();
    }

private:
    void addNames(const Prefix& prefix, const std::vector<NameKind>& kinds, std::size_t from, bool withQuotes) {
        std::set<std::string_view> seen;
        for (const Candidate& c : candidates(prefix.mission, kinds)) {
            if (!seen.insert(c.name).second) continue;
            const std::string name(c.name);
            add(name, c.kind, c.detail, from, withQuotes ? "\"" + name + "\"" : name);
        }
    }

    void add(std::string label, int kind, std::string detail, std::size_t from, std::string newText) {
        nlohmann::json item = {
            {"label", label},
            {"kind", kind},
            {"detail", std::move(detail)},
            {"filterText", label},
            {"textEdit",
             {{"range", request_.positions.rangeJson(Span{from, cursor_})}, {"newText", std::move(newText)}}}};
        items_.push_back(std::move(item));
    }

    nlohmann::json result() { return {{"isIncomplete", false}, {"items", std::move(items_)}}; }

    const DocumentRequest& request_;
    std::size_t cursor_;
    nlohmann::json items_ = nlohmann::json::array();
};

}  // namespace

nlohmann::json completion(const DocumentRequest& request) {
    const std::optional<std::size_t> at = request.cursor();
    if (!at) return {{"isIncomplete", false}, {"items", nlohmann::json::array()}};
    return Completion(request, *at).items();
}

}  // namespace zeb::lsp

// Checks editors/mission.tmLanguage.json against the real scanner; what
// each scope is, is checked by editors/grammar-tests/run with VS Code's own
// engine. A small TextMate-style tokeniser (match rules, begin/end rules,
// includes from the repository; earliest match wins, the first rule on a
// tie) runs the grammar's regular expressions with std::regex, so the grammar
// keeps to the subset that Oniguruma and ECMAScript read alike. For every
// example mission the words, numbers and punctuation it finds must be the
// scanner's tokens, in order and with a scope that fits the token's class;
// quoted texts and comments must come out as string and comment spans, and
// where the scanner stops on a character, the grammar marks that character
// invalid.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "frontend/lexer.h"
#include "frontend/token.h"
#include "tests/run_support.h"

namespace zeb::testing {
namespace {

namespace fs = std::filesystem;

using Json = nlohmann::json;

// A field of an object, or null when it has none.
const Json* field(const Json& object, const std::string& key) {
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

// ---- a small TextMate tokeniser ----

struct Rule {
    std::string name;
    std::unique_ptr<std::regex> match;
    std::unique_ptr<std::regex> begin;
    std::unique_ptr<std::regex> end;
    std::vector<const Rule*> patterns;  // inside begin/end, or of an include-only rule
    std::string matchSource;
};

class Grammar {
public:
    explicit Grammar(const Json& root) : root_(root) { top_ = collect(root.at("patterns")); }
    const std::vector<const Rule*>& top() const { return top_; }
    // Every regular expression source of the grammar, for the keyword check.
    std::vector<const Rule*> allRules() const {
        std::vector<const Rule*> out;
        for (const auto& r : owned_) out.push_back(r.get());
        return out;
    }

private:
    static std::unique_ptr<std::regex> compile(const Json* source) {
        if (source == nullptr) return nullptr;
        return std::make_unique<std::regex>(source->get<std::string>(), std::regex::ECMAScript);
    }
    // Flattens includes into the rule list, keeping their order.
    std::vector<const Rule*> collect(const Json& patterns) {
        std::vector<const Rule*> out;
        for (const Json& p : patterns) {
            if (const Json* inc = field(p, "include")) {
                const std::string key = inc->get<std::string>().substr(1);
                const Json* repo = field(root_.at("repository"), key);
                if (repo == nullptr) throw std::runtime_error("unknown include " + inc->get<std::string>());
                if (const Json* inner = field(*repo, "patterns")) {
                    auto more = collect(*inner);
                    out.insert(out.end(), more.begin(), more.end());
                } else {
                    out.push_back(make(*repo));
                }
            } else {
                out.push_back(make(p));
            }
        }
        return out;
    }
    const Rule* make(const Json& p) {
        auto rule = std::make_unique<Rule>();
        if (const Json* n = field(p, "name")) rule->name = n->get<std::string>();
        if (const Json* m = field(p, "match")) rule->matchSource = m->get<std::string>();
        rule->match = compile(field(p, "match"));
        rule->begin = compile(field(p, "begin"));
        rule->end = compile(field(p, "end"));
        if (const Json* inner = field(p, "patterns")) rule->patterns = collect(*inner);
        owned_.push_back(std::move(rule));
        return owned_.back().get();
    }

    const Json& root_;
    std::vector<std::unique_ptr<Rule>> owned_;
    std::vector<const Rule*> top_;
};

struct Piece {
    std::string text;
    std::string scope;  // innermost scope; begin/end spans add their own
    std::string span;   // the begin/end rule's name, or empty
    std::int64_t line = 0;
};

// Tokenises line by line, as editors do; a begin/end span may cross lines.
std::vector<Piece> tokenise(const Grammar& grammar, const std::string& source) {
    std::vector<Piece> pieces;
    const Rule* open = nullptr;  // the begin/end rule we are inside of
    std::size_t lineStart = 0;
    std::int64_t lineNumber = 1;
    while (lineStart <= source.size()) {
        std::size_t lineEnd = source.find('\n', lineStart);
        if (lineEnd == std::string::npos) lineEnd = source.size();
        const std::string line = source.substr(lineStart, lineEnd - lineStart);
        const std::size_t firstOfLine = pieces.size();
        std::size_t pos = 0;
        while (pos <= line.size()) {
            const auto flags = pos > 0 ? std::regex_constants::match_prev_avail : std::regex_constants::match_default;
            const auto from = line.begin() + static_cast<std::ptrdiff_t>(pos);
            std::smatch best;
            const Rule* bestRule = nullptr;
            bool bestIsEnd = false;
            auto consider = [&](const std::regex& re, const Rule* rule, bool isEnd) {
                std::smatch m;
                if (!std::regex_search(from, line.end(), m, re, flags)) return;
                if (bestRule == nullptr || m.position(0) < best.position(0)) {
                    best = m;
                    bestRule = rule;
                    bestIsEnd = isEnd;
                }
            };
            const std::vector<const Rule*>& candidates = open ? open->patterns : grammar.top();
            if (open) consider(*open->end, open, true);
            for (const Rule* r : candidates) consider(r->match ? *r->match : *r->begin, r, false);
            if (bestRule == nullptr) {
                if (pos < line.size()) pieces.push_back({line.substr(pos), "", open ? open->name : ""});
                break;
            }
            const std::size_t at = pos + static_cast<std::size_t>(best.position(0));
            if (at > pos) pieces.push_back({line.substr(pos, at - pos), "", open ? open->name : ""});
            const std::string text = best.str(0);
            if (bestIsEnd) {
                pieces.push_back({text, "end", open->name});
                open = nullptr;
            } else if (bestRule->begin) {
                pieces.push_back({text, "begin", bestRule->name});
                open = bestRule;
            } else {
                pieces.push_back({text, bestRule->name, open ? open->name : ""});
            }
            pos = at + text.size();
            if (text.empty()) ++pos;  // never loop on an empty match
        }
        if (open) pieces.push_back({"\n", "", open->name});
        for (std::size_t i = firstOfLine; i < pieces.size(); ++i) pieces[i].line = lineNumber;
        lineStart = lineEnd + 1;
        ++lineNumber;
    }
    return pieces;
}

bool startsWith(const std::string& s, std::string_view prefix) {
    return s.rfind(prefix, 0) == 0;
}

// The scope a token of the scanner must get.
bool scopeFits(int token, const std::string& scope) {
    const auto t = static_cast<Token>(token);
    if (t == Token::Identifier) return startsWith(scope, "variable.");
    if (t == Token::Integer) return scope == "constant.numeric.integer.mission";
    if (t == Token::Real) return scope == "constant.numeric.float.mission";
    const std::string_view spelling = tokenSpelling(token);
    if (std::isalpha(static_cast<unsigned char>(spelling[0]))) {
        return startsWith(scope, "keyword.") || startsWith(scope, "constant.language.") ||
               startsWith(scope, "support.") || startsWith(scope, "invalid.deprecated.");
    }
    return startsWith(scope, "punctuation.") || startsWith(scope, "keyword.operator.");
}

const fs::path kSourceDir(ZEB_SOURCE_DIR);

Json loadGrammarJson() {
    return Json::parse(readFile((kSourceDir / "editors" / "mission.tmLanguage.json").string()));
}

std::vector<fs::path> exampleMissions() {
    std::vector<fs::path> out;
    for (const auto& e : fs::recursive_directory_iterator(kSourceDir / "examples")) {
        if (e.is_regular_file() && e.path().extension() == ".mission") out.push_back(e.path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

TEST(EditorGrammarTest, HasTheScopeAndEveryKeyword) {
    const Json root = loadGrammarJson();
    ASSERT_NE(field(root, "scopeName"), nullptr);
    EXPECT_EQ(root["scopeName"], "source.mission");
    const Grammar grammar(root);
    // Each keyword of the language is matched whole by some keyword rule and
    // a keyword followed by a name character is not.
    for (int token = kFirstTokenNumber; token <= kLastTokenNumber; ++token) {
        const std::string word(tokenSpelling(token));
        if (!std::isalpha(static_cast<unsigned char>(word[0])) || word == "STRING" || word == "IDENTIFIER" ||
            word == "INTEGER" || word == "REAL") {
            continue;
        }
        bool found = false;
        for (const Rule* r : grammar.allRules()) {
            if (!r->match || !scopeFits(token, r->name)) continue;
            std::smatch m;
            if (std::regex_search(word, m, *r->match) && m.position(0) == 0 &&
                m.length(0) == static_cast<std::ptrdiff_t>(word.size())) {
                found = true;
                const std::string longer = word + ".x";
                EXPECT_FALSE(std::regex_search(longer, m, *r->match) && m.position(0) == 0)
                    << word << " matched inside " << longer;
            }
        }
        EXPECT_TRUE(found) << "no keyword rule for " << word;
    }
}

TEST(EditorGrammarTest, AgreesWithTheScannerOnEveryExample) {
    const Json root = loadGrammarJson();
    const Grammar grammar(root);
    const auto missions = exampleMissions();
    ASSERT_FALSE(missions.empty());
    for (const fs::path& path : missions) {
        SCOPED_TRACE(path.string());
        const std::string source = readFile(path.string());
        const auto pieces = tokenise(grammar, source);

        // The scanner's tokens, STRING runs joined per quoted text.
        std::vector<std::pair<int, std::string>> tokens;
        std::vector<std::string> strings;
        Lexer lexer(source);
        bool lastWasString = false;
        bool lexicalError = false;
        std::string rejected;
        std::int64_t rejectedLine = 0;
        for (int t = lexer.nextToken(); t != 0; t = lexer.nextToken()) {
            if (t == Lexer::kLexicalError) {
                lexicalError = true;
                rejected = std::string(lexer.tokenText());
                rejectedLine = lexer.lineNumber();
                break;
            }
            if (static_cast<Token>(t) == Token::String) {
                if (!lastWasString) strings.emplace_back();
                strings.back() += std::string(lexer.tokenText());
                lastWasString = true;
                continue;
            }
            lastWasString = false;
            tokens.emplace_back(t, std::string(lexer.tokenText()));
        }

        if (lexicalError) {
            // Only the examples of lexical errors stop the scanner early, and
            // the first character the grammar marks invalid is the one the
            // scanner stopped on.
            EXPECT_EQ(path.parent_path().filename(), "errors");
            const auto invalid = std::find_if(pieces.begin(), pieces.end(),
                                              [](const Piece& p) { return startsWith(p.scope, "invalid.illegal."); });
            ASSERT_NE(invalid, pieces.end()) << "nothing marked invalid";
            EXPECT_EQ(invalid->text, rejected);
            EXPECT_EQ(invalid->line, rejectedLine);
            continue;
        }

        // The grammar's view: plain tokens, and the content of each string.
        std::vector<std::pair<std::string, std::string>> plain;
        std::vector<std::string> grammarStrings;
        for (const Piece& p : pieces) {
            if (startsWith(p.span, "string.")) {
                if (p.scope == "begin")
                    grammarStrings.emplace_back();
                else if (p.scope != "end")
                    grammarStrings.back() += p.text;
                continue;
            }
            if (startsWith(p.span, "comment.") || startsWith(p.scope, "comment.")) continue;
            if (p.scope.empty()) {
                for (char c : p.text) {
                    EXPECT_TRUE(c == ' ' || c == '\t' || c == '\r') << "unscoped text '" << p.text << "'";
                }
                continue;
            }
            plain.emplace_back(p.text, p.scope);
        }
        // Two texts written one after the other ("a" "b") join in the
        // scanner's stream; an empty text gives the scanner nothing.
        std::vector<std::string> nonEmpty;
        for (auto& s : grammarStrings)
            if (!s.empty()) nonEmpty.push_back(s);
        std::string joinedGrammar;
        for (auto& s : nonEmpty) joinedGrammar += s;
        std::string scannerAll;
        for (auto& s : strings) scannerAll += s;
        EXPECT_EQ(joinedGrammar, scannerAll);

        ASSERT_EQ(plain.size(), tokens.size());
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            EXPECT_EQ(plain[i].first, tokens[i].second) << "token " << i;
            EXPECT_TRUE(scopeFits(tokens[i].first, plain[i].second))
                << "'" << tokens[i].second << "' got " << plain[i].second;
        }
    }
}

}  // namespace
}  // namespace zeb::testing

// The outline: the header, the rules, the map with its locations and areas,
// the forces with their teams and members, the objectives, and the plans
// with their phases. Where each construct stands comes from a second read of
// the text with the grammar's tables (frontend/construct_spans.h); the
// names come from the analysis. A text with an error has the outline of
// what stands before the error.

#include <algorithm>
#include <array>

#include "frontend/char_classes.h"
#include "frontend/construct_spans.h"
#include "frontend/lexer.h"
#include "lsp/document_request.h"

namespace zeb::lsp {
namespace {

// The protocol's SymbolKind numbers.
enum SymbolKind : int {
    kModule = 2,
    kNamespace = 3,
    kPackage = 4,
    kClass = 5,
    kMethod = 6,
    kProperty = 7,
    kField = 8,
    kFunction = 12,
    kConstant = 14,
    kStruct = 23,
    kEvent = 24,
};

enum Construct : std::size_t {
    kDescription,
    kRules,
    kRule,
    kMap,
    kLocation,
    kArea,
    kForce,
    kTeam,
    kMember,
    kObjectives,
    kObjective,
    kPlan,
    kInstruction,
    kConstructCount,
};

constexpr std::array<std::string_view, kConstructCount> kNonterminals = {
    "description_clause", "rules_section", "respawn_rule", "map_section", "location_decl",
    "area_decl",          "force_decl",    "team_decl",    "member_decl", "objectives_section",
    "objective",          "plan_decl",     "instruction",
};

struct Symbol {
    std::string name;
    std::string detail;
    int kind;
    Span range;
    Span selection;
    std::vector<std::size_t> children;
};

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// A construct's text on one line, its blanks and line ends each one space.
std::string oneLine(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const bool blank = c == ' ' || c == '\t' || c == '\n';
        if (blank && (out.empty() || out.back() == ' ')) continue;
        out += blank ? ' ' : c;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

class OutlineBuilder {
public:
    OutlineBuilder(const DocumentRequest& request)
        : request_(request),
          source_(*request.snapshot.text()),
          names_(request.snapshot.names().all()),
          mission_(request.snapshot.analysis().mission.get()) {}

    std::string build() {
        std::vector<int> numbers;
        int largest = 0;
        for (const std::string_view name : kNonterminals) {
            numbers.push_back(nonterminalNamed(name));
            largest = std::max(largest, numbers.back());
        }
        std::vector<bool> wanted(static_cast<std::size_t>(largest) + 1, false);
        for (const int number : numbers) {
            if (number >= 0) wanted[static_cast<std::size_t>(number)] = true;
        }
        std::size_t objectiveIndex = 0;
        std::optional<Span> description;
        for (const ConstructSpan& span : constructSpans(source_, wanted)) {
            const auto which =
                static_cast<Construct>(std::find(numbers.begin(), numbers.end(), span.nonterminal) - numbers.begin());
            const Span range{span.begin, span.end};
            switch (which) {
            case kDescription: description = range; break;
            case kRules: add("rules", {}, kNamespace, range, keyword(range, "rules")); break;
            case kRule: add(oneLine(text(range)), {}, kProperty, range, range); break;
            case kMap: addMap(range); break;
            case kLocation: addDeclared(NameKind::Location, range, kConstant); break;
            case kArea: addDeclared(NameKind::Area, range, kStruct); break;
            case kForce: addDeclared(NameKind::Force, range, kNamespace); break;
            case kTeam: addDeclared(NameKind::Team, range, kClass); break;
            case kMember: addDeclared(NameKind::Member, range, kField); break;
            case kObjectives: add("objectives", {}, kNamespace, range, keyword(range, "objectives")); break;
            case kObjective: addObjective(range, objectiveIndex++); break;
            case kPlan: addPlan(range); break;
            case kInstruction: addPhase(range); break;
            case kConstructCount: break;
            }
        }
        addHeader(description);
        return nested();
    }

private:
    std::string_view text(Span span) const {
        return std::string_view(source_).substr(span.begin, span.end - span.begin);
    }

    // A construct's first word, which names it when nothing else does.
    static Span keyword(Span range, std::string_view word) {
        return Span{range.begin, std::min(range.end, range.begin + word.size())};
    }

    void add(std::string name, std::string detail, int kind, Span range, Span selection) {
        symbols_.push_back(Symbol{std::move(name), std::move(detail), kind, range, selection, {}});
    }

    // The first name of the kind declared inside the range.
    const PlacedName* declaredIn(NameKind kind, Span range, bool declaration = true) const {
        auto at = std::lower_bound(names_.begin(), names_.end(), range.begin,
                                   [](const PlacedName& name, std::size_t offset) { return name.span.begin < offset; });
        for (; at != names_.end() && at->span.begin < range.end; ++at) {
            if (at->kind == kind && at->declaration == declaration) return &*at;
        }
        return nullptr;
    }

    void addDeclared(NameKind kind, Span range, int symbolKind) {
        const PlacedName* name = declaredIn(kind, range);
        if (name == nullptr) return;
        const bool quotedName = kind == NameKind::Force || kind == NameKind::Team || kind == NameKind::Member;
        std::string detail;
        if (kind == NameKind::Location || kind == NameKind::Area) {
            detail = kind == NameKind::Location ? "location" : "area";
        } else {
            // "force", "team", "npc" or "player": the construct's first word.
            detail = std::string(text(range).substr(0, text(range).find_first_of(" \t\n\"")));
        }
        add(quotedName ? quoted(name->name) : std::string(name->name), std::move(detail), symbolKind, range,
            name->span);
    }

    void addMap(Span range) {
        std::string name = "map";
        Span selection = keyword(range, "map");
        if (mission_ != nullptr && mission_->mapName) {
            name += " " + quoted(*mission_->mapName);
            if (const auto at = spanIn(source_, *mission_->mapName)) selection = *at;
        }
        add(std::move(name), {}, kPackage, range, selection);
    }

    void addObjective(Span range, std::size_t index) {
        if (mission_ == nullptr || index >= mission_->objectives.size()) return;
        const Objective& objective = mission_->objectives[index];
        const char* outcome = objective.outcome == Outcome::Success ? "success " : "failure ";
        const Span selection = spanIn(source_, objective.subject).value_or(keyword(range, outcome));
        add(outcome + quoted(objective.subject), std::string(objective.description), kEvent, range, selection);
    }

    void addPlan(Span range) {
        const PlacedName* team = declaredIn(NameKind::Team, range, false);
        if (team == nullptr) return;
        add("plan " + quoted(team->name), {}, kFunction, range, team->span);
    }

    void addPhase(Span range) {
        const std::string_view words = text(range);
        if (words.substr(0, 5) != "phase" || words.size() < 6 || chars::is(words[5], chars::kIdentifierTail)) return;
        // The phase's name is the next token, after any comment.
        const std::string copy(words);
        Lexer lexer(copy);
        lexer.nextToken();
        if (lexer.nextToken() != static_cast<int>(Token::String)) return;
        const std::string_view name = lexer.value().text;
        const std::size_t at = range.begin + static_cast<std::size_t>(name.data() - copy.data());
        add("phase " + quoted(name), {}, kMethod, range, Span{at, at + name.size()});
    }

    void addHeader(std::optional<Span> description) {
        if (mission_ == nullptr || !mission_->missionName) return;
        const std::optional<Span> name = spanIn(source_, *mission_->missionName);
        if (!name) return;
        const std::size_t keywordAt = source_.rfind("mission", name->begin);
        const std::size_t begin = keywordAt == std::string::npos ? name->begin : keywordAt;
        const std::size_t end = description ? description->end : std::min(source_.size(), name->end + 1);
        std::string detail = mission_->author ? "by " + std::string(*mission_->author) : std::string();
        add("mission " + quoted(*mission_->missionName), std::move(detail), kModule, Span{begin, end}, *name);
    }

    // Each symbol under the smallest one whose range holds it.
    std::string nested() {
        std::vector<std::size_t> order(symbols_.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
            const Span& x = symbols_[a].range;
            const Span& y = symbols_[b].range;
            return x.begin != y.begin ? x.begin < y.begin : x.end > y.end;
        });
        std::vector<std::size_t> roots;
        std::vector<std::size_t> open;
        for (const std::size_t index : order) {
            const Span& range = symbols_[index].range;
            while (!open.empty() && symbols_[open.back()].range.end < range.end) open.pop_back();
            (open.empty() ? roots : symbols_[open.back()].children).push_back(index);
            open.push_back(index);
        }
        // A large mission has hundreds of thousands of symbols: as JSON
        // values they would take some thirty times the text, so they are
        // written out as text directly.
        std::string out = "[";
        for (const std::size_t root : roots) {
            if (out.size() > 1) out += ',';
            write(out, root);
        }
        out += ']';
        return out;
    }

    static void writeString(std::string& out, const std::string& text) {
        out += nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    }

    void writePosition(std::string& out, std::size_t offset) const {
        const LinePosition p = request_.positions.positionOf(offset);
        out += "{\"line\":" + std::to_string(p.line) + ",\"character\":" + std::to_string(p.character) + "}";
    }

    void writeRange(std::string& out, Span span) const {
        out += "{\"start\":";
        writePosition(out, span.begin);
        out += ",\"end\":";
        writePosition(out, span.end);
        out += '}';
    }

    void write(std::string& out, std::size_t index) const {
        const Symbol& symbol = symbols_[index];
        out += "{\"name\":";
        writeString(out, symbol.name);
        out += ",\"kind\":" + std::to_string(symbol.kind) + ",\"range\":";
        writeRange(out, symbol.range);
        out += ",\"selectionRange\":";
        writeRange(out, symbol.selection);
        if (!symbol.detail.empty()) {
            out += ",\"detail\":";
            writeString(out, symbol.detail);
        }
        if (!symbol.children.empty()) {
            out += ",\"children\":[";
            for (std::size_t i = 0; i < symbol.children.size(); ++i) {
                if (i > 0) out += ',';
                write(out, symbol.children[i]);
            }
            out += ']';
        }
        out += '}';
    }

    const DocumentRequest& request_;
    const std::string& source_;
    const std::vector<PlacedName>& names_;
    const Mission* mission_;
    std::vector<Symbol> symbols_;
};

}  // namespace

nlohmann::json documentSymbols(const DocumentRequest& request) {
    request.writtenResult = OutlineBuilder(request).build();
    return nullptr;
}

}  // namespace zeb::lsp

#include "analysis/name_error_text.h"

#include <cstring>
#include <optional>

#include "analysis/suggest.h"

namespace zeb {
namespace {

enum class Names { None, Locations, Areas, Forces, Teams, Members, Sides, Reachable, Subjects };

// Each legacy cause is one kind of fault; the table gives its code, how the
// name is shown (quoted texts in double quotes, labels in single ones), the
// message, and which declared names a misspelling is compared with.
struct NameErrorKind {
    const char* legacyCause;
    std::string_view code;
    bool quoted;
    const char* message;  // "%s" stands for the shown name
    Names candidates;
};

constexpr NameErrorKind kKinds[] = {
    {"location label '%s' not declared", code::kUndeclaredAreaLocation, false,
     "%s is not a declared location; an area's lists name locations declared above it", Names::Locations},
    {"force name '%s' already in use", code::kDuplicateForce, true, "force name %s is already in use", Names::None},
    {"team name '%s' already in use", code::kDuplicateTeam, true,
     "team name %s is already in use (team names are unique in the whole file)", Names::None},
    {"member name '%s' already in use", code::kDuplicateMember, true,
     "member name %s is already in use (member names are unique in the whole file)", Names::None},
    {"use of undeclared team or force", code::kUndeclaredSubject, true, "%s is not a declared team or force",
     Names::Subjects},
    {"use of undeclared member, team or force", code::kUndeclaredSide, true,
     "%s is not a declared team, member or force", Names::Sides},
    {"use of undeclared member, location, or area", code::kUndeclaredReached, true,
     "%s is not a declared location, member or area", Names::Reachable},
    {"use of undeclared team", code::kUndeclaredPlanTeam, true, "plan for %s, which is not a declared team",
     Names::Teams},
    {"use of undeclared location", code::kUndeclaredLocation, false, "%s is not a declared location", Names::Locations},
    {"patrol command requires at least 2 areas to be defined", code::kPatrolNeedsTwoAreas, false,
     "a patrol without a list needs at least two areas in the map", Names::None},
    {"patrol area list needs to include at least two areas", code::kPatrolListTooShort, false,
     "a patrol list needs at least two different areas", Names::None},
    {"area label appears twice in area list", code::kPatrolAreaRepeated, false,
     "area %s appears twice in the patrol list", Names::None},
    {"undefined area label in patrol area list", code::kUndeclaredPatrolArea, false, "%s is not a declared area",
     Names::Areas},
};

const NameErrorKind* kindOf(const NameError& error) {
    for (const NameErrorKind& kind : kKinds) {
        if (std::strcmp(kind.legacyCause, error.format) == 0) return &kind;
    }
    return nullptr;
}

std::string shown(std::string_view name, bool quoted) {
    const char mark = quoted ? '"' : '\'';
    return mark + std::string(name) + mark;
}

std::string filled(const char* message, std::string_view name) {
    std::string text = message;
    const std::size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, name);
    return text;
}

void addNames(std::vector<std::string_view>& out, Names which, const Mission& m) {
    auto forces = [&] {
        for (const auto& force : m.forces) out.push_back(force->name);
    };
    auto teams = [&] {
        for (const Team* team : m.teams) out.push_back(team->name);
    };
    auto members = [&] {
        for (const Member* member : m.members) out.push_back(member->name);
    };
    auto locations = [&] {
        for (const Location& location : m.locations) out.push_back(location.label);
    };
    auto areas = [&] {
        for (const auto& area : m.areas) out.push_back(area->label);
    };
    switch (which) {
    case Names::None: return;
    case Names::Locations: locations(); return;
    case Names::Areas: areas(); return;
    case Names::Forces: forces(); return;
    case Names::Teams: teams(); return;
    case Names::Members: members(); return;
    case Names::Sides:
        teams();
        members();
        forces();
        return;
    case Names::Reachable:
        locations();
        members();
        areas();
        return;
    case Names::Subjects:
        teams();
        forces();
        return;
    }
}

// A label of the other kind is the likelier slip than a misspelling.
std::string crossKindHint(const NameErrorKind& kind, std::string_view name, const Mission& m) {
    if (kind.candidates == Names::Locations && m.isAreaDeclared(name)) {
        return "'" + std::string(name) + "' is an area, but a location is required here";
    }
    if (kind.candidates == Names::Areas && m.isLocationDeclared(name)) {
        return "'" + std::string(name) + "' is a location, but a patrol list names areas";
    }
    return {};
}

std::optional<std::string_view> firstDeclaration(std::string_view code, std::string_view name, const Mission& m) {
    if (code == code::kDuplicateForce) {
        if (const Force* force = m.findForce(name)) return force->name;
    } else if (code == code::kDuplicateTeam) {
        if (const Team* team = m.findTeam(name)) return team->name;
    } else if (code == code::kDuplicateMember) {
        if (const Member* member = m.findMember(name)) return member->name;
    }
    return std::nullopt;
}

// A quoted name is marked with its quotes, as the designer wrote it.
Span withQuotes(std::string_view source, Span span) {
    if (span.begin > 0 && span.end < source.size() && source[span.begin - 1] == '"' && source[span.end] == '"') {
        return Span{span.begin - 1, span.end + 1};
    }
    return span;
}

void addNote(Diagnostic& d, std::string_view source, std::string_view name, std::string message) {
    if (const auto span = spanIn(source, name)) {
        d.notes.push_back(DiagnosticNote{withQuotes(source, *span), std::move(message)});
    }
}

// The patrol checks run once the next token is read; the fault is the
// patrol instruction before it, from its keyword to its list's ")".
Span patrolSpan(std::string_view code, std::string_view source, Span readAhead) {
    const std::size_t keyword = source.rfind("patrol", readAhead.begin);
    if (keyword == std::string_view::npos) return readAhead;
    std::size_t end = keyword + 6;
    if (code == code::kPatrolListTooShort) {
        const std::size_t close = source.rfind(')', readAhead.begin);
        if (close != std::string_view::npos && close > keyword) end = close + 1;
    }
    return Span{keyword, end};
}

}  // namespace

Diagnostic describeNameError(const NameError& error, Span span, const Mission& declared, std::string_view source) {
    Diagnostic d;
    d.span = span;
    const NameErrorKind* kind = kindOf(error);
    if (kind == nullptr) {
        d.code = code::kSyntaxError;
        d.message = error.cause();
        return d;
    }
    d.code = kind->code;
    if (d.code == code::kPatrolNeedsTwoAreas || d.code == code::kPatrolListTooShort) {
        d.span = patrolSpan(d.code, source, span);
    }
    const std::string_view name = error.name;
    if (kind->quoted) d.span = withQuotes(source, d.span);
    d.message = filled(kind->message, shown(name, kind->quoted));
    if (name.empty()) return d;
    if (const auto first = firstDeclaration(kind->code, name, declared)) {
        addNote(d, source, *first, "first declared here");
        return d;
    }
    if (std::string hint = crossKindHint(*kind, name, declared); !hint.empty()) {
        d.message = std::move(hint);
        return d;
    }
    std::vector<std::string_view> candidates;
    addNames(candidates, kind->candidates, declared);
    if (const auto suggestion = closestName(name, candidates)) {
        d.message += "; did you mean " + shown(*suggestion, kind->quoted) + "?";
        addNote(d, source, *suggestion, shown(*suggestion, kind->quoted) + " is declared here");
    }
    return d;
}

}  // namespace zeb

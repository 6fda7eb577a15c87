#pragma once

// One finding about a mission file, as every front end of the companion
// tools reports it: a span of the source, a severity, a stable code that
// scripts can match, a message in this program's words, and notes that point
// elsewhere (where a name was declared, where a text was opened).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeb {

enum class Severity { Error, Warning, Note };

std::string_view severityWord(Severity severity);

// Byte offsets into the source; end is exclusive. An empty span marks a
// point (the end of the file).
struct Span {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// Where a view lies in the source, or none for a view of other memory (a
// text the record copied, the scanner's own copy).
std::optional<Span> spanIn(std::string_view source, std::string_view text);

// Text as a terminal may show it: printable ASCII as itself, any other byte
// as \xHH, so that a message never carries a broken byte.
void appendVisible(std::string& out, std::string_view text);
std::string visible(std::string_view text);

struct DiagnosticNote {
    Span span;
    std::string message;
};

struct Diagnostic {
    Severity severity = Severity::Error;
    std::string_view code;  // one of the fixed codes below
    std::string message;
    Span span;
    std::vector<DiagnosticNote> notes;
};

// The stable codes. Scripts match them; never rename one.
namespace code {
inline constexpr std::string_view kLexicalError = "lexical-error";
inline constexpr std::string_view kSyntaxError = "syntax-error";
inline constexpr std::string_view kTooDeep = "too-deep";
inline constexpr std::string_view kReadError = "read-error";
inline constexpr std::string_view kUndeclaredAreaLocation = "undeclared-area-location";
inline constexpr std::string_view kDuplicateForce = "duplicate-force";
inline constexpr std::string_view kDuplicateTeam = "duplicate-team";
inline constexpr std::string_view kDuplicateMember = "duplicate-member";
inline constexpr std::string_view kUndeclaredSubject = "undeclared-subject";
inline constexpr std::string_view kUndeclaredSide = "undeclared-side";
inline constexpr std::string_view kUndeclaredReached = "undeclared-reached";
inline constexpr std::string_view kUndeclaredPlanTeam = "undeclared-plan-team";
inline constexpr std::string_view kUndeclaredLocation = "undeclared-location";
inline constexpr std::string_view kPatrolNeedsTwoAreas = "patrol-needs-two-areas";
inline constexpr std::string_view kPatrolListTooShort = "patrol-list-too-short";
inline constexpr std::string_view kPatrolAreaRepeated = "patrol-area-repeated";
inline constexpr std::string_view kUndeclaredPatrolArea = "undeclared-patrol-area";
// warnings
inline constexpr std::string_view kIntegerWraps = "integer-wraps";
inline constexpr std::string_view kSkillLimited = "skill-limited";
inline constexpr std::string_view kCodeTriggerReplaced = "code-trigger-replaced";
inline constexpr std::string_view kDuplicateLocation = "duplicate-location";
inline constexpr std::string_view kDuplicateArea = "duplicate-area";
inline constexpr std::string_view kRealInfinite = "real-infinite";
}  // namespace code

// Whether any of them is an error: warnings and notes never fail a file.
inline bool hasErrorIn(const std::vector<Diagnostic>& diagnostics) {
    for (const Diagnostic& d : diagnostics) {
        if (d.severity == Severity::Error) return true;
    }
    return false;
}

}  // namespace zeb

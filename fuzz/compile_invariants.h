#pragma once

// What every in-process run must look like, whatever the input: the fuzz
// target checks it on each generated file and the hostile-input tests on
// each corpus file. Header-only so that both can use it without a library.

#include <string>
#include <string_view>

namespace zeb::fuzz {

inline constexpr std::string_view kCompletionLine = "/* zebparser: parsing completed, no errors found */ \n";
inline constexpr std::string_view kFailureLine = "zebparser: there were errors during compilation\n";
inline constexpr std::string_view kReportStart = "ERROR in syntax found, at line ";
inline constexpr std::string_view kLexicalStart = "ERROR in syntax found by lex, at line ";

namespace detail {

inline bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// Consumes a decimal line number (at least 1) at the front of text.
inline bool takeLineNumber(std::string_view& text) {
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
    if (digits == 0 || text[0] == '0') return false;
    text.remove_prefix(digits);
    return true;
}

// "ERROR in syntax found by lex, at line N, near: "c".\n": one rejected
// character (none for a zero byte), nothing else.
inline bool isLexicalReport(std::string_view err) {
    if (err.substr(0, kLexicalStart.size()) != kLexicalStart) return false;
    err.remove_prefix(kLexicalStart.size());
    if (!takeLineNumber(err)) return false;
    return err == ", near: \"\".\n" ||
           (err.size() == 13 && err.substr(0, 9) == ", near: \"" && err.substr(10) == "\".\n" && err[9] != '\n');
}

// The three-line report and the driver's failure line. The near text is one
// token: a quoted run has no line end, and a line end inside quotes is a
// token of its own, so the first "'.\nCAUSE " after it ends it, whatever
// the token imitates. A cause may hold a name with a line end in it.
inline bool isSyntaxReport(std::string_view err) {
    if (err.substr(0, kReportStart.size()) != kReportStart) return false;
    err.remove_prefix(kReportStart.size());
    if (!takeLineNumber(err)) return false;
    constexpr std::string_view kNear = "\nnear: '";
    constexpr std::string_view kCause = "'.\nCAUSE ";
    if (err.substr(0, kNear.size()) != kNear) return false;
    err.remove_prefix(kNear.size());
    const std::size_t nearEnd = err.find(kCause);
    if (nearEnd == std::string_view::npos) return false;
    const std::string_view nearText = err.substr(0, nearEnd);
    if (nearText.size() > 1 && nearText.find('\n') != std::string_view::npos) return false;
    err.remove_prefix(nearEnd + kCause.size());
    if (!endsWith(err, kFailureLine)) return false;
    const std::string_view cause = err.substr(0, err.size() - kFailureLine.size());
    return cause.size() > 1 && endsWith(cause, "\n");
}

}  // namespace detail

// Empty when the run is well formed, otherwise what is wrong with it.
// err is standard error without the banner.
inline std::string invariantViolation(int status, std::string_view out, std::string_view err) {
    if (status == 0) {
        if (!detail::endsWith(out, "}\n")) return "exit 0 but the output does not end with \"}\\n\"";
        if (err != kCompletionLine) return "exit 0 but standard error is not just the completion line";
        return {};
    }
    if (status != 1) return "exit status " + std::to_string(status) + " is neither 0 nor 1";
    if (!out.empty()) return "exit 1 but something was written to standard output";
    if (detail::isLexicalReport(err) || detail::isSyntaxReport(err)) return {};
    return "exit 1 without exactly one well-formed report";
}

}  // namespace zeb::fuzz

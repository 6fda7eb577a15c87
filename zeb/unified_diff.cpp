#include "zeb/unified_diff.h"

#include <algorithm>
#include <cstddef>
#include <dtl/dtl.hpp>
#include <vector>

namespace zeb {
namespace {

using Lines = std::vector<std::string_view>;
using LineDiff = dtl::Diff<std::string_view, Lines>;
using Edit = std::pair<std::string_view, dtl::elemInfo>;

// Each line with its line end; the last one may have none.
Lines linesOf(std::string_view text) {
    Lines lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
        lines.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return lines;
}

void appendLine(std::string& out, char mark, std::string_view line) {
    out += mark;
    out += line;
    if (line.empty() || line.back() != '\n') out += "\n\\ No newline at end of file\n";
}

// A range as diff(1) writes it: the count only when it is not 1, and an
// empty range starting at 0, the place before the first line.
std::string range(long long first, long long count) {
    if (count == 0) return "0,0";
    return count == 1 ? std::to_string(first) : std::to_string(first) + "," + std::to_string(count);
}

void appendHunk(std::string& out, const std::vector<Edit>& edits) {
    long long oldFirst = 0, oldCount = 0, newFirst = 0, newCount = 0;
    for (const Edit& edit : edits) {
        const bool inOld = edit.second.type != dtl::SES_ADD;
        const bool inNew = edit.second.type != dtl::SES_DELETE;
        if (inOld && oldCount++ == 0) oldFirst = edit.second.beforeIdx;
        if (inNew && newCount++ == 0) newFirst = edit.second.afterIdx;
    }
    out += "@@ -" + range(oldFirst, oldCount) + " +" + range(newFirst, newCount) + " @@\n";
    for (const Edit& edit : edits) {
        switch (edit.second.type) {
        case dtl::SES_COMMON: appendLine(out, ' ', edit.first); break;
        case dtl::SES_DELETE: appendLine(out, '-', edit.first); break;
        case dtl::SES_ADD: appendLine(out, '+', edit.first); break;
        }
    }
}

bool isChange(const Edit& edit) {
    return edit.second.type != dtl::SES_COMMON;
}

}  // namespace

// dtl finds the edit script; the hunks are cut from it here, as diff -u cuts
// them: changes closer than twice the context share a hunk, and each hunk
// has the context on both sides. (dtl's own hunks split such changes with
// their contexts shortened, and give the last hunk of a file up to five lines
// of it.)
std::string unifiedDiff(std::string_view path, std::string_view before, std::string_view after) {
    if (before == after) return {};
    constexpr std::size_t kContext = 3;
    // Deletions first within each change, as diff(1) writes them.
    LineDiff diff(linesOf(before), linesOf(after), true);
    diff.compose();
    const std::vector<Edit> script = diff.getSes().getSequence();
    std::string out = "--- " + std::string(path) + "\n+++ " + std::string(path) + "\n";
    const std::size_t n = script.size();
    std::size_t at = 0;
    for (;;) {
        while (at < n && !isChange(script[at])) ++at;
        if (at == n) break;
        const std::size_t first = at >= kContext ? at - kContext : 0;
        std::size_t changesEnd = at;
        for (;;) {
            while (changesEnd < n && isChange(script[changesEnd])) ++changesEnd;
            std::size_t next = changesEnd;
            while (next < n && !isChange(script[next])) ++next;
            if (next == n || next - changesEnd > 2 * kContext) break;
            changesEnd = next;
        }
        const std::size_t last = std::min(n, changesEnd + kContext);
        appendHunk(out, std::vector<Edit>(script.begin() + static_cast<std::ptrdiff_t>(first),
                                          script.begin() + static_cast<std::ptrdiff_t>(last)));
        at = last;
    }
    return out;
}

}  // namespace zeb

#pragma once

// What the language server must publish for a document: the diagnostics
// `zeb check` finds in the same text, found the way zeb check finds them
// (line ends normalised as zeb reads a file, then the analysis all the
// tools share), in the shape of a publication. The positions are counted
// here afresh from the bytes, not with the server's position map, so that
// a fault in that map, or in its cache of the last line, shows as a
// difference. Header-only: the protocol fuzz target and the soak test of
// the real process both compare against it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/diagnostic.h"
#include "frontend/source_reader.h"

namespace zeb::fuzz {

enum class Units { Utf16, Utf8 };

// The bytes of the well-formed UTF-8 character at text[at] (the ranges of
// the Unicode standard's table of well-formed sequences), or 0 when the
// byte there starts none.
inline std::size_t wellFormedLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() - at < length) return 0;
    if (byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    }
    return length;
}

// Where each line of a text starts, and positions of offsets in it: a line
// ends after each '\n'; a column counts UTF-16 units or bytes, a byte that
// starts no character counting one, and an offset inside a character
// stands after it.
class ClientPositions {
public:
    ClientPositions(std::string_view text, Units units) : text_(text), units_(units) {
        starts_.push_back(0);
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n') starts_.push_back(i + 1);
        }
    }

    nlohmann::json position(std::size_t offset) const {
        offset = std::min(offset, text_.size());
        const std::size_t line =
            static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), offset) - starts_.begin()) - 1;
        return {{"line", line}, {"character", unitsBetween(starts_[line], offset)}};
    }
    nlohmann::json range(Span span) const { return {{"start", position(span.begin)}, {"end", position(span.end)}}; }

    std::size_t lineCount() const { return starts_.size(); }
    // The units of a whole line, its line end left out.
    std::uint64_t lineUnits(std::size_t line) const {
        const std::size_t end = line + 1 < starts_.size() ? starts_[line + 1] - 1 : text_.size();
        return unitsBetween(starts_[line], end);
    }

private:
    std::uint64_t unitsBetween(std::size_t from, std::size_t to) const {
        std::uint64_t units = 0;
        while (from < to) {
            const std::size_t length = wellFormedLength(text_, from);
            if (length == 0) {
                from += 1;
                units += 1;
                continue;
            }
            from += length;
            units += units_ == Units::Utf8 ? length : (length == 4 ? 2 : 1);
        }
        return units;
    }

    std::string_view text_;
    Units units_;
    std::vector<std::size_t> starts_;
};

inline int severityNumber(Severity severity) {
    switch (severity) {
    case Severity::Error: return 1;
    case Severity::Warning: return 2;
    case Severity::Note: return 3;
    }
    return 0;
}

// The "diagnostics" of the publication for a document holding `text` as the
// client sent it. Compared whole: range, severity, code, source, message
// and every note, so that equality means the editor shows exactly what zeb
// check prints. Text that is not UTF-8 goes out replaced by U+FFFD, as the
// server writes any message.
inline nlohmann::json expectedDiagnostics(std::string text, const std::string& uri, Units units) {
    normaliseLineEnds(text);
    const auto source = std::make_shared<const std::string>(std::move(text));
    const MissionAnalysis analysis = analyzeMission(source);
    const ClientPositions positions(*source, units);
    nlohmann::json out = nlohmann::json::array();
    for (const Diagnostic& d : analysis.diagnostics) {
        nlohmann::json diagnostic = {{"range", positions.range(d.span)},
                                     {"severity", severityNumber(d.severity)},
                                     {"code", std::string(d.code)},
                                     {"source", "zeb"},
                                     {"message", d.message}};
        if (!d.notes.empty()) {
            nlohmann::json related = nlohmann::json::array();
            for (const DiagnosticNote& note : d.notes) {
                related.push_back(
                    {{"location", {{"uri", uri}, {"range", positions.range(note.span)}}}, {"message", note.message}});
            }
            diagnostic["relatedInformation"] = std::move(related);
        }
        out.push_back(std::move(diagnostic));
    }
    return nlohmann::json::parse(out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

}  // namespace zeb::fuzz

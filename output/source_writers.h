#pragma once

// The section writers of the source layout and what they share. The source
// layout is the listing's layout changed only where a source file needs it:
// every comment kept, every form one the language reads, reals that read
// back to the same value, no blanks at the ends of lines.

#include <string>
#include <string_view>
#include <vector>

#include "model/mission.h"
#include "output/attached_comments.h"
#include "output/output_sink.h"

namespace zeb {

struct SourceWriter {
    OutputSink& out;
    const AttachedComments& comments;
    AttachedComments::Cursor cursor{};

    const CommentPlaces* find(const void* record, CommentedPart part = CommentedPart::Whole) {
        return comments.find(record, part, cursor);
    }
};

// ---- sections, in the order printSource() writes them ----
void writeSourceHeader(SourceWriter& w, const Mission& mission);
void writeSourceRules(SourceWriter& w, const Mission& mission);
void writeSourceMap(SourceWriter& w, const Mission& mission);
void writeSourceForces(SourceWriter& w, const Mission& mission);
void writeSourceObjectives(SourceWriter& w, const Mission& mission);
// A team's plan: one block, with the team's plan blocks joined. The plans
// come in team order, each laid out apart from the others.
void writeSourcePlan(SourceWriter& w, const Team& team);
void writeSourceEnd(SourceWriter& w, const Mission& mission);

// ---- comments ----
// The text the layout writes for a comment of the source.
std::string commentAsLaidOut(std::string_view comment);
// Own lines at `indent`, one comment after the other.
void writeOwnLines(OutputSink& out, const std::vector<std::string_view>& comments, int indent);
void writeBefore(OutputSink& out, const CommentPlaces* places, int indent);
void writeInside(OutputSink& out, const CommentPlaces* places, int indent);
void writeAfter(OutputSink& out, const CommentPlaces* places, int indent);
// Every comment of a construct the layout leaves out, on lines of its own.
void writeUnplaced(OutputSink& out, const CommentPlaces* places, int indent);
// Ends the pending line, with the comments that stood at the end of it;
// after a "//" comment the rest go on lines of their own at `indent`.
void endLineWith(OutputSink& out, const std::vector<std::string_view>& comments, int indent);
void endHeadLine(OutputSink& out, const CommentPlaces* places, int indent);
void endLastLine(OutputSink& out, const CommentPlaces* places, int indent);

// A construct of one line (or of lines the layout keeps together): the
// comments before it, its text, those at the end of its last line, and
// those after it.
template <typename Text>
void writeCommentedLine(OutputSink& out, const CommentPlaces* places, int indent, Text&& text) {
    writeBefore(out, places, indent);
    text();
    endLastLine(out, places, indent);
    writeAfter(out, places, indent);
}

// A section of the mission: its head line, "  {", its body, "  };" and a
// blank line, with the section's own comments around them; those left
// inside stand at the body's indent.
template <typename Head, typename Body>
void writeSection(OutputSink& out, const CommentPlaces* places, Head&& head, Body&& body, int bodyIndent = 4) {
    writeBefore(out, places, 2);
    head();
    endHeadLine(out, places, 4);
    out.put("  {");
    out.endLine();
    body();
    writeInside(out, places, bodyIndent);
    out.put("  };");
    endLastLine(out, places, 2);
    writeAfter(out, places, 2);
    out.endLine();
}

// ---- values ----
// A real that reads back to the same 32-bit value: an integer where that
// is exact, otherwise digits on both sides of the point and no exponent.
void writeSourceReal(OutputSink& out, float value);

}  // namespace zeb

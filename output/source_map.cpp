#include <algorithm>

#include "output/kind_names.h"
#include "output/real_format.h"
#include "output/source_writers.h"
#include "output/writers.h"

namespace zeb {
namespace {

constexpr int kCoordinateWidth = 5;

// A map without style has no style clause: the language has no word for none.
void writeMapStyle(SourceWriter& w, const Mission& mission) {
    if (mission.mapStyle.empty()) return;
    writeCommentedLine(w.out, w.find(&mission, CommentedPart::MapStyle), 4, [&] {
        w.out.put("    style = ");
        const char* separator = "";
        for (const auto& entry : mapStyleWords()) {
            if (!mission.mapStyle.has(entry.flag)) continue;
            w.out.put(separator).put(entry.word);
            separator = ", ";
        }
        w.out.put(';');
    });
    w.out.endLine();
}

void writeAnnotation(SourceWriter& w, const Mission& mission) {
    if (!mission.annotation) return;
    writeCommentedLine(w.out, w.find(&mission, CommentedPart::Annotation), 4,
                       [&] { w.out.put("    annotation = \"").put(*mission.annotation).put("\";"); });
    w.out.endLine();
}

void writeLocation(SourceWriter& w, const Location& location, std::size_t labelWidth) {
    writeCommentedLine(w.out, w.find(&location), 4, [&] {
        w.out.put("    location ").put(location.label);
        writeIndent(w.out, static_cast<int>(labelWidth - location.label.size()));
        w.out.put(" = <");
        writeRealAligned(w.out, location.position.x, kCoordinateWidth);
        w.out.put(", ");
        writeRealAligned(w.out, location.position.y, kCoordinateWidth);
        w.out.put(", ");
        writeRealAligned(w.out, location.position.z, kCoordinateWidth);
        w.out.put(">;");
    });
}

// The prefixes are all 18 characters wide, so the "=" signs line up. The
// windows take no ";" of their own when a radius follows: the language
// reads the two as one clause.
void writeAreaClause(SourceWriter& w, const Area& area, CommentedPart part, std::string_view prefix,
                     const std::vector<Text>& labels, bool semicolon) {
    writeCommentedLine(w.out, w.find(&area, part), 6, [&] {
        w.out.put(prefix);
        writeLabelList(w.out, labels);
        if (semicolon) w.out.put(';');
    });
}

void writeAreaStyle(SourceWriter& w, const Area& area) {
    const CommentPlaces* places = w.find(&area, CommentedPart::AreaStyle);
    // The style shares the brace's line unless comments stand before it.
    if (places != nullptr && !places->before.empty()) {
        w.out.put("    {");
        w.out.endLine();
        writeBefore(w.out, places, 6);
        w.out.put("      style     = ");
    } else {
        w.out.put("    { style     = ");
    }
    w.out.put(areaStyleWord(area.style)).put(';');
    endLastLine(w.out, places, 6);
    writeAfter(w.out, places, 6);
}

void writeArea(SourceWriter& w, const Area& area) {
    const CommentPlaces* places = w.find(&area);
    writeBefore(w.out, places, 4);
    w.out.put("    area ").put(area.label);
    endHeadLine(w.out, places, 6);
    writeAreaStyle(w, area);
    writeAreaClause(w, area, CommentedPart::AreaLocations, "      locations = ", area.locations, true);
    if (!area.entrances.empty()) {
        writeAreaClause(w, area, CommentedPart::AreaEntrances, "      entrances = ", area.entrances, true);
    }
    if (!area.exits.empty()) writeAreaClause(w, area, CommentedPart::AreaExits, "      exits     = ", area.exits, true);
    if (!area.windows.empty()) {
        writeAreaClause(w, area, CommentedPart::AreaWindows, "      windows   = ", area.windows, area.radius == 0);
    }
    const CommentPlaces* radius = w.find(&area, CommentedPart::AreaRadius);
    if (area.radius == 0) {
        writeUnplaced(w.out, radius, 6);  // "radius = 0" is no radius, and is not written
    } else {
        writeCommentedLine(w.out, radius, 6, [&] {
            w.out.put("      radius    = ");
            writeInteger(w.out, area.radius);
            w.out.put(';');
        });
    }
    writeInside(w.out, places, 6);
    w.out.put("    };");
    endLastLine(w.out, places, 4);
    writeAfter(w.out, places, 4);
}

}  // namespace

void writeSourceMap(SourceWriter& w, const Mission& mission) {
    writeSection(
        w.out, w.find(&mission, CommentedPart::Map),
        [&] {
            w.out.put("  map ");
            writeQuoted(w.out, mission.mapName);
        },
        [&] {
            writeMapStyle(w, mission);
            writeAnnotation(w, mission);
            std::size_t labelWidth = 0;
            for (const Location& location : mission.locations) {
                labelWidth = std::max(labelWidth, location.label.size());
            }
            for (const Location& location : mission.locations) writeLocation(w, location, labelWidth);
            for (const auto& area : mission.areas) {
                w.out.endLine();
                writeArea(w, *area);
            }
        });
}

}  // namespace zeb

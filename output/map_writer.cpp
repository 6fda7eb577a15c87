#include <algorithm>
#include <cstddef>

#include "output/kind_names.h"
#include "output/real_format.h"
#include "output/writers.h"

namespace zeb {
namespace {

constexpr int kCoordinateWidth = 5;

void writeMapStyle(OutputSink& out, MapStyles style) {
    out.put("    style = ");
    if (style.empty()) out.put("none");
    const char* separator = "";
    for (const auto& entry : mapStyleWords()) {
        if (!style.has(entry.flag)) continue;
        out.put(separator).put(entry.word);
        separator = ", ";
    }
    out.put(';');
    out.endLine();
    out.endLine();
}

// An annotation that spanned several source lines keeps its line breaks
// inside the quotes; they are part of the text, not line ends of the layout.
void writeAnnotation(OutputSink& out, const std::optional<std::string>& annotation) {
    if (!annotation) return;
    out.put("    annotation = \"").put(*annotation).put("\";");
    out.endLine();
    out.endLine();
}

std::size_t widestLabel(const std::vector<Location>& locations) {
    std::size_t width = 0;
    for (const Location& location : locations) width = std::max(width, location.label.size());
    return width;
}

void writeLocation(OutputSink& out, const Location& location, std::size_t labelWidth) {
    out.put("    location ").put(location.label);
    writeIndent(out, static_cast<int>(labelWidth - location.label.size()));
    out.put(" = <");
    writeRealAligned(out, location.position.x, kCoordinateWidth);
    out.put(", ");
    writeRealAligned(out, location.position.y, kCoordinateWidth);
    out.put(", ");
    writeRealAligned(out, location.position.z, kCoordinateWidth);
    out.put(">;");
    out.endLine();
}

// No style, or more than one, cannot come from the language.
std::string_view areaStyleText(AreaStyles style) {
    const std::string_view word = areaStyleWord(style);
    return word.empty() ? "none" : word;
}

// The prefixes are all 18 characters wide, so the "=" signs line up.
void writeAreaList(OutputSink& out, std::string_view prefix, const std::vector<Text>& labels) {
    out.put(prefix);
    writeLabelList(out, labels);
    out.put(';');
    out.endLine();
}

void writeOptionalAreaList(OutputSink& out, std::string_view prefix, const std::vector<Text>& labels) {
    if (!labels.empty()) writeAreaList(out, prefix, labels);
}

void writeArea(OutputSink& out, const Area& area) {
    out.put("    area ").put(area.label);
    out.endLine();
    out.put("    { style     = ").put(areaStyleText(area.style)).put(';');
    out.endLine();
    writeAreaList(out, "      locations = ", area.locations);
    writeOptionalAreaList(out, "      entrances = ", area.entrances);
    writeOptionalAreaList(out, "      exits     = ", area.exits);
    writeOptionalAreaList(out, "      windows   = ", area.windows);
    if (area.radius != 0) {
        out.put("      radius    = ");
        writeInteger(out, area.radius);
        out.put(';');
        out.endLine();
    }
    out.put("    };");
    out.endLine();
}

void writeAreas(OutputSink& out, const std::vector<std::unique_ptr<Area>>& areas) {
    for (const auto& area : areas) {
        out.endLine();  // before the first area, and between two areas
        writeArea(out, *area);
    }
}

}  // namespace

void writeMap(OutputSink& out, const Mission& mission) {
    out.put("  map ");
    writeQuoted(out, mission.mapName);
    out.endLine();
    out.put("  {");
    out.endLine();
    writeMapStyle(out, mission.mapStyle);
    writeAnnotation(out, mission.annotation);
    std::size_t labelWidth = widestLabel(mission.locations);
    for (const Location& location : mission.locations) writeLocation(out, location, labelWidth);
    writeAreas(out, mission.areas);
    out.put("  };");
    out.endLine();
    out.endLine();
}

}  // namespace zeb

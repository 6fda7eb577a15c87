#pragma once

// Where labels go so that they do not pile on one another: every label has
// a list of spots, nearest first, and takes the first that nothing drawn
// before it covers. What is taken is kept in a grid of small cells over the
// drawing, so a test costs the size of the label, not the number of labels
// and points already there: a map of thousands of locations crowded on one
// spot is placed in linear time.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "map/map_geometry.h"
#include "map/map_projection.h"

namespace zeb::map {

// How wide a text is drawn, estimated on the generous side for a sans-serif
// face, so that labels whose estimated boxes are apart are apart on screen.
double textWidth(std::size_t characters, double fontSize);
inline double textWidth(std::string_view text, double fontSize) {
    return textWidth(text.size(), fontSize);
}

enum class Anchor { Start, Middle, End };

struct LabelSpot {
    Point at;  // the text's anchor, on its baseline
    Anchor anchor = Anchor::Start;
    Box box;              // what the text covers, with a pixel to spare
    bool leader = false;  // set apart from its point: a line leads to it
};

// Where a point's label may go: the eight places around the point, clear
// of what reaches that far from it (the point, its marks), then in columns
// further up and down on either side, and further above and below.
std::vector<LabelSpot> spotsAroundPoint(Point p, double reach, double width, double fontSize);
// Centred on the point, then further below and above it.
std::vector<LabelSpot> spotsCentredOn(Point p, double width, double fontSize);

class OccupancyGrid {
public:
    // Nothing outside the region is ever free.
    explicit OccupancyGrid(Box region);

    bool isFree(const Box& box) const;
    // Takes every cell the box touches, within the region.
    void take(const Box& box);
    // The first spot whose box is free, which is then taken; none when no
    // spot is free.
    std::optional<LabelSpot> placeFirstFree(const std::vector<LabelSpot>& spots);

private:
    struct CellRange {
        std::size_t firstColumn, endColumn, firstRow, endRow;
    };
    CellRange cellsOf(const Box& box) const;

    Box region_;
    std::size_t columns_;
    std::size_t rows_;
    std::vector<std::uint8_t> taken_;  // row by row
};

}  // namespace zeb::map

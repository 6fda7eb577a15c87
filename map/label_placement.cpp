#include "map/label_placement.h"

#include <algorithm>
#include <cmath>

namespace zeb::map {
namespace {

// A text's glyphs rise about 0.78 of the font size above the baseline and
// hang 0.24 below it; the average advance of a sans-serif face is about
// 0.55 of the size, and 0.62 leaves room for capitals and wide letters.
constexpr double kAscent = 0.78;
constexpr double kDescent = 0.24;
constexpr double kAdvance = 0.62;
constexpr double kSpare = 1;
// Columns and stacks of this many labels on each side of a crowded point;
// past them a label is left out, its point still naming itself on hover.
constexpr int kRings = 6;
// The grid's cells: fine enough that a cell wastes little room beside a
// label, coarse enough that a large picture's grid is a few hundred kilobytes.
constexpr double kCellSize = 2;

LabelSpot spot(Point at, Anchor anchor, double width, double fontSize, bool leader) {
    double left = at.x;
    if (anchor == Anchor::Middle) left -= width / 2;
    if (anchor == Anchor::End) left -= width;
    const Box box{left - kSpare, at.y - kAscent * fontSize - kSpare, left + width + kSpare,
                  at.y + kDescent * fontSize + kSpare};
    return LabelSpot{at, anchor, box, leader};
}

// The baseline that centres a line of text on y.
double middleBaseline(double y, double fontSize) {
    return y + (kAscent - kDescent) / 2 * fontSize;
}

}  // namespace

double textWidth(std::size_t characters, double fontSize) {
    return static_cast<double>(characters) * kAdvance * fontSize;
}

std::vector<LabelSpot> spotsAroundPoint(Point p, double reach, double width, double fontSize) {
    // Clear of the point's own cells, whichever way the cells fall.
    const double gap = reach + kCellSize;
    const double diagonal = gap * 0.7;
    const double middle = middleBaseline(p.y, fontSize);
    const double above = p.y - gap - kDescent * fontSize;
    const double below = p.y + gap + kAscent * fontSize;
    const double line = (kAscent + kDescent) * fontSize + 2 * kSpare + 1;
    std::vector<LabelSpot> spots = {
        spot({p.x + gap, middle}, Anchor::Start, width, fontSize, false),
        spot({p.x - gap, middle}, Anchor::End, width, fontSize, false),
        spot({p.x, above}, Anchor::Middle, width, fontSize, false),
        spot({p.x, below}, Anchor::Middle, width, fontSize, false),
        spot({p.x + diagonal, p.y - diagonal - kDescent * fontSize}, Anchor::Start, width, fontSize, false),
        spot({p.x - diagonal, p.y - diagonal - kDescent * fontSize}, Anchor::End, width, fontSize, false),
        spot({p.x + diagonal, p.y + diagonal + kAscent * fontSize}, Anchor::Start, width, fontSize, false),
        spot({p.x - diagonal, p.y + diagonal + kAscent * fontSize}, Anchor::End, width, fontSize, false),
    };
    spots.reserve(spots.size() + 6 * kRings);
    const double aside = gap + 6;
    for (int ring = 1; ring <= kRings; ++ring) {
        const double shift = ring * line;
        spots.push_back(spot({p.x + aside, middle - shift}, Anchor::Start, width, fontSize, true));
        spots.push_back(spot({p.x + aside, middle + shift}, Anchor::Start, width, fontSize, true));
        spots.push_back(spot({p.x - aside, middle - shift}, Anchor::End, width, fontSize, true));
        spots.push_back(spot({p.x - aside, middle + shift}, Anchor::End, width, fontSize, true));
        spots.push_back(spot({p.x, above - shift}, Anchor::Middle, width, fontSize, true));
        spots.push_back(spot({p.x, below + shift}, Anchor::Middle, width, fontSize, true));
    }
    return spots;
}

std::vector<LabelSpot> spotsCentredOn(Point p, double width, double fontSize) {
    const double middle = middleBaseline(p.y, fontSize);
    const double line = (kAscent + kDescent) * fontSize + 2 * kSpare + 1;
    std::vector<LabelSpot> spots = {spot({p.x, middle}, Anchor::Middle, width, fontSize, false)};
    // Half a line at a time: a centre label moves no further than it must.
    for (int step = 1; step <= 2 * kRings; ++step) {
        spots.push_back(spot({p.x, middle + step * line / 2}, Anchor::Middle, width, fontSize, false));
        spots.push_back(spot({p.x, middle - step * line / 2}, Anchor::Middle, width, fontSize, false));
    }
    return spots;
}

OccupancyGrid::OccupancyGrid(Box region)
    : region_(region),
      columns_(static_cast<std::size_t>(std::ceil(std::max(region.width(), 0.0) / kCellSize))),
      rows_(static_cast<std::size_t>(std::ceil(std::max(region.height(), 0.0) / kCellSize))),
      taken_(columns_ * rows_, 0) {}

// The cells a box touches, clipped to the grid: floor of its near edges,
// ceiling of its far ones, so two boxes that overlap share a cell.
OccupancyGrid::CellRange OccupancyGrid::cellsOf(const Box& box) const {
    const auto cell = [](double offset, std::size_t count, bool far) {
        const double at = far ? std::ceil(offset / kCellSize) : std::floor(offset / kCellSize);
        if (!(at > 0)) return std::size_t{0};
        return std::min(count, static_cast<std::size_t>(at));
    };
    return CellRange{cell(box.left - region_.left, columns_, false), cell(box.right - region_.left, columns_, true),
                     cell(box.top - region_.top, rows_, false), cell(box.bottom - region_.top, rows_, true)};
}

bool OccupancyGrid::isFree(const Box& box) const {
    if (box.left < region_.left || box.top < region_.top || box.right > region_.right || box.bottom > region_.bottom) {
        return false;
    }
    const CellRange cells = cellsOf(box);
    for (std::size_t row = cells.firstRow; row < cells.endRow; ++row) {
        const std::uint8_t* line = &taken_[row * columns_];
        for (std::size_t column = cells.firstColumn; column < cells.endColumn; ++column) {
            if (line[column] != 0) return false;
        }
    }
    return true;
}

void OccupancyGrid::take(const Box& box) {
    const CellRange cells = cellsOf(box);
    for (std::size_t row = cells.firstRow; row < cells.endRow; ++row) {
        std::fill(taken_.begin() + static_cast<std::ptrdiff_t>(row * columns_ + cells.firstColumn),
                  taken_.begin() + static_cast<std::ptrdiff_t>(row * columns_ + cells.endColumn), std::uint8_t{1});
    }
}

std::optional<LabelSpot> OccupancyGrid::placeFirstFree(const std::vector<LabelSpot>& spots) {
    for (const LabelSpot& candidate : spots) {
        if (!isFree(candidate.box)) continue;
        take(candidate.box);
        return candidate;
    }
    return std::nullopt;
}

}  // namespace zeb::map

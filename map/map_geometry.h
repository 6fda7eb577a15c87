#pragma once

// Plane geometry for the map picture: points, their bounds, and the shape an
// area's locations make.

#include <vector>

namespace zeb::map {

struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(Point, Point) = default;
};

// The smallest upright rectangle around what was added; empty until then.
struct Bounds {
    double minX = 0;
    double minY = 0;
    double maxX = 0;
    double maxY = 0;
    bool empty = true;

    void add(Point p);
    // A circle of the radius around the point.
    void add(Point centre, double radius);
    double width() const { return empty ? 0 : maxX - minX; }
    double height() const { return empty ? 0 : maxY - minY; }
    Point centre() const { return {(minX + maxX) / 2, (minY + maxY) / 2}; }
};

// The corners of the convex hull, counter-clockwise from the lowest, leftmost
// point, with no point repeated and none on a side between two corners: one
// point when all the points coincide, the two ends when they lie on a line,
// none for no points.
std::vector<Point> convexHull(std::vector<Point> points);

// The mean of the points: where an area's label and radius are centred. The
// origin for no points.
Point meanOf(const std::vector<Point>& points);

}  // namespace zeb::map

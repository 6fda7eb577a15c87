#include "map/map_geometry.h"

#include <algorithm>

namespace zeb::map {
namespace {

// Twice the signed area of the triangle o, a, b: positive when b lies to the
// left of the line from o through a. The coordinates are whole numbers of at
// most 17 bits, so the products are exact.
double cross(Point o, Point a, Point b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

}  // namespace

void Bounds::add(Point p) {
    if (empty) {
        minX = maxX = p.x;
        minY = maxY = p.y;
        empty = false;
        return;
    }
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
}

void Bounds::add(Point centre, double radius) {
    add(Point{centre.x - radius, centre.y - radius});
    add(Point{centre.x + radius, centre.y + radius});
}

// Andrew's monotone chain: the lower and the upper half in one sweep over
// the points sorted by x, then y.
std::vector<Point> convexHull(std::vector<Point> points) {
    std::sort(points.begin(), points.end(), [](Point a, Point b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    points.erase(std::unique(points.begin(), points.end()), points.end());
    if (points.size() < 3) return points;
    std::vector<Point> hull(2 * points.size());
    std::size_t size = 0;
    for (const Point p : points) {
        while (size >= 2 && cross(hull[size - 2], hull[size - 1], p) <= 0) --size;
        hull[size++] = p;
    }
    const std::size_t lower = size + 1;
    for (std::size_t i = points.size() - 1; i-- > 0;) {
        while (size >= lower && cross(hull[size - 2], hull[size - 1], points[i]) <= 0) --size;
        hull[size++] = points[i];
    }
    // The sweep ends where it began.
    hull.resize(size - 1);
    return hull;
}

Point meanOf(const std::vector<Point>& points) {
    if (points.empty()) return {};
    double x = 0;
    double y = 0;
    for (const Point p : points) {
        x += p.x;
        y += p.y;
    }
    const auto count = static_cast<double>(points.size());
    return {x / count, y / count};
}

}  // namespace zeb::map

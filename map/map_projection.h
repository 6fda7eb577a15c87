#pragma once

// From the map's units to the picture's pixels: one scale for both axes, so
// that distances, circles and the scale bar hold everywhere, and y turned to
// point up, as a map reads, where a picture's y points down.

#include "map/map_geometry.h"

namespace zeb::map {

// A rectangle of the picture, in pixels, y pointing down.
struct Box {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
    double width() const { return right - left; }
    double height() const { return bottom - top; }
};

class Projection {
public:
    // Fits the bounds into a drawing at most `largest` pixels wide and high,
    // and at least kLeastPixels (or `largest`, if less). Bounds less than
    // kLeastSpan units across either way are shown as that span; empty
    // bounds as the span around the origin.
    Projection(Bounds bounds, Point largest);

    // The size of the drawing: the map's own proportions, within `largest`.
    Point size() const { return size_; }
    // From the drawing's top left corner.
    Point toPixels(Point p) const { return {(p.x - origin_.x) * scale_, (origin_.y - p.y) * scale_}; }
    double pixelsPerUnit() const { return scale_; }

    static constexpr double kLeastSpan = 10;
    static constexpr double kLeastPixels = 240;

private:
    Point origin_;  // the map point at the drawing's top left corner
    double scale_ = 1;
    Point size_;
};

// The longest of 1, 2 or 5 times a power of ten that is at most `units`: a
// scale bar's length that reads at a glance.
double roundLength(double units);

}  // namespace zeb::map

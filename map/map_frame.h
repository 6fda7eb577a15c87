#pragma once

// Where the drawing of the ground sits in the picture: a frame with room
// inside it for the labels of the points nearest its edge, and the
// projection that puts map points into it.

#include "map/map_geometry.h"
#include "map/map_projection.h"

namespace zeb::map {

class MapFrame {
public:
    // The frame's top left corner in the picture.
    MapFrame(const Projection& projection, Point topLeft)
        : projection_(projection),
          drawing_{topLeft.x + kInset, topLeft.y + kInset},
          frame_{topLeft.x, topLeft.y, topLeft.x + projection.size().x + 2 * kInset,
                 topLeft.y + projection.size().y + 2 * kInset} {}

    // A map point in the picture.
    Point at(Point mapPoint) const {
        const Point p = projection_.toPixels(mapPoint);
        return {drawing_.x + p.x, drawing_.y + p.y};
    }
    double pixels(double units) const { return units * projection_.pixelsPerUnit(); }
    const Projection& projection() const { return projection_; }
    const Box& frame() const { return frame_; }

    static constexpr double kInset = 48;

private:
    Projection projection_;
    Point drawing_;
    Box frame_;
};

}  // namespace zeb::map

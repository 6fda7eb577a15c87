#include "map/map_projection.h"

#include <algorithm>
#include <cmath>

namespace zeb::map {

Projection::Projection(Bounds bounds, Point largest) {
    if (bounds.empty) bounds.add(Point{0, 0});
    double width = bounds.width();
    double height = bounds.height();
    // A single spot, or a crowd within a few units, is shown as a small
    // square of ground around it.
    if (width < kLeastSpan && height < kLeastSpan) width = height = kLeastSpan;
    constexpr double kUnbounded = 1e300;
    scale_ = std::min(width > 0 ? largest.x / width : kUnbounded, height > 0 ? largest.y / height : kUnbounded);
    // Points on one line still get a drawing of some height (or width) to
    // stand in, their labels above and below them.
    size_ = {std::min(largest.x, std::max(width * scale_, kLeastPixels)),
             std::min(largest.y, std::max(height * scale_, kLeastPixels))};
    const Point centre = bounds.centre();
    origin_ = {centre.x - size_.x / scale_ / 2, centre.y + size_.y / scale_ / 2};
}

double roundLength(double units) {
    if (!(units > 0) || !std::isfinite(units)) return 1;
    const double power = std::pow(10.0, std::floor(std::log10(units)));
    for (const double step : {5.0, 2.0, 1.0}) {
        if (step * power <= units) return step * power;
    }
    return power;
}

}  // namespace zeb::map

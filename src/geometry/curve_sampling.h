#pragma once

#include <functional>
#include <vector>

#include "geometry/plane.h"

namespace kelvo {

// Points of the plane curve `curve`, its parameter running from `from` to `to` (either way), both
// ends included: each parameter interval is halved until the curve's point at its middle lies
// within `tolerance` (mm) of the chord, so the polyline keeps to the curve that closely.
std::vector<Point2> SampleCurve(const std::function<Point2(double)>& curve, double from, double to,
                                double tolerance);

}  // namespace kelvo

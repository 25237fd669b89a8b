#include "geometry/generating_rack.h"

#include <cmath>

#include "geometry/gear_constants.h"

namespace kelvo {
namespace {

constexpr double kTipArcRadius = 0.38;  // in modules
constexpr double kFlankEndDepth = 1.0;  // straight flank's end below the datum, in modules

}  // namespace

TransverseRack::TransverseRack(double m, double beta, double alpha_t)
    : m_(m),
      cos_beta_(std::cos(beta)),
      tan_alpha_t_(std::tan(alpha_t)),
      flank_normal_{-std::cos(alpha_t), -std::sin(alpha_t)},
      arc_radius_(kTipArcRadius * m) {
  // The normal section's points C and D; the datum half-width of the tooth is pi m / 4.
  const double alpha = kNormalPressureAngle;
  const Point2 end{-kPi * m / 4 + kFlankEndDepth * m * std::tan(alpha), -kFlankEndDepth * m};
  const Point2 centre = end + arc_radius_ * Point2{std::cos(alpha), std::sin(alpha)};
  flank_end_ = {end.x / cos_beta_, end.y};
  arc_centre_ = {centre.x / cos_beta_, centre.y};
}

double TransverseRack::TipArcTop() const {
  return std::numbers::pi + kNormalPressureAngle;
}

RackPoint TransverseRack::TipLine(double u) const {
  return {{u * arc_centre_.x, arc_centre_.y - arc_radius_}, {0, -1}};
}

RackPoint TransverseRack::TipArc(double phi) const {
  const double c = std::cos(phi), s = std::sin(phi);
  const Point2 at = arc_centre_ + Point2{arc_radius_ * c / cos_beta_, arc_radius_ * s};
  // The ellipse (a cos phi, b sin phi) has its outward normal along (b cos phi, a sin phi).
  const Point2 normal{cos_beta_ * c, s};
  return {at, (1 / Length(normal)) * normal};
}

RackPoint TransverseRack::Flank(double y) const {
  return {{flank_end_.x - (y - flank_end_.y) * tan_alpha_t_, y}, flank_normal_};
}

Point2 GeneratedPoint(const RollingGear& gear, const RackPoint& point) {
  const double r = gear.reference_radius;
  const Point2 p = point.at, n = point.normal;
  // With the datum at r + shift from the axis and the rack moved by s, the point's normal
  // reaches the pitch point (0, r) when s = -p.x + (p.y + shift) n.x / n.y. Every cutting point
  // has n.y < 0: its normal leans towards the axis.
  const double s = -p.x + (p.y + gear.shift) * n.x / n.y;
  const Point2 placed{p.x + s, p.y + r + gear.shift};
  // Rolling without slip: the rack moved by s while the gear turned clockwise by s / r. Undo the
  // turn, then a quarter turn clockwise brings the space's middle from +y to +x.
  const Point2 in_gear = Rotated(placed, s / r);
  return {in_gear.y, -in_gear.x};
}

}  // namespace kelvo

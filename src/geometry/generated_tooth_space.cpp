#include "geometry/generated_tooth_space.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/gear_constants.h"
#include "geometry/involute.h"
#include "geometry/pair_gear.h"

namespace kelvo {
namespace {

// Where to look for the fillet's crossing with the involute, as fractions of the tip arc from
// its junction with the flank: ever closer to the junction first (a slight undercut crosses
// there), then evenly along the whole arc.
std::vector<double> CrossingSearchSteps() {
  std::vector<double> steps;
  for (int k = 40; k > 10; --k)
    steps.push_back(std::ldexp(1.0, -k));
  for (int k = 1; k <= 1024; ++k)
    steps.push_back(k / 1024.0);
  return steps;
}

}  // namespace

GeneratedToothSpace::GeneratedToothSpace(const GearPairData& pair, std::int16_t gearNo)
    : rack_(pair.m, pair.beta, pair.alpha_t), sin_alpha_t_(std::sin(pair.alpha_t)) {
  const PairGear gear = GearOf(pair, gearNo);
  const double r = gear.d / 2;
  rolling_ = {r, gear.x * pair.m};
  base_radius_ = r * std::cos(pair.alpha_t);
  tip_radius_ = gear.da / 2;
  tooth_middle_ = kPi / gear.teeth;
  // The rack tooth's half-width on the rolling line is the space's half-width on the reference
  // circle, where the involute's pressure angle is alpha_t.
  const double half_space = -rack_.Flank(-rolling_.shift).at.x;
  involute_start_angle_ = half_space / r - inv(pair.alpha_t);
  // The straight flank ends (1 - x) m below the rolling line and meets the line of action that
  // far over sin(alpha_t) from the pitch point; past the base circle's tangent point, r
  // sin(alpha_t) from it, it undercuts.
  const double end_depth = -rack_.FlankEnd() - rolling_.shift;
  undercut_ = end_depth / sin_alpha_t_ > r * sin_alpha_t_;
  fillet_end_ = rack_.TipArcTop();
  flank_start_ = rack_.FlankEnd();
  if (undercut_) TrimUndercut();
  EndAtTipOrMiddle();
}

Point2 GeneratedToothSpace::RootLand(double u) const {
  return GeneratedPoint(rolling_, rack_.TipLine(u));
}

Point2 GeneratedToothSpace::Fillet(double phi) const {
  return GeneratedPoint(rolling_, rack_.TipArc(phi));
}

Point2 GeneratedToothSpace::Flank(double y) const {
  return GeneratedPoint(rolling_, rack_.Flank(y));
}

double GeneratedToothSpace::InvoluteAngle(double radius) const {
  if (radius <= base_radius_) return involute_start_angle_;
  return involute_start_angle_ + inv(std::acos(base_radius_ / radius));
}

double GeneratedToothSpace::FlankHeightAt(double radius) const {
  // The flank point h below the rolling line touches the line of action h / sin(alpha_t) from
  // the pitch point, sqrt(radius^2 - rb^2) from the base circle's tangent point.
  const double along = std::sqrt(std::max(0.0, radius * radius - base_radius_ * base_radius_));
  const double r = rolling_.reference_radius;
  return -rolling_.shift - (r * sin_alpha_t_ - along) * sin_alpha_t_;
}

void GeneratedToothSpace::TrimUndercut() {
  // Near its junction with the flank the fillet lies on the involute's far branch, inside the
  // space; rootward it cuts into the tooth. The first point found beyond the involute brackets
  // the crossing, which bisection then pins down.
  const double top = rack_.TipArcTop();
  const double span = TransverseRack::kTipArcLowest - top;
  const auto beyond = [&](double t) {
    const Point2 p = Fillet(top + t * span);
    return Angle(p) - InvoluteAngle(Length(p));
  };
  double inside = 0;
  for (const double t : CrossingSearchSteps()) {
    if (beyond(t) < 0) {
      inside = t;
      continue;
    }
    double outside = t;
    for (int i = 0; i < 100 && outside - inside > 1e-17; ++i) {
      const double middle = (inside + outside) / 2;
      (beyond(middle) < 0 ? inside : outside) = middle;
    }
    fillet_end_ = top + outside * span;
    flank_start_ = FlankHeightAt(Length(Fillet(fillet_end_)));
    return;
  }
  // No crossing to be found: an undercut of less than a nanometre; the profile keeps the
  // junction with the flank.
}

void GeneratedToothSpace::EndAtTipOrMiddle() {
  flank_end_ = std::max(flank_start_, FlankHeightAt(tip_radius_));
  if (Angle(Flank(flank_end_)) <= tooth_middle_) return;
  // The flank crosses the tooth's middle line below the tip circle, where it meets the other
  // flank of the tooth: a pointed tooth.
  pointed_ = true;
  double below = flank_start_, above = flank_end_;
  if (Angle(Flank(below)) >= tooth_middle_) {
    flank_end_ = flank_start_;
    return;
  }
  for (int i = 0; i < 200 && above - below > 1e-15 * std::abs(above); ++i) {
    const double middle = (below + above) / 2;
    (Angle(Flank(middle)) < tooth_middle_ ? below : above) = middle;
  }
  flank_end_ = below;
}

}  // namespace kelvo

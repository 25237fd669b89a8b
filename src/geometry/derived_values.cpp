#include "geometry/derived_values.h"

#include <cmath>

#include "geometry/gear_constants.h"
#include "geometry/generated_tooth_space.h"
#include "geometry/involute.h"
#include "geometry/pair_gear.h"

namespace kelvo {
namespace {

// Depth below the datum, in modules, where the cutter's straight flank ends in its tip arc.
constexpr double kCutterFlankEnd = 1.0;

// ISO 21771:2007 / DIN 3960: s_at = d_a (s_t / d + inv(alpha_t) - inv(alpha_at)) with the
// transverse thickness on the reference circle s_t = m (pi / 2 + 2 x tan(alpha_n)) / cos(beta)
// and cos(alpha_at) = d_b / d_a; the normal section through the tip turns it by the helix angle
// there, tan(beta_a) = tan(beta) d_a / d: s_an = s_at cos(beta_a).
double NormalTipThickness(const GearPairData& pair, const PairGear& gear, double db) {
  const double st =
      pair.m * (kPi / 2 + 2 * gear.x * std::tan(kNormalPressureAngle)) / std::cos(pair.beta);
  const double alpha_at = std::acos(db / gear.da);
  const double sat = gear.da * (st / gear.d + inv(pair.alpha_t) - inv(alpha_at));
  const double beta_a = std::atan(std::tan(pair.beta) * gear.da / gear.d);
  return sat * std::cos(beta_a);
}

GearDerivedValues DeriveGear(const GearPairData& pair, std::int16_t gearNo) {
  const PairGear gear = GearOf(pair, gearNo);
  const PairGear mate = GearOf(pair, MateOf(gearNo));
  const double m = pair.m;
  GearDerivedValues v;
  v.db = gear.d * std::cos(pair.alpha_t);                         // ISO 21771: d_b = d cos(alpha_t)
  v.df = gear.d + 2 * gear.x * m - 2 * kDedendumCoefficient * m;  // ISO 21771: d + 2 x m - 2 h_fP
  v.dw = v.db / std::cos(pair.alpha_wt);  // ISO 21771 / DIN 3960: d_w = d_b / cos(alpha_wt)
  v.dFf = RootFormDiameter(pair, gearNo);
  v.san = NormalTipThickness(pair, gear, v.db);
  v.xmin = LeastShiftWithoutUndercut(gear.teeth, pair.beta, pair.alpha_t, kCutterFlankEnd);
  const double mate_df = mate.d + 2 * mate.x * m - 2 * kDedendumCoefficient * m;
  v.c = pair.a_true - gear.da / 2 - mate_df / 2;  // ISO 21771: c = a - (d_a + d_f,mate) / 2
  v.undercut = gear.x < v.xmin;
  return v;
}

}  // namespace

double LeastShiftWithoutUndercut(double teeth, double beta, double alpha_t,
                                 double flank_end_depth) {
  // DIN 3960 / ISO 21771 undercut limit: the end of the straight flank, (h_FfP0 / m - x) m below
  // the rolling line, must not pass the interference point, r sin^2(alpha_t) below it, with
  // r = z m / (2 cos(beta)): x_min = h_FfP0 / m - z sin^2(alpha_t) / (2 cos(beta)). For the
  // 20-degree spur rack of depth 1 it is the textbook 1 - z / 17.1.
  const double s = std::sin(alpha_t);
  return flank_end_depth - teeth * s * s / (2 * std::cos(beta));
}

double RootFormDiameter(const GearPairData& pair, std::int16_t gearNo) {
  const GeneratedToothSpace space(pair, gearNo);
  if (space.Undercut()) return 2 * space.FormRadius();
  const PairGear gear = GearOf(pair, gearNo);
  // ISO 21771 / DIN 3960: d_Ff = sqrt(d_b^2 + (d sin(alpha_t) - 2 (h_FfP - x m) / sin(alpha_t))^2)
  // with h_FfP = 1 m, the depth where the cutter's straight flank ends.
  const double db = gear.d * std::cos(pair.alpha_t);
  const double s = std::sin(pair.alpha_t);
  const double along = gear.d * s - 2 * (kCutterFlankEnd - gear.x) * pair.m / s;
  return std::hypot(db, along);
}

DerivedValues DeriveValues(const GearPairData& pair) {
  return {DeriveGear(pair, 1), DeriveGear(pair, 2)};
}

}  // namespace kelvo

#include "geometry/gear_theory.h"

#include <cmath>

#include "geometry/derived_values.h"
#include "geometry/gear_constants.h"

namespace kelvo {

GearTheory TheoryOf(const GearPairData& pair, std::int16_t gearNo, double roll_angle) {
  const bool small = gearNo == 1;
  const double m = pair.m;
  const double x = small ? pair.x1 : pair.x2;
  const double d = small ? pair.d1 : pair.d2;
  GearTheory theory;
  theory.teeth = small ? pair.z1 : pair.z2;
  theory.reference_radius = d / 2;
  theory.base_radius = d / 2 * std::cos(pair.alpha_t);
  theory.tip_diameter = small ? pair.da1 : pair.da2;
  theory.root_diameter = d + 2 * x * m - 2 * kDedendumCoefficient * m;
  theory.tooth_thickness =
      m * (kPi / 2 + 2 * x * std::tan(kNormalPressureAngle)) / std::cos(pair.beta);
  theory.tooth_chord = d * std::sin(theory.tooth_thickness / d);
  theory.form_radius = RootFormDiameter(pair, gearNo) / 2;
  theory.involute_at_reference = theory.reference_radius >= theory.form_radius;
  theory.helix_angle = pair.beta;
  const double tip_radius = theory.tip_diameter / 2;
  const double rho = std::sqrt(tip_radius * tip_radius - theory.base_radius * theory.base_radius);
  theory.cusp_height = rho * roll_angle * roll_angle / 8;
  return theory;
}

}  // namespace kelvo

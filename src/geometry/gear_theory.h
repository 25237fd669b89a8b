#pragma once

#include <cstdint>

#include "geometry/gear_pair_data.h"

namespace kelvo {

// What the gear-table formulas say a hobbed gear of the pair should measure, for the
// inspection to be set beside: the 20-degree standard rack with a dedendum of 1.25 modules and
// tip rounding of 0.38 modules, rolled at the shifted datum. Lengths in mm, angles in radians.
struct GearTheory {
  int teeth = 0;
  double reference_radius = 0;  // d / 2, where the rack's rolling line rolls
  double base_radius = 0;       // d / 2 cos(alpha_t)
  double tip_diameter = 0;      // da of the solver
  double root_diameter = 0;     // d + 2 x m - 2.5 m: the cutter's tip line
  // Transverse tooth thickness on the reference circle: m (pi / 2 + 2 x tan alpha) / cos beta
  // as an arc, and its chord.
  double tooth_thickness = 0;
  double tooth_chord = 0;
  // Root form circle: where the involute begins (RootFormDiameter): the point the end of the
  // cutter's straight flank generates, or on an undercut gear the fillet's crossing with the
  // involute.
  double form_radius = 0;
  // Whether the reference circle crosses the involute at all. With a large positive shift the
  // rolling line runs below the straight part of the cutter's flank, the reference circle
  // lies inside the root fillet, and the thickness formula does not apply there.
  bool involute_at_reference = true;
  double helix_angle = 0;  // beta, without a hand
  // The cusps the finite rolling steps leave on the flank: rho dphi^2 / 8 at the tip, with rho
  // = sqrt(ra^2 - rb^2) and dphi the blank's turn per position (mm).
  double cusp_height = 0;
};

// gearNo 1 is the small gear, any other value the large; roll_angle is the blank's turn per
// generating position.
GearTheory TheoryOf(const GearPairData& pair, std::int16_t gearNo, double roll_angle);

}  // namespace kelvo

#pragma once

#include <cstdint>
#include <type_traits>

namespace kelvo {

// The seven inputs of an external involute gear pair and the 29 values derived from them.
// Index 1 is the small gear (pinion), index 2 the large gear (wheel). Lengths are in the unit
// of the module, angles in radians; module, pressure angle and shifts are normal-section values.
struct GearPairData {
  double a_true;     // working centre distance a'
  double m;          // normal module
  std::int16_t z1;   // number of teeth, small gear
  std::int16_t z2;   // number of teeth, large gear
  double b;          // face width
  double beta;       // helix angle
  double x1;         // normal profile-shift coefficient, small gear
  double u;          // gear ratio z2 / z1
  double d1;         // reference diameter, small gear
  double d2;         // reference diameter, large gear
  double a;          // reference centre distance
  double alpha_t;    // transverse pressure angle at the reference circle
  double alpha_wt;   // working transverse pressure angle
  double x_sum;      // sum of the profile-shift coefficients
  double x2;         // profile-shift coefficient, large gear
  double ha1;        // addendum, small gear
  double ha2;        // addendum, large gear
  double hf1;        // dedendum, small gear
  double hf2;        // dedendum, large gear
  double h1;         // whole depth, small gear
  double h2;         // whole depth, large gear
  double da1;        // tip diameter, small gear
  double da2;        // tip diameter, large gear
  double eps_alpha;  // transverse contact ratio
  double eps_beta;   // overlap ratio
  double eps_gamma;  // total contact ratio
  double zv1;        // virtual number of teeth, small gear
  double zv2;        // virtual number of teeth, large gear
  std::int16_t k1;   // teeth spanned for the base tangent length, small gear
  std::int16_t k2;   // teeth spanned for the base tangent length, large gear
  double W1;         // base tangent length over k1 teeth, small gear
  double W2;         // base tangent length over k2 teeth, large gear
  double hc1;        // chordal height, small gear
  double sc1;        // chordal thickness (normal section), small gear
  double hc2;        // chordal height, large gear
  double sc2;        // chordal thickness (normal section), large gear
};

static_assert(std::is_trivially_copyable_v<GearPairData>);

}  // namespace kelvo

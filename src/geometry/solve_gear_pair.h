#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "geometry/gear_pair_data.h"

namespace kelvo {

// Why a solve ended: the number of the first failing step (1 to 25, in the order the
// derivation runs) and what went wrong in it.
struct SolveFailure {
  int step = 0;
  std::string_view reason;
};

// Either the complete record or the failure; never a partly filled record.
struct SolveResult {
  std::optional<GearPairData> pair;
  SolveFailure failure;

  explicit operator bool() const { return pair.has_value(); }
};

// Values the derivation computes on its way but does not keep in the record. Useful to
// check a solve by hand against a gear table.
struct SolveIntermediates {
  double y = 0;        // centre-distance modification coefficient
  double delta_y = 0;  // tip-shortening coefficient
  double db1 = 0;      // base diameter, small gear
  double db2 = 0;      // base diameter, large gear
  double z_span1 = 0;  // equivalent number of teeth for the span measurement, small gear
  double z_span2 = 0;  // equivalent number of teeth for the span measurement, large gear
  double t1 = 0;       // unrounded span count, small gear
  double t2 = 0;       // unrounded span count, large gear
};

// Solves an external involute gear pair from its working centre distance a_true, normal
// module m, numbers of teeth z1 (small gear) and z2, face width b, helix angle beta (radians)
// and the small gear's normal profile shift x1. The reference profile is the 20-degree
// standard rack with addendum 1 and dedendum 1.25 modules. The shift sum and the large gear's
// shift follow from the centre distance. Division by zero, an invalid operation, overflow,
// the square root of a negative number or a 16-bit count out of range fail the solve at the
// step where they happen.
SolveResult SolveGearPair(double a_true, double m, std::int16_t z1, std::int16_t z2, double b,
                          double beta, double x1, SolveIntermediates* intermediates = nullptr);

}  // namespace kelvo

// Pairs the report's tests share, solved as the window solves them.

#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "geometry/gear_constants.h"
#include "geometry/solve_gear_pair.h"

namespace kelvo {

// The seven inputs as the designer types them, the helix angle in degrees.
struct PairInputs {
  double a_true, m;
  std::int16_t z1, z2;
  double b, beta_degrees, x1;
};

inline GearPairData SolvedPair(const PairInputs& in) {
  const SolveResult result =
      SolveGearPair(in.a_true, in.m, in.z1, in.z2, in.b, DegreesToRadians(in.beta_degrees), in.x1);
  EXPECT_TRUE(result) << "the solver fails at step " << result.failure.step;
  return result.pair.value_or(GearPairData{});
}

inline constexpr PairInputs kDefaultPair{60, 2, 20, 40, 20, 0, 0};
inline constexpr PairInputs kHelicalPair{100, 2, 23, 73, 30, 15, 0.3};
// The handbooks' profile-shifted spur pair: m 3, z 12 and 24, x 0.6 and 0.36, a' 56.5.
inline constexpr PairInputs kShiftedPair{56.5, 3, 12, 24, 20, 0, 0.6};
inline constexpr PairInputs kEightToothPinionPair{48, 2, 8, 40, 20, 0, 0};

}  // namespace kelvo

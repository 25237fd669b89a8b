// Pairs the geometry's and the report's tests share, solved as the window solves them.

#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "geometry/gear_constants.h"
#include "geometry/solve_gear_pair.h"

namespace kelvo {

// The seven inputs as the designer types them, the helix angle in degrees; by default the
// window's default pair.
struct PairInputs {
  double a_true = 60;
  double m = 2;
  std::int16_t z1 = 20;
  std::int16_t z2 = 40;
  double b = 20;
  double beta_degrees = 0;
  double x1 = 0;
};

inline SolveResult Solve(const PairInputs& in) {
  return SolveGearPair(in.a_true, in.m, in.z1, in.z2, in.b, DegreesToRadians(in.beta_degrees),
                       in.x1);
}

inline GearPairData SolvedPair(const PairInputs& in) {
  const SolveResult result = Solve(in);
  EXPECT_TRUE(result) << "the solver fails at step " << result.failure.step;
  return result.pair.value_or(GearPairData{});
}

inline constexpr PairInputs kDefaultPair{};
inline constexpr PairInputs kHelicalPair{
    .a_true = 100, .z1 = 23, .z2 = 73, .b = 30, .beta_degrees = 15, .x1 = 0.3};
// The handbooks' profile-shifted spur pair: m 3, z 12 and 24, x 0.6 and 0.36, a' 56.5.
inline constexpr PairInputs kShiftedPair{.a_true = 56.5, .m = 3, .z1 = 12, .z2 = 24, .x1 = 0.6};
inline constexpr PairInputs kEightToothPinionPair{.a_true = 48, .z1 = 8};
// 23 teeth with shift 1.5: the pinion's flanks meet below its tip circle.
inline constexpr PairInputs kPointedPair{
    .a_true = 100, .z1 = 23, .z2 = 73, .b = 30, .beta_degrees = 15, .x1 = 1.5};
// The default pair pulled 5 mm apart: a contact ratio below 1.
inline constexpr PairInputs kContactBelowOnePair{.a_true = 65, .x1 = 0.5};

}  // namespace kelvo

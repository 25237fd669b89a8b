#include "hobbing/hob_plan.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <optional>
#include <stdexcept>
#include <tuple>

#include "hobbing/checked_arithmetic.h"
#include "hobbing/skip_on_failure.h"

namespace kelvo {
namespace {

// Int() takes the floor, so a travel that ends exactly on a step still gets its last
// position; a travel too long for a 32-bit count, and every division by zero, fail the step.
TEST(HobPlan, CountsAndStepsTakeTheFloorAndFailOnInvalidArithmetic) {
  // What each computes, and its value; none where the step fails.
  const std::tuple<const char*, std::function<double()>, std::optional<double>> cases[] = {
      {"no travel still cuts once", [] { return PositionCount(0, 1.5); }, 1},
      {"a travel of exactly two steps", [] { return PositionCount(1.5, 1.5); }, 3},
      {"negative travel: floor, not truncation", [] { return PositionCount(-0.25, 1); }, 0},
      {"zero roll step", [] { return PositionCount(10, 0); }, std::nullopt},
      {"beyond 32 bits", [] { return PositionCount(1e10, 1e-3); }, std::nullopt},
      {"no teeth: no pitch", [] { return RoundedStepsPerPitch(4, 0); }, std::nullopt},
      {"negative teeth: no square root", [] { return RoundedStepsPerPitch(4, -20); }, std::nullopt},
      {"no teeth: no roll angle", [] { return RollAngle(0, 4); }, std::nullopt},
      {"one tooth fills no angle", [] { return PolarFillAngle(1); }, 0},
  };
  for (const auto& [name, compute, expected] : cases) {
    SCOPED_TRACE(name);
    if (expected) {
      EXPECT_EQ(compute(), *expected);
    } else {
      EXPECT_THROW(compute(), HobbingError);
    }
  }
}

// The hobbing tests see failing CAD calls and arithmetic skipped; exhausted memory and any
// other error must reach the caller instead.
TEST(SkipOnFailure, LetsEveryOtherErrorThrough) {
  SkipOnFailure skip;
  EXPECT_THROW(skip.Run("cut", [] { throw std::bad_alloc(); }), std::bad_alloc);
  EXPECT_THROW(skip.Run("cut", [] { throw std::runtime_error("?"); }), std::runtime_error);
  EXPECT_TRUE(skip.skipped().empty());
}

}  // namespace
}  // namespace kelvo

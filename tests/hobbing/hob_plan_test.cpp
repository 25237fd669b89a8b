#include "hobbing/hob_plan.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>

#include "hobbing/checked_arithmetic.h"
#include "hobbing/skip_on_failure.h"

namespace kelvo {
namespace {

struct ArithmeticCase {
  std::string name;
  std::function<double()> compute;
  std::optional<double> expected;  // none: the step fails
};

// Int() takes the floor, so a travel that ends exactly on a step still gets its last
// position; a travel too long for a 32-bit count, and every division by zero, fail the step.
TEST(HobPlan, CountsAndStepsTakeTheFloorAndFailOnInvalidArithmetic) {
  const ArithmeticCase cases[] = {
      {"spur example: Int(17.8167) + 1", [] { return PositionCount(13.99316, 1.5707963); }, 18},
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
  for (const ArithmeticCase& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.expected) {
      EXPECT_EQ(c.compute(), *c.expected);
    } else {
      EXPECT_THROW(c.compute(), HobbingError);
    }
  }
}

struct Thrown {
  std::string name;
  std::function<void()> fail;
  bool skipped;  // false: the exception passes through
};

// Only a failing CAD call or a failing arithmetic step is skipped; a cancelled build or
// exhausted memory must reach the caller.
TEST(SkipOnFailure, SkipsCadAndArithmeticFailuresOnly) {
  struct Cancelled {};
  const Thrown cases[] = {
      {"CAD call", [] { throw cad::CadError("Boolean: no result"); }, true},
      {"arithmetic", [] { Div(1, 0); }, true},
      {"cancelled", [] { throw Cancelled{}; }, false},
      {"out of memory", [] { throw std::bad_alloc(); }, false},
      {"any other error", [] { throw std::runtime_error("?"); }, false},
  };
  for (const Thrown& c : cases) {
    SCOPED_TRACE(c.name);
    SkipOnFailure skip;
    bool ran_next = false;
    try {
      EXPECT_FALSE(skip.Run("cut at position", 3, c.fail));
      ran_next = skip.Run("next", [] {});
    } catch (...) {
    }
    EXPECT_EQ(ran_next, c.skipped);
    EXPECT_EQ(skip.skipped().size(), c.skipped ? 1u : 0u);
    if (c.skipped) {
      EXPECT_EQ(skip.skipped()[0].statement, "cut at position 3");
    }
  }
}

}  // namespace
}  // namespace kelvo

#include "geometry/rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kelvo {
namespace {

TEST(RoundToInt16, HalvesGoToTheEvenNeighbourAndTheRangeIsSixteenBits) {
  struct Case {
    double x;
    std::optional<std::int16_t> expected;
  };
  const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {{2.5, 2},           {3.5, 4},         {-2.5, -2},    {-3.5, -4},
                        {2.4999999, 2},     {2.5000001, 3},   {0.5, 0},      {-0.5, 0},
                        {32767, 32767},     {32767.4, 32767}, {32767.5, {}}, {-32768, -32768},
                        {-32768.5, -32768}, {-32768.6, {}},   {1e300, {}},   {nan, {}},
                        {inf, {}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    EXPECT_EQ(RoundToInt16(c.x), c.expected);
  }
}

}  // namespace
}  // namespace kelvo

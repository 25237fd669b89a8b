#include "geometry/solve_gear_pair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "geometry/gear_constants.h"
#include "geometry/gear_pair_fields.h"
#include "geometry/involute.h"
#include "geometry/rounding.h"
#include "solved_pairs.h"

namespace kelvo {
namespace {

struct Expected {
  std::string_view field;
  double value;
  double tolerance = 5e-7;  // the figures are given to six decimals
};

// Gear-table figures, to the digits the tables give. At the reference centre distance the shift
// sum is zero to the last bits, and 20 degrees are those of the program's pi.
TEST(SolveGearPair, ReproducesTheGearTableFigures) {
  struct Example {
    std::string name;
    PairInputs inputs;
    std::vector<Expected> values;
  };
  // clang-format off
  const Example examples[] = {
      {"standard spur pair", {.a_true = 90, .m = 3, .b = 30},
       {{"u", 2}, {"d1", 60}, {"d2", 120}, {"a", 90}, {"ha1", 3}, {"ha2", 3}, {"hf1", 3.75},
        {"hf2", 3.75}, {"h1", 6.75}, {"h2", 6.75}, {"da1", 66}, {"da2", 126},
        {"eps_alpha", 1.635186}, {"eps_beta", 0}, {"eps_gamma", 1.635186}, {"zv1", 20},
        {"zv2", 40}, {"k1", 3}, {"k2", 5}, {"W1", 22.981318}, {"W2", 41.534438},
        {"hc1", 3.092480}, {"sc1", 4.707546}, {"hc2", 3.046258}, {"sc2", 4.711178},
        {"x_sum", 0, 1e-13}, {"x2", 0, 1e-13}, {"alpha_t", 0.3490658444, 1e-10}}},
      {"helical pair with shift", kHelicalPair,
       {{"u", 3.173913}, {"d1", 47.622704}, {"d2", 151.150322}, {"a", 99.386513},
        {"alpha_t", 0.360356}, {"alpha_wt", 0.376301}, {"x_sum", 0.313278}, {"x2", 0.013278},
        {"ha1", 2.586931}, {"ha2", 2.013487}, {"hf1", 1.9}, {"hf2", 2.473444},
        {"h1", 4.486931}, {"h2", 4.486931}, {"da1", 52.796566}, {"da2", 155.177296},
        {"eps_alpha", 1.531422}, {"eps_beta", 1.23577}, {"eps_gamma", 2.767192},
        {"zv1", 25.52093}, {"zv2", 81.001213}, {"k1", 4}, {"k2", 9}, {"W1", 21.786556},
        {"W2", 52.461724}, {"hc1", 2.649622}, {"sc1", 3.575426}, {"hc2", 2.028905},
        {"sc2", 3.160723}}},
      // Just inside the span table's limit: measured over one tooth.
      {"pinion shift -0.6", {.a_true = 90, .m = 3, .b = 30, .x1 = -0.6},
       {{"k1", 1}, {"x2", 0.6, 1e-12}}},
  };
  // clang-format on
  for (const Example& example : examples) {
    SCOPED_TRACE(example.name);
    const SolveResult result = Solve(example.inputs);
    ASSERT_TRUE(result) << "failed at step " << result.failure.step;
    for (const Expected& expected : example.values) {
      const auto field =
          std::find_if(kGearPairFields.begin(), kGearPairFields.end(),
                       [&](const GearPairField& f) { return f.name == expected.field; });
      ASSERT_NE(field, kGearPairFields.end()) << expected.field;
      EXPECT_NEAR(FieldValue(*result.pair, *field), expected.value, expected.tolerance)
          << expected.field;
    }
  }
}

TEST(SolveGearPair, FailsAtTheStepThatBreaks) {
  const std::tuple<const char*, PairInputs, int> cases[] = {
      {"no teeth on the small gear", {.z1 = 0}, 1},
      {"no teeth at all (0/0)", {.z1 = 0, .z2 = 0}, 1},
      {"module 0", {.m = 0}, 4},
      {"tooth sum beyond 16 bits", {.z1 = 20000, .z2 = 20000}, 3},
      {"centre distance 0", {.a_true = 0}, 7},
      {"centre distance too small for the pair", {.a_true = 84.5, .m = 3, .b = 30}, 7},
      {"tooth counts that cancel", {.z2 = -20}, 14},
      {"tip below the base circle", {.x1 = -1.7}, 16},
      // Just past step 7's limit a' = a cos(alpha_t) / cos(alpha_wt) = 84.5723...
      {"wheel shift too negative for the span", {.a_true = 84.5724, .m = 3, .b = 30}, 22},
      {"pinion shift too negative for the span", {.a_true = 90, .m = 3, .b = 30, .x1 = -0.7}, 22},
  };
  for (const auto& [name, inputs, step] : cases) {
    const SolveResult result = Solve(inputs);
    EXPECT_FALSE(result) << name;
    EXPECT_EQ(result.failure.step, step) << name << ": " << result.failure.reason;
  }
}

// The span counts' rounding: half to even, within 16 bits, and nothing for what is no number (the
// values a user can type go through it in the text rules' tests).
TEST(RoundToInt16, HalvesGoToTheEvenNeighbourAndTheRangeIsSixteenBits) {
  const std::pair<double, std::optional<std::int16_t>> cases[] = {
      {-3.5, -4},     {2.5000001, 3},     {-0.5, 0},     {32767.4, 32767},
      {-32768.6, {}}, {std::nan(""), {}}, {HUGE_VAL, {}}};
  for (const auto& [x, expected] : cases)
    EXPECT_EQ(RoundToInt16(x), expected) << x;
}

// inv of the program's 20 degrees; arccos fails at and beyond +-1, as its arctangent form does.
TEST(Involute, HelpersOnTheirDomains) {
  EXPECT_NEAR(inv(kNormalPressureAngle), 0.0149043830785, 1e-13);
  EXPECT_DOUBLE_EQ(*arccos(0), 2 * std::atan(1.0));
  EXPECT_NEAR(*arccos(0.5), std::acos(0.5), 1e-15);
  EXPECT_NEAR(*arccos(-0.999), std::acos(-0.999), 1e-12);
  for (const double x : {1.0, -1.0, 1.0000001, -3.0})
    EXPECT_FALSE(arccos(x)) << x;
}

}  // namespace
}  // namespace kelvo

#include "geometry/solve_gear_pair.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "geometry/gear_constants.h"
#include "geometry/gear_pair_fields.h"
#include "geometry/involute.h"

namespace kelvo {
namespace {

struct PairInputs {
  double a_true, m;
  std::int16_t z1, z2;
  double b, beta_degrees, x1;
};

SolveResult Solve(const PairInputs& in, SolveIntermediates* intermediates = nullptr) {
  return SolveGearPair(in.a_true, in.m, in.z1, in.z2, in.b, DegreesToRadians(in.beta_degrees),
                       in.x1, intermediates);
}

double Field(const GearPairData& pair, std::string_view name) {
  for (const GearPairField& field : kGearPairFields) {
    if (field.name == name) return FieldValue(pair, field);
  }
  ADD_FAILURE() << "no field " << name;
  return 0;
}

struct Expected {
  std::string_view field;
  double value;
};

struct WorkedExample {
  std::string name;
  PairInputs inputs;
  std::vector<Expected> values;  // each given to six decimals (or exactly for counts)
};

// Gear-table figures for three pairs, to the digits the tables give.
const WorkedExample kWorkedExamples[] = {
    {"standard spur pair",
     {90, 3, 20, 40, 30, 0, 0},
     {{"u", 2},
      {"d1", 60},
      {"d2", 120},
      {"a", 90},
      {"alpha_t", 0.349066},
      {"ha1", 3},
      {"ha2", 3},
      {"hf1", 3.75},
      {"hf2", 3.75},
      {"h1", 6.75},
      {"h2", 6.75},
      {"da1", 66},
      {"da2", 126},
      {"eps_alpha", 1.635186},
      {"eps_beta", 0},
      {"eps_gamma", 1.635186},
      {"zv1", 20},
      {"zv2", 40},
      {"k1", 3},
      {"k2", 5},
      {"W1", 22.981318},
      {"W2", 41.534438},
      {"hc1", 3.092480},
      {"sc1", 4.707546},
      {"hc2", 3.046258},
      {"sc2", 4.711178}}},
    {"the window's default pair",
     {60, 2, 20, 40, 20, 0, 0},
     {{"d1", 40},
      {"d2", 80},
      {"da1", 44},
      {"da2", 84},
      {"h1", 4.5},
      {"h2", 4.5},
      {"k1", 3},
      {"k2", 5},
      {"W1", 15.320879},
      {"W2", 27.689626},
      {"hc1", 2.061653},
      {"sc1", 3.138364},
      {"hc2", 2.030839},
      {"sc2", 3.140785}}},
    {"helical pair with shift",
     {100, 2, 23, 73, 30, 15, 0.3},
     {{"u", 3.173913},
      {"d1", 47.622704},
      {"d2", 151.150322},
      {"a", 99.386513},
      {"alpha_t", 0.360356},
      {"alpha_wt", 0.376301},
      {"x_sum", 0.313278},
      {"x2", 0.013278},
      {"ha1", 2.586931},
      {"ha2", 2.013487},
      {"hf1", 1.9},
      {"hf2", 2.473444},
      {"h1", 4.486931},
      {"h2", 4.486931},
      {"da1", 52.796566},
      {"da2", 155.177296},
      {"eps_alpha", 1.531422},
      {"eps_beta", 1.23577},
      {"eps_gamma", 2.767192},
      {"zv1", 25.52093},
      {"zv2", 81.001213},
      {"k1", 4},
      {"k2", 9},
      {"W1", 21.786556},
      {"W2", 52.461724},
      {"hc1", 2.649622},
      {"sc1", 3.575426},
      {"hc2", 2.028905},
      {"sc2", 3.160723}}},
};

TEST(SolveGearPair, ReproducesTheGearTableFigures) {
  for (const WorkedExample& example : kWorkedExamples) {
    SCOPED_TRACE(example.name);
    const SolveResult result = Solve(example.inputs);
    ASSERT_TRUE(result) << "failed at step " << result.failure.step;
    for (const Expected& expected : example.values) {
      SCOPED_TRACE(std::string(expected.field));
      EXPECT_NEAR(Field(*result.pair, expected.field), expected.value, 5e-7);
    }
  }
}

TEST(SolveGearPair, StandardCentreDistanceGivesNoShiftUpToTheLastBits) {
  for (const PairInputs& inputs :
       {PairInputs{90, 3, 20, 40, 30, 0, 0}, PairInputs{60, 2, 20, 40, 20, 0, 0}}) {
    const SolveResult result = Solve(inputs);
    ASSERT_TRUE(result);
    EXPECT_NEAR(result.pair->x_sum, 0, 1e-13);
    EXPECT_NEAR(result.pair->x2, 0, 1e-13);
    // The 20 degrees of the program's pi, not the exact 20 degrees.
    EXPECT_NEAR(result.pair->alpha_t, 0.3490658444, 1e-10);
  }
}

TEST(SolveGearPair, HelicalPairIntermediateValues) {
  SolveIntermediates i;
  ASSERT_TRUE(Solve({100, 2, 23, 73, 30, 15, 0.3}, &i));
  EXPECT_NEAR(i.y, 0.306743, 5e-7);
  EXPECT_NEAR(i.delta_y, 0.006534, 5e-7);
  EXPECT_NEAR(i.db1, 44.563957, 5e-7);
  EXPECT_NEAR(i.db2, 141.442125, 5e-7);
  EXPECT_NEAR(i.z_span1, 25.390380, 5e-7);
  EXPECT_NEAR(i.z_span2, 80.586857, 5e-7);
  EXPECT_NEAR(i.t1, 3.801511, 5e-7);
  EXPECT_NEAR(i.t2, 9.477287, 5e-7);
}

struct FailureCase {
  std::string name;
  PairInputs inputs;
  int step;
};

const FailureCase kFailures[] = {
    {"no teeth on the small gear", {60, 2, 0, 40, 20, 0, 0}, 1},
    {"no teeth at all (0/0)", {60, 2, 0, 0, 20, 0, 0}, 1},
    {"module 0", {60, 0, 20, 40, 20, 0, 0}, 4},
    {"tooth sum beyond 16 bits", {60, 2, 20000, 20000, 20, 0, 0}, 3},
    {"centre distance 0", {0, 2, 20, 40, 20, 0, 0}, 7},
    {"centre distance too small for the pair", {84.5, 3, 20, 40, 30, 0, 0}, 7},
    {"centre distance 50 for the default pair", {50, 2, 20, 40, 20, 0, 0}, 7},
    {"tooth counts that cancel", {60, 2, 20, -20, 20, 0, 0}, 14},
    {"tip below the base circle", {60, 2, 20, 40, 20, 0, -1.7}, 16},
    {"wheel shift too negative for the span", {84.6, 3, 20, 40, 30, 0, 0}, 22},
    {"pinion shift too negative for the span", {90, 3, 20, 40, 30, 0, -0.7}, 22},
    {"wheel shift -2 for the span", {90, 3, 20, 40, 30, 0, 2.0}, 22},
};

TEST(SolveGearPair, FailsAtTheStepThatBreaks) {
  for (const FailureCase& c : kFailures) {
    SCOPED_TRACE(c.name);
    const SolveResult result = Solve(c.inputs);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.failure.step, c.step) << result.failure.reason;
  }
}

TEST(SolveGearPair, ShiftLimitsOfTheSpanMeasurement) {
  const SolveResult at_minus_06 = Solve({90, 3, 20, 40, 30, 0, -0.6});
  ASSERT_TRUE(at_minus_06);
  EXPECT_EQ(at_minus_06.pair->k1, 1);
  EXPECT_NEAR(at_minus_06.pair->x2, 0.6, 1e-12);
}

TEST(SolveGearPair, TheCentreDistanceLimitIsACosAlphaT) {
  // a' = 84.5723... is the limit for the standard pair; just above it step 7 passes.
  const SolveResult above = Solve({84.5724, 3, 20, 40, 30, 0, 0});
  EXPECT_NE(above.failure.step, 7);
}

// Properties every solved record must have, over a grid of plausible and odd pairs.
TEST(SolveGearPair, EverySolvedRecordIsFiniteAndConsistent) {
  int solved = 0;
  for (const double m : {0.5, 2.0, 7.0}) {
    for (const std::int16_t z1 : {std::int16_t{9}, std::int16_t{17}, std::int16_t{31}}) {
      for (const std::int16_t z2 : {std::int16_t{17}, std::int16_t{60}, std::int16_t{150}}) {
        for (const double beta : {0.0, 8.0, 30.0}) {
          for (const double x1 : {-0.3, 0.0, 0.5}) {
            for (const double stretch : {0.99, 1.0, 1.03}) {
              const double a = (z1 + z2) * m / (2 * std::cos(DegreesToRadians(beta)));
              const SolveResult r = Solve({a * stretch, m, z1, z2, 25, beta, x1});
              if (!r) continue;
              ++solved;
              const GearPairData& p = *r.pair;
              for (const GearPairField& field : kGearPairFields) {
                ASSERT_TRUE(std::isfinite(FieldValue(p, field))) << field.name;
              }
              EXPECT_NEAR(p.x1 + p.x2, p.x_sum, 1e-12);
              EXPECT_NEAR(p.da1, p.d1 + 2 * p.ha1, 1e-9);
              EXPECT_NEAR(p.da2, p.d2 + 2 * p.ha2, 1e-9);
              EXPECT_NEAR(p.h1, p.h2, 1e-9);
              EXPECT_NEAR(p.eps_gamma, p.eps_alpha + p.eps_beta, 1e-12);
              if (beta == 0) {
                EXPECT_EQ(p.eps_beta, 0);
                EXPECT_EQ(p.zv1, z1);
                EXPECT_EQ(p.zv2, z2);
              }
            }
          }
        }
      }
    }
  }
  EXPECT_GT(solved, 300);
}

TEST(SolveGearPair, NeverTouchesTheCurrentPair) {
  std::memset(&gearPair, 0x5a, sizeof gearPair);
  GearPairData before;
  std::memcpy(&before, &gearPair, sizeof before);
  Solve({60, 2, 20, 40, 20, 0, 0});
  Solve({50, 2, 20, 40, 20, 0, 0});
  EXPECT_EQ(std::memcmp(&before, &gearPair, sizeof before), 0);
  gearPair = GearPairData{};
}

TEST(Involute, HelpersOnTheirDomains) {
  EXPECT_DOUBLE_EQ(inv(0), 0);
  EXPECT_NEAR(inv(kNormalPressureAngle), 0.0149043830785, 1e-13);  // of the program's 20 degrees
  EXPECT_DOUBLE_EQ(*arccos(0), 2 * std::atan(1.0));
  EXPECT_NEAR(*arccos(0.5), std::acos(0.5), 1e-15);
  EXPECT_NEAR(*arccos(-0.999), std::acos(-0.999), 1e-12);
  for (const double x : {1.0, -1.0, 1.0000001, -3.0})
    EXPECT_FALSE(arccos(x)) << x;
}

}  // namespace
}  // namespace kelvo

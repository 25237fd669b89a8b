// Whole gears made by the hobbing simulation on the OpenCASCADE application, measured on the
// solid as a gear inspector would, and held against the gear-table theory: tip and root
// diameters, teeth, tooth thickness on the reference circle, the flank's cusps and the helix.
// The fast evaluation must give the reference solid.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "cad/occt/occt_gear_inspection.h"
#include "cad/occt/occt_inspect.h"
#include "cli/gear_build.h"
#include "geometry/gear_constants.h"
#include "geometry/gear_theory.h"
#include "geometry/solve_gear_pair.h"
#include "hobbing/hob_plan.h"

namespace kelvo {
namespace {

using cad::BooleanEvaluation;
using cad::GearInspection;

// A pair meshing at the centre distance it is typed with.
struct Pair {
  double a_true, m;
  std::int16_t z1, z2;
  double b, beta_degrees, x1;

  GearPairData Solved() const {
    const SolveResult solved =
        SolveGearPair(a_true, m, z1, z2, b, DegreesToRadians(beta_degrees), x1);
    EXPECT_TRUE(solved) << "step " << solved.failure.step;
    return solved.pair.value_or(GearPairData{});
  }
  // At the reference centre distance, where the shift sum is zero.
  static Pair Standard(double m, std::int16_t z1, std::int16_t z2, double b, double beta_degrees,
                       double x1) {
    const double a = m * (z1 + z2) / (2 * std::cos(DegreesToRadians(beta_degrees)));
    return {a, m, z1, z2, b, beta_degrees, x1};
  }
};

const Pair kDefaultPair{60, 2, 20, 40, 20, 0, 0};

cli::GearsBuild Build(const GearPairData& pair, std::vector<std::int16_t> gears, double fineness,
                      BooleanEvaluation evaluation = BooleanEvaluation::Fast) {
  cli::GearBuildRequest request;
  request.pair = pair;
  request.gears = std::move(gears);
  request.fineness = fineness;
  request.evaluation = evaluation;
  return cli::BuildGears(request);
}

struct Measured {
  GearInspection gear;
  GearTheory theory;
};

Measured Inspect(const GearPairData& pair, const cli::GearBuild& built) {
  const std::int16_t z = built.gearNo == 1 ? pair.z1 : pair.z2;
  const GearTheory theory = TheoryOf(pair, built.gearNo, RollAngle(z, built.stepsPerPitch));
  const cad::GearInspectionPlan plan{theory.reference_radius, theory.base_radius,
                                     theory.form_radius, 0};
  return {cad::InspectGear(*built.gear, plan), theory};
}

// What every hobbed gear must show against its theory. The root is cut by the flat tip of the
// cutter at a few positions per pitch, so it may stand a little proud of the root circle; the
// tip arcs meet that flat 0.00003 m below 1.25 m, so it may lie that much deeper.
void ExpectAsTheTablesSay(const Measured& m, double root_tolerance) {
  EXPECT_EQ(m.gear.teeth, m.theory.teeth);
  EXPECT_EQ(m.gear.flanks, 2 * m.theory.teeth);
  EXPECT_NEAR(m.gear.tip_diameter, m.theory.tip_diameter, 1e-5);
  EXPECT_NEAR(m.gear.root_diameter, m.theory.root_diameter, root_tolerance);
  EXPECT_GE(m.gear.root_diameter, m.theory.root_diameter - 1e-3);
  EXPECT_NEAR(m.gear.tooth_thickness, m.theory.tooth_thickness, 0.01);
  EXPECT_NEAR(m.gear.tooth_thickness_max - m.gear.tooth_thickness_min, 0, 1e-4);  // all alike
  // The flank leaves the involute only by the cusps between generating positions.
  EXPECT_GT(m.gear.profile_deviation, 0.85 * m.theory.cusp_height);
  EXPECT_LT(m.gear.profile_deviation, 1.05 * m.theory.cusp_height);
  EXPECT_NEAR(std::abs(m.gear.helix_angle), m.theory.helix_angle, 0.1 * kPi / 180);
}

TEST(HobbedGearTest, DefaultSmallGearIsTheReferenceSolidAndMeasuresAsTheTablesSay) {
  const GearPairData pair = kDefaultPair.Solved();
  const cli::GearsBuild fast = Build(pair, {1}, 4);
  const cli::GearsBuild reference = Build(pair, {1}, 4, BooleanEvaluation::OperationByOperation);
  const cad::SolidMeasures f = cad::MeasureSolid(*fast.gears[0].gear);
  const cad::SolidMeasures r = cad::MeasureSolid(*reference.gears[0].gear);
  EXPECT_TRUE(f.is_one_valid_solid);
  EXPECT_TRUE(r.is_one_valid_solid);
  EXPECT_NEAR(f.volume, r.volume, 1e-6 * r.volume);
  EXPECT_EQ(f.face_count, r.face_count);
  EXPECT_EQ(fast.gears[0].failedBooleans, 0);
  EXPECT_EQ(reference.gears[0].failedBooleans, 0);

  // The fast path was taken, not a silent fallback that happens to agree.
  const cad::EvaluationStats stats = fast.gears[0].drawing->Evaluation();
  EXPECT_EQ(stats.deferred_intersections, 19);
  EXPECT_EQ(stats.one_cut_evaluations, 1);
  EXPECT_EQ(stats.fallbacks, 0);

  const Measured m = Inspect(pair, fast.gears[0]);
  EXPECT_EQ(m.gear.teeth, 20);
  EXPECT_NEAR(m.gear.tip_diameter, 44, 1e-6);
  EXPECT_NEAR(m.gear.root_diameter, 35, 0.01);
  EXPECT_NEAR(m.gear.tooth_thickness, 2 * kPi / 2, 0.01);
  ExpectAsTheTablesSay(m, 0.01);
  // The reference solid measures the same to the tenth of a micrometre.
  const Measured n = Inspect(pair, reference.gears[0]);
  EXPECT_NEAR(n.gear.tooth_thickness, m.gear.tooth_thickness, 1e-7);
  EXPECT_NEAR(n.gear.profile_deviation, m.gear.profile_deviation, 1e-7);
}

struct GearCase {
  std::string name;
  Pair pair;
  std::int16_t gearNo;
  double fineness;
  double root_tolerance;  // the few positions on a small gear leave a root scallop
};

void PrintTo(const GearCase& c, std::ostream* out) {
  *out << c.name;
}

const GearCase kGearCases[] = {
    {"default large gear", kDefaultPair, 2, 4, 0.02},
    {"small gear finely generated", kDefaultPair, 1, 8, 0.01},
    {"helical m3 z17 x0.2", Pair::Standard(3, 17, 40, 30, 15, 0.2), 1, 4, 0.02},
    {"undercut pinion z12 x-0.3", Pair::Standard(2, 12, 30, 16, 0, -0.3), 1, 4, 0.03},
};

class HobbedGearCaseTest : public ::testing::TestWithParam<GearCase> {};

TEST_P(HobbedGearCaseTest, MeasuresAsTheTablesSay) {
  const GearCase& c = GetParam();
  const GearPairData pair = c.pair.Solved();
  const cli::GearsBuild built = Build(pair, {c.gearNo}, c.fineness);
  EXPECT_TRUE(cad::MeasureSolid(*built.gears[0].gear).is_one_valid_solid);
  EXPECT_EQ(built.gears[0].failedBooleans, 0);
  ExpectAsTheTablesSay(Inspect(pair, built.gears[0]), c.root_tolerance);
}

INSTANTIATE_TEST_SUITE_P(Gears, HobbedGearCaseTest, ::testing::ValuesIn(kGearCases));

TEST(HobbedGearTest, TheTwoGearsOfAHelicalPairHaveOppositeHands) {
  const GearPairData pair = Pair::Standard(2, 20, 31, 20, 15, 0).Solved();
  const cli::GearsBuild built = Build(pair, {1, 2}, 4);
  const Measured pinion = Inspect(pair, built.gears[0]);
  const Measured wheel = Inspect(pair, built.gears[1]);
  ExpectAsTheTablesSay(pinion, 0.02);
  ExpectAsTheTablesSay(wheel, 0.02);
  EXPECT_LT(pinion.gear.helix_angle * wheel.gear.helix_angle, 0);
}

TEST(HobbedGearTest, AShiftedPinionHasTheThickerToothAndTheLargerRoot) {
  const GearPairData plain = kDefaultPair.Solved();
  const GearPairData shifted = Pair{60, 2, 20, 40, 20, 0, 0.5}.Solved();
  const Measured a = Inspect(plain, Build(plain, {1}, 4).gears[0]);
  const Measured b = Inspect(shifted, Build(shifted, {1}, 4).gears[0]);
  ExpectAsTheTablesSay(b, 0.01);
  // 2 x m tan(alpha) thicker on the reference circle, x m deeper in the blank's favour.
  EXPECT_NEAR(b.gear.tooth_thickness - a.gear.tooth_thickness,
              2 * 0.5 * 2 * std::tan(kNormalPressureAngle), 0.005);
  EXPECT_NEAR(b.gear.root_diameter - a.gear.root_diameter, 2 * 0.5 * 2, 0.01);
}

}  // namespace
}  // namespace kelvo

// The report's measurement of a gear built as the 3D window builds it: the default small gear's
// figures beside theory, and no figures once its drawing is closed.
#include "report/measured/measure_built_gear.h"

#include <gtest/gtest.h>

#include "cad/occt/occt_document.h"
#include "geometry/solved_pairs.h"
#include "modelling/headless/headless_gears.h"

namespace kelvo {
namespace {

TEST(MeasureBuiltGear, MeasuresTheDefaultSmallGearAgainstTheory) {
  const GearBuildRequest request{.pair = SolvedPair(kDefaultPair), .gears = {1}, .fineness = 4};
  const GearsBuild built = BuildGears(request);
  const GearBuild& gear = built.gears.front();
  ASSERT_TRUE(gear.gear);

  const std::optional<MeasuredGear> measured =
      MeasureBuiltGear(request.pair, 1, *gear.gear, 4, true);
  ASSERT_TRUE(measured);
  EXPECT_EQ(measured->gearNo, 1);
  EXPECT_EQ(measured->fineness, 4);
  EXPECT_TRUE(measured->complete);
  EXPECT_EQ(measured->teeth, 20);
  EXPECT_NEAR(measured->tip_diameter, 44, 1e-3);
  EXPECT_NEAR(measured->theory.tip_diameter, 44, 1e-9) << "the theory of the small gear";
  EXPECT_NEAR(measured->root_diameter, 35, 1e-3);
  EXPECT_NEAR(measured->tooth_thickness, measured->theory.tooth_thickness, 2e-3);
  EXPECT_LE(measured->tooth_thickness_min, measured->tooth_thickness);
  EXPECT_GE(measured->tooth_thickness_max, measured->tooth_thickness);
  // The cusps of fineness 4 (README: 8.2 µm measured, 8.8 by the cusp law).
  EXPECT_NEAR(measured->profile_deviation * 1000, 8.2, 1.5);
  EXPECT_NEAR(measured->theory.cusp_height * 1000, 8.8, 0.5);

  gear.drawing->Close();
  EXPECT_FALSE(MeasureBuiltGear(request.pair, 1, *gear.gear, 4, true)) << "its drawing is gone";
}

}  // namespace
}  // namespace kelvo

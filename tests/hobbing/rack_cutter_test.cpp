#include "hobbing/rack_cutter.h"

#include <cmath>
#include <string>
#include <vector>

#include "hobbing_fixture.h"

namespace kelvo {
namespace {

using cad::Point;
using test_support::CadCall;
using test_support::CadOp;

// Gear-table figures of one rack tooth of module 1, 20 degrees, tip radius 0.38.
constexpr double kTopHalfWidth = 1.2404;    // at 1.25 above the datum line
constexpr double kDatumHalfWidth = 0.7854;  // on the datum line: a quarter of the pitch
constexpr double kFlankEndHalfWidth = 0.4214;
constexpr double kTipDepth = 1.25003;  // where the tip arcs meet the flat tip line
constexpr double kTipHalfLength = 0.0643;

double Dot(const Point& a, const Point& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
Point Sub(const Point& a, const Point& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}

TEST_F(HobbingTest, TheRackToothScalesWithTheModuleAndClosesIntoOneRegion) {
  for (const double m : {0.5, 1.0, 2.0, 3.0, 10.0}) {
    SCOPED_TRACE(m);
    cad = test_support::RecordingCad();
    UsePair({2, 20, 40, 20, 0, 0});
    MakeRackCutter(m, 40, 1);

    const std::vector<CadCall> lines = cad.CallsOf(CadOp::AddLine);
    const std::vector<CadCall> arcs = cad.CallsOf(CadOp::AddArc);
    ASSERT_EQ(lines.size(), 4u);
    ASSERT_EQ(arcs.size(), 2u);
    // Curve 3 runs from the left arc's start C up the flank to B; curve 5 is the tip line
    // between the arcs' lowest points; curve 6 the top line from B to its mirror image.
    const Point c = lines[0].points[0];
    const Point b = lines[0].points[1];
    const Point tip_left = lines[2].points[0];
    const Point tip_right = lines[2].points[1];
    const double tol = 1e-4 * m;
    EXPECT_NEAR(b.x, -kTopHalfWidth * m, tol);
    EXPECT_NEAR(b.y, 1.25 * m, tol);
    EXPECT_NEAR(c.x, -kFlankEndHalfWidth * m, tol);
    EXPECT_NEAR(c.y, -m, tol);
    EXPECT_NEAR(c.x + (b.x - c.x) * (0 - c.y) / (b.y - c.y), -kDatumHalfWidth * m, tol);
    EXPECT_NEAR((c.x - b.x) / (b.y - c.y), std::tan(20 * M_PI / 180), 1e-7);
    EXPECT_NEAR(tip_left.x, -kTipHalfLength * m, tol);
    EXPECT_NEAR(tip_right.x, kTipHalfLength * m, tol);
    EXPECT_NEAR(tip_left.y, -kTipDepth * m, tol);
    EXPECT_NEAR(tip_right.y, -kTipDepth * m, tol);
    EXPECT_EQ(lines[3].points[0].x, b.x);
    EXPECT_EQ(lines[3].points[1].x, -b.x);
    // The tip arc of radius 0.38 m meets the flank tangentially at C (to the program's pi).
    EXPECT_NEAR(arcs[0].numbers[0], 0.38 * m, 1e-12);
    EXPECT_NEAR(Dot(Sub(c, arcs[0].points[0]), Sub(b, c)), 0, 1e-7 * m * m);

    // The six curves closed into one region; they and the region are gone again.
    ASSERT_EQ(cad.CallsOf(CadOp::AddRegion).size(), 1u);
    EXPECT_FALSE(cad.CallsOf(CadOp::AddRegion)[0].failed);
    EXPECT_EQ(cad.LiveEntities(), std::vector<int>{cad.IdOf(*cutterSolid)});
    TearDown();
  }
}

struct Placed {
  std::string name;
  StandardPair pair;
  std::int16_t gearNo;
  double tiltSign;  // the two gears' cutters lean opposite ways
};

TEST_F(HobbingTest, TheCutterTipReachesTheRootCircleOfTheGearItCuts) {
  const Placed cases[] = {
      {"spur small gear", {2, 20, 40, 20, 0, 0}, 1, -1},
      {"helical small gear, shifted", {3, 17, 40, 30, 15, 0.2}, 1, -1},
      {"helical large gear, shifted", {3, 17, 40, 30, 15, 0.2}, 2, 1},
      {"helical, gearNo 7 is the large gear", {3, 17, 40, 30, 15, 0.2}, 7, 1},
  };
  for (const Placed& c : cases) {
    SCOPED_TRACE(c.name);
    cad = test_support::RecordingCad();
    UsePair(c.pair);
    MakeRackCutter(gearPair.m, 2 * gearPair.b, c.gearNo);

    const bool small = c.gearNo == 1;
    const double root_radius =
        small ? gearPair.da1 / 2 - gearPair.h1 : gearPair.da2 / 2 - gearPair.h2;
    const double pitch_radius = small ? gearPair.d1 / 2 : gearPair.d2 / 2;
    const double shift = small ? gearPair.x1 : gearPair.x2;
    const test_support::EntityRecord& cutter = cad.entity(cad.IdOf(*cutterSolid));
    const Point tip = cad.CallsOf(CadOp::AddLine)[2].points[0];
    EXPECT_NEAR(cutter.placement.Apply(tip).y, root_radius, 1e-4 * gearPair.m);
    // Mid-face on the datum line at d/2 + x m, parked half a travel before the blank's centre.
    const Point centre = cutter.placement.Apply({0, 0, gearPair.b});
    EXPECT_NEAR(centre.x, -halfTravel, 1e-9);
    EXPECT_NEAR(centre.y, pitch_radius + shift * gearPair.m, 1e-9);
    EXPECT_NEAR(centre.z, 0, 1e-9);
    const std::vector<CadCall> tilt = cad.CallsOf(CadOp::Rotate3D);
    ASSERT_EQ(tilt.size(), 1u);
    EXPECT_EQ(tilt[0].numbers[0], c.tiltSign * gearPair.beta);
    TearDown();
  }
}

}  // namespace
}  // namespace kelvo

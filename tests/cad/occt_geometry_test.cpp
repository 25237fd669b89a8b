// The conventions the rack cutter and the hobbing code rely on: where a cylinder ends, which
// way an arc runs, which way Rotate3D and ArrayPolar turn, where an extrusion goes.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "occt_test_support.h"

namespace kelvo::cad {
namespace {

using testing::ExpectNear;
constexpr double kPi = std::numbers::pi;

Point BoxCentre(const CadEntity& entity) {
  const BoundingBox box = BoundingBoxOf(entity);
  return {(box.min.x + box.max.x) / 2, (box.min.y + box.max.y) / 2, (box.min.z + box.max.z) / 2};
}

class OcctGeometryTest : public ::testing::Test {
 protected:
  std::shared_ptr<OcctCadApplication> app = MakeHeadlessCadApplication();
  std::shared_ptr<CadModelSpace> space = app->Documents().Add()->ModelSpace();
};

TEST_F(OcctGeometryTest, CylinderIsCentredOnItsCentreWithEndFacesAtHalfHeight) {
  for (const auto& [o, r, h] :
       {std::tuple{Point{0, 0, 0}, 22.0, 20.0}, {Point{5, -3, 7}, 1.5, 0.4}}) {
    const SolidMeasures measures = MeasureSolid(*space->AddCylinder(o, r, h));
    EXPECT_TRUE(measures.is_one_valid_solid);
    EXPECT_NEAR(measures.volume, kPi * r * r * h, 1e-9 * measures.volume);
    ExpectNear(measures.box.min, {o.x - r, o.y - r, o.z - h / 2}, 1e-7, "min");
    ExpectNear(measures.box.max, {o.x + r, o.y + r, o.z + h / 2}, 1e-7, "max");
  }
}

TEST_F(OcctGeometryTest, ArcsRunCounterClockwiseWithAnglesTakenModuloAFullTurn) {
  const double p = 3.1415926, alpha = 62.831852 / 180;  // as the rack cutter computes them
  const double ca = std::cos(alpha), sa = std::sin(alpha);
  struct Case {
    const char* name;
    double start, end;
    Point low, high;  // the box of the arc on a unit circle about the origin
  } const cases[] = {
      // The rack cutter's right tip arc: 70 degrees through 300 degrees, not 290 the other way.
      {"3pi/2 to -alpha", 1.5 * p, -alpha, {0, -1, 0}, {ca, -sa, 0}},
      {"pi+alpha to 3pi/2", (20.0 / 180 + 1) * p, 1.5 * p, {-ca, -1, 0}, {0, -sa, 0}},
      {"end below start wraps", kPi / 2, 0, {-1, -1, 0}, {1, 1, 0}},
      {"negative angles, beyond a full turn", -3 * kPi, -2.5 * kPi, {-1, -1, 0}, {0, 0, 0}},
  };
  const Point o{3, -2, 1.5};
  const double r = 0.76;
  const auto at = [&](Point unit) { return Point{o.x + r * unit.x, o.y + r * unit.y, o.z}; };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto arc = space->AddArc(o, r, c.start, c.end);
    ExpectNear(arc->StartPoint(), at({std::cos(c.start), std::sin(c.start), 0}), 1e-12, "start");
    ExpectNear(arc->EndPoint(), at({std::cos(c.end), std::sin(c.end), 0}), 1e-12, "end");
    const BoundingBox box = BoundingBoxOf(*arc);  // which way round the arc went
    ExpectNear(box.min, at(c.low), 1e-7, "min");
    ExpectNear(box.max, at(c.high), 1e-7, "max");
  }
  EXPECT_THROW(space->AddArc({0, 0, 0}, 1, 1, 1 + 2 * kPi), CadError);
  EXPECT_THROW(space->AddArc({0, 0, 0}, 0, 0, 1), CadError);
}

TEST_F(OcctGeometryTest, Rotate3DTurnsByTheRightHandRuleAboutPoint1ToPoint2) {
  struct Case {
    const char* name;
    Point start, point1, point2;
    double angle;
    Point expected;
  } const cases[] = {
      {"+Z, quarter", {10, 0, 0}, {0, 0, 0}, {0, 0, 1}, kPi / 2, {0, 10, 0}},
      {"+Z, negative quarter", {10, 0, 0}, {0, 0, 0}, {0, 0, 1}, -kPi / 2, {0, -10, 0}},
      // The hobbing blank's turn: clockwise seen from +Z, so its +Y side moves towards +X.
      {"-Z, quarter", {0, 10, 0}, {0, 0, 0}, {0, 0, -1}, kPi / 2, {10, 0, 0}},
      // The rack cutter's tilt axis: +X goes towards -Z.
      {"+Y, quarter", {10, 0, 0}, {0, 0, 0}, {0, 1, 0}, kPi / 2, {0, 0, -10}},
      {"axis off the origin", {10, 0, 0}, {5, 0, 3}, {5, 0, 9}, kPi, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto solid = space->AddCylinder(c.start, 1, 2);
    solid->Rotate3D(c.point1, c.point2, c.angle);
    ExpectNear(BoxCentre(*solid), c.expected, 1e-9);
  }
  // Each motion acts on the entity where the previous ones left it.
  const auto solid = space->AddCylinder({0, 0, 0}, 1, 2);
  solid->Move({0, 0, 0}, {10, 0, 0});
  solid->Rotate3D({0, 0, 0}, {0, 0, 1}, kPi / 2);
  solid->Move({1, 1, 1}, {1, 1, 6});
  solid->Rotate3D({0, 0, 0}, {1, 0, 0}, kPi / 2);
  ExpectNear(BoxCentre(*solid), {0, -5, 10}, 1e-9);
  EXPECT_THROW(solid->Rotate3D({1, 1, 1}, {1, 1, 1}, 1), CadError);
}

TEST_F(OcctGeometryTest, ArrayPolarTurnsCopiesCounterClockwiseInEqualSteps) {
  const double s = 10 * std::sin(kPi / 3), h = 10 * std::cos(kPi / 3);
  struct Case {
    const char* name;
    int count;
    double angle_to_fill;
    Point centre;
    std::vector<Point> expected;  // the copies' centres, in order
  } const cases[] = {
      // The replication's call: z objects over 2*pi - 2*pi/z, one angular pitch apart.
      {"six teeth",
       6,
       5 * kPi / 3,
       {},
       {{h, s, 0}, {-h, s, 0}, {-10, 0, 0}, {-h, -s, 0}, {h, -s, 0}}},
      {"clockwise", 3, -kPi, {0, 0, 0}, {{0, -10, 0}, {-10, 0, 0}}},
      {"about another centre", 3, kPi, {10, 10, 7}, {{20, 10, 0}, {10, 20, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto original = space->AddCylinder({10, 0, 0}, 1, 2);
    const std::vector<EntityRef> copies = original->ArrayPolar(c.count, c.angle_to_fill, c.centre);
    ASSERT_EQ(copies.size(), c.expected.size());
    for (std::size_t i = 0; i < copies.size(); ++i)
      ExpectNear(BoxCentre(*copies[i]), c.expected[i], 1e-9, std::to_string(i));
    ExpectNear(BoxCentre(*original), {10, 0, 0}, 1e-12, "original");
  }
  EXPECT_THROW(space->AddCylinder({10, 0, 0}, 1, 2)->ArrayPolar(1, kPi, {0, 0, 0}), CadError);
}

// Lines in any order and direction close; a loop left open or a curve used twice does not.
TEST_F(OcctGeometryTest, RegionsNeedClosedLoopsAndExtrudeAlongZ) {
  const Point a{0, 0, 5}, b{4, 0, 5}, c{4, 3, 5};
  const std::vector<EntityRef> triangle{space->AddLine(c, a), space->AddLine(a, b),
                                        space->AddLine(c, b)};
  EXPECT_THROW(space->AddRegion({triangle[0], triangle[1]}), CadError);
  EXPECT_THROW(space->AddRegion({triangle[0], triangle[1], triangle[2], triangle[0]}), CadError);
  EXPECT_THROW(space->AddRegion({}), CadError);
  EXPECT_EQ(space->AddRegion({space->AddCircle({0, 0, 0}, 3)}).size(), 1u);
  const std::vector<EntityRef> regions = space->AddRegion(triangle);
  ASSERT_EQ(regions.size(), 1u);
  EXPECT_EQ(KindOf(*regions[0]), EntityKind::Region);
  for (const double height : {2.0, -2.0}) {  // a negative height goes down
    const SolidMeasures solid = MeasureSolid(*space->AddExtrudedSolid(*regions[0], height, 0));
    EXPECT_TRUE(solid.is_one_valid_solid);
    EXPECT_NEAR(solid.volume, 6 * 2, 1e-9);
    EXPECT_NEAR(solid.box.min.z, std::min(5.0, 5 + height), 1e-9);
    EXPECT_NEAR(solid.box.max.z, std::max(5.0, 5 + height), 1e-9);
  }
  EXPECT_THROW(space->AddExtrudedSolid(*regions[0], 2, 0.1), CadError);
  EXPECT_THROW(space->AddExtrudedSolid(*triangle[0], 2, 0), CadError);
}

}  // namespace
}  // namespace kelvo::cad

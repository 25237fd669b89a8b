// Booleans as the hobbing code uses them: the solid becomes the result and the other solid is
// consumed; a failed operation leaves both exactly as they were.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>

#include "occt_test_support.h"

namespace kelvo::cad {
namespace {

using testing::AddBox;
using testing::ExpectUnchanged;
using testing::Snapshot;
constexpr double kPi = std::numbers::pi;

using SolidMaker = std::function<std::shared_ptr<Cad3DSolid>(CadModelSpace&)>;

SolidMaker Cylinder(Point centre, double radius, double height) {
  return [=](CadModelSpace& space) { return space.AddCylinder(centre, radius, height); };
}

SolidMaker Box(Point low, Point size) {
  return [=](CadModelSpace& space) { return AddBox(space, low, size); };
}

struct BooleanCase {
  std::string name;
  SolidMaker solid, other;
  BooleanOperation operation;
  double volume;  // expected, or 0 when the operation must fail
};

void PrintTo(const BooleanCase& c, std::ostream* out) {
  *out << c.name;
}

const BooleanCase kCases[] = {
    {"coaxial subtraction", Cylinder({0, 0, 0}, 10, 10), Cylinder({0, 0, 0}, 5, 20),
     BooleanOperation::Subtraction, kPi*(100 - 25) * 10},
    {"coaxial intersection", Cylinder({0, 0, 0}, 10, 10), Cylinder({0, 0, 0}, 5, 20),
     BooleanOperation::Intersection, kPi * 25 * 10},
    {"union", Cylinder({0, 0, 0}, 10, 10), Cylinder({0, 0, 0}, 5, 20), BooleanOperation::Union,
     kPi*(100 * 10 + 25 * 10)},
    {"corner notch", Box({-10, -10, -5}, {20, 20, 10}), Box({5, 5, -10}, {10, 10, 20}),
     BooleanOperation::Subtraction, 4000 - 25 * 10},
    {"disjoint intersection is empty", Cylinder({0, 0, 0}, 5, 10), Cylinder({20, 0, 0}, 5, 10),
     BooleanOperation::Intersection, 0},
    {"subtraction splitting in two", Box({-10, -10, -5}, {20, 20, 10}),
     Box({-1, -20, -10}, {2, 40, 20}), BooleanOperation::Subtraction, 0},
    {"subtraction removing everything", Cylinder({0, 0, 0}, 5, 10), Cylinder({0, 0, 0}, 6, 12),
     BooleanOperation::Subtraction, 0},
    {"disjoint union is two solids", Cylinder({0, 0, 0}, 5, 10), Cylinder({20, 0, 0}, 5, 10),
     BooleanOperation::Union, 0},
};

class OcctBooleanTest : public ::testing::TestWithParam<BooleanCase> {
 protected:
  std::shared_ptr<OcctCadApplication> app = MakeHeadlessCadApplication();
  std::shared_ptr<OcctDocument> drawing = app->Documents().AddDrawing();
  std::shared_ptr<CadModelSpace> space = drawing->ModelSpace();
};

TEST_P(OcctBooleanTest, ResultReplacesTheSolidOrBothStayUntouched) {
  const BooleanCase& c = GetParam();
  const auto solid = c.solid(*space);
  const auto other = c.other(*space);
  const auto before_solid = Snapshot(*solid);
  const auto before_other = Snapshot(*other);
  if (c.volume > 0) {
    solid->Boolean(c.operation, *other);
    const SolidMeasures result = MeasureSolid(*solid);
    EXPECT_TRUE(result.is_one_valid_solid);
    EXPECT_NEAR(result.volume, c.volume, 1e-9 * c.volume);
    EXPECT_FALSE(IsAlive(*other));
    EXPECT_THROW(other->Move({0, 0, 0}, {1, 0, 0}), CadError);
    EXPECT_EQ(drawing->Entities().size(), 1u);
  } else {
    EXPECT_THROW(solid->Boolean(c.operation, *other), CadError);
    ExpectUnchanged(before_solid, *solid);
    ExpectUnchanged(before_other, *other);
    EXPECT_EQ(drawing->Entities().size(), 2u);
    // Both still work as solids afterwards.
    other->Move({0, 0, 0}, {0, 0, 100});
    EXPECT_NEAR(MeasureSolid(*other).box.min.z, before_other.box.min.z + 100, 1e-9);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, OcctBooleanTest, ::testing::ValuesIn(kCases),
                         [](const auto& case_info) {
                           std::string name = case_info.param.name;
                           for (char& ch : name) {
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           }
                           return name;
                         });

// Operands a Boolean must refuse, whatever OCCT could make of them.
TEST(OcctBooleanMisuseTest, RefusesForeignDeletedAndNonSolidOperands) {
  auto app = MakeHeadlessCadApplication();
  auto space = app->Documents().Add()->ModelSpace();
  auto other_space = app->Documents().Add()->ModelSpace();
  const auto solid = space->AddCylinder({0, 0, 0}, 10, 10);
  const auto before = Snapshot(*solid);

  const auto foreign = other_space->AddCylinder({0, 0, 0}, 5, 20);
  const auto deleted = space->AddCylinder({0, 0, 0}, 5, 20);
  deleted->Delete();
  const auto circle = space->AddCircle({0, 0, 0}, 5);
  const std::pair<std::string, CadEntity*> refused[] = {
      {"solid of another drawing", foreign.get()},
      {"deleted solid", deleted.get()},
      {"circle", circle.get()},
      {"itself", solid.get()},
  };
  for (const auto& [name, other] : refused) {
    SCOPED_TRACE(name);
    EXPECT_THROW(solid->Boolean(BooleanOperation::Subtraction, *other), CadError);
    ExpectUnchanged(before, *solid);
  }
  EXPECT_TRUE(IsAlive(*foreign));
  EXPECT_TRUE(IsAlive(*circle));
}

// The pitch replication: one space cut, z - 1 turned copies, one intersection with each.
TEST(OcctReplicationTest, IntersectingWithTurnedCopiesRepeatsTheSpace) {
  auto app = MakeHeadlessCadApplication();
  auto space = app->Documents().Add()->ModelSpace();
  const auto blank = space->AddCylinder({0, 0, 0}, 10, 10);
  blank->Boolean(BooleanOperation::Subtraction, *AddBox(*space, {-1, 8, -10}, {2, 5, 20}));
  const int z = 5;
  const std::vector<EntityRef> copies = blank->ArrayPolar(z, 2 * kPi - 2 * kPi / z, {0, 0, 0});
  ASSERT_EQ(copies.size(), static_cast<std::size_t>(z - 1));
  for (const EntityRef& copy : copies)
    blank->Boolean(BooleanOperation::Intersection, *copy);

  // The slot's share of the disc: the part of |x| <= 1 beyond y = 8.
  const double chord = 2 * (0.5 * std::sqrt(99.0) + 50 * std::asin(0.1)) - 2 * 8;
  const SolidMeasures gear = MeasureSolid(*blank);
  EXPECT_TRUE(gear.is_one_valid_solid);
  EXPECT_NEAR(gear.volume, (kPi * 100 - z * chord) * 10, 1e-7 * gear.volume);
  EXPECT_EQ(app->Documents().Current()->Entities().size(), 1u);
}

// The rolling cut: the blank turns by the same angle before every subtraction, so its
// placement is the same motion applied again and again.
TEST(OcctReplicationTest, RollingCutsLandAtTheTurnedPositions) {
  auto app = MakeHeadlessCadApplication();
  auto space = app->Documents().Add()->ModelSpace();
  const auto blank = space->AddCylinder({0, 0, 0}, 10, 10);
  const auto cutter = AddBox(*space, {-0.5, 9, -10}, {1, 5, 20});
  for (int position = 0; position < 3; ++position) {
    const auto copy = std::dynamic_pointer_cast<Cad3DSolid>(cutter->Copy());
    blank->Rotate3D({0, 0, 0}, {0, 0, -1}, kPi / 18);
    blank->Boolean(BooleanOperation::Subtraction, *copy);
  }
  // Turning clockwise brings the blank's material at 100, 110 and 120 degrees under the
  // cutter at 90 degrees. Turned back by 30 degrees, a probe finds a notch at 110 degrees and
  // material at 70 degrees, where a turn the wrong way would have cut.
  blank->Rotate3D({0, 0, 0}, {0, 0, 1}, kPi / 6);
  const double full = MeasureSolid(*blank).volume;
  auto probe_at = [&](double degrees) {
    const auto probe = space->AddCylinder(
        {9.8 * std::cos(degrees * kPi / 180), 9.8 * std::sin(degrees * kPi / 180), 0}, 0.1, 2);
    const double probe_volume = MeasureSolid(*probe).volume;
    const auto copy = std::dynamic_pointer_cast<Cad3DSolid>(blank->Copy());
    try {
      copy->Boolean(BooleanOperation::Intersection, *probe);
    } catch (const CadError&) {
      return 0.0;  // nothing in common: the notch is there
    }
    return MeasureSolid(*copy).volume / probe_volume;
  };
  EXPECT_NEAR(probe_at(110), 0, 1e-9);
  EXPECT_NEAR(probe_at(70), 1, 1e-9);
  const double notch = 2 * (0.25 * std::sqrt(99.75) + 50 * std::asin(0.05)) - 9;
  EXPECT_NEAR(full, (kPi * 100 - 3 * notch) * 10, 1e-7 * full);
}

}  // namespace
}  // namespace kelvo::cad

// Booleans as the hobbing code uses them: the solid becomes the result and the other solid is
// consumed; a failed or stopped operation leaves both as they were. The fast evaluation, which
// defers the replication's intersections, must leave what the operation-by-operation one does.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <tuple>

#include "cad/occt/occt_evaluation.h"
#include "occt_test_support.h"

namespace kelvo::cad {
namespace {

using testing::AddBox;
using enum BooleanOperation;
constexpr double kPi = std::numbers::pi;

// A cylinder (a: centre; b.x, b.y: radius, height) or a box (a: low corner, b: size).
struct Shape {
  bool box;
  Point a, b;
  std::shared_ptr<Cad3DSolid> Add(CadModelSpace& space) const {
    return box ? AddBox(space, a, b) : space.AddCylinder(a, b.x, b.y);
  }
};

void ExpectUnchanged(const SolidMeasures& before, const CadEntity& solid) {
  ASSERT_TRUE(IsAlive(solid));
  const SolidMeasures after = MeasureSolid(solid);
  EXPECT_DOUBLE_EQ(after.volume, before.volume);
  EXPECT_EQ(after.face_count, before.face_count);
  testing::ExpectNear(after.box.min, before.box.min, 1e-12, "box min");
  testing::ExpectNear(after.box.max, before.box.max, 1e-12, "box max");
}

TEST(OcctBooleanTest, ResultReplacesTheSolidOrBothStayUntouched) {
  const Shape big{false, {}, {10, 10, 0}}, thin{false, {}, {5, 20, 0}};
  const Shape small{false, {}, {5, 10, 0}}, apart{false, {20, 0, 0}, {5, 10, 0}};
  const Shape plate{true, {-10, -10, -5}, {20, 20, 10}}, slot{true, {-1, 7, -5}, {2, 5, 10}};
  using enum BooleanEvaluation;
  struct Case {
    const char* name;
    Shape solid, other;
    BooleanOperation operation;
    double volume;                                  // 0: the operation must fail
    std::optional<BooleanEvaluation> stopped = {};  // a stop asked for before the work starts
  } const cases[] = {
      {"coaxial subtraction", big, thin, Subtraction, kPi * (100 - 25) * 10},
      {"coaxial intersection", big, thin, Intersection, kPi * 25 * 10},
      {"union", big, thin, Union, kPi * (100 * 10 + 25 * 10)},
      {"corner notch", plate, {true, {5, 5, -10}, {10, 10, 20}}, Subtraction, 4000 - 25 * 10},
      {"disjoint intersection is empty", small, apart, Intersection, 0},
      {"splitting in two", plate, {true, {-1, -20, -10}, {2, 40, 20}}, Subtraction, 0},
      {"removing everything", small, {false, {}, {6, 12, 0}}, Subtraction, 0},
      {"disjoint union is two solids", small, apart, Union, 0},
      {"stopped, fast", big, slot, Subtraction, 0, Fast},
      {"stopped, operation by operation", big, slot, Subtraction, 0, OperationByOperation},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto app = MakeHeadlessCadApplication();
    if (c.stopped) app->SetBooleanEvaluation(*c.stopped);
    auto drawing = app->Documents().AddDrawing();
    const auto solid = c.solid.Add(*drawing->ModelSpace());
    const auto other = c.other.Add(*drawing->ModelSpace());
    const SolidMeasures before_solid = MeasureSolid(*solid), before_other = MeasureSolid(*other);
    if (c.volume > 0) {
      solid->Boolean(c.operation, *other);
      const SolidMeasures result = MeasureSolid(*solid);
      EXPECT_TRUE(result.is_one_valid_solid);
      EXPECT_NEAR(result.volume, c.volume, 1e-9 * c.volume);
      EXPECT_FALSE(IsAlive(*other));
      EXPECT_THROW(other->Move({0, 0, 0}, {1, 0, 0}), CadError);
      EXPECT_EQ(drawing->Entities().size(), 1u);
      continue;
    }
    if (c.stopped) {
      app->SetEvaluationHooks({{}, [] { return true; }});
      EXPECT_THROW(solid->Boolean(c.operation, *other), EvaluationStopped);
      app->SetEvaluationHooks({});
      EXPECT_EQ(drawing->Evaluation().failed_booleans, 0);
    } else {
      EXPECT_THROW(solid->Boolean(c.operation, *other), CadError);
    }
    ExpectUnchanged(before_solid, *solid);
    ExpectUnchanged(before_other, *other);
    EXPECT_EQ(drawing->Entities().size(), 2u);
    other->Move({0, 0, 0}, {0, 0, 100});  // both still work as solids afterwards
    EXPECT_NEAR(MeasureSolid(*other).box.min.z, before_other.box.min.z + 100, 1e-9);
  }
}

// A blank with a slot, turned about Z, then intersected with its turned copies as the hobbing's
// replication does, a copy that fails deleted.
TEST(FastEvaluationTest, GivesTheReferenceSolidFailuresAndDrawing) {
  // What one slot, |x| <= 1 beyond y = 7, takes from a disc of radius 10.
  const double slot_area = 2 * (std::sqrt(99) / 2 + 50 * std::asin(0.1)) - 2 * 7;
  struct Script {
    const char* name;
    double radius, width, depth;  // the blank and its slot
    int count;                    // copies, turned through angle
    double angle, turn = 0;
    int failures = 0;   // Booleans the reference refuses, which both must skip alike
    double volume = 0;  // worked out by hand, where it is
  } const scripts[] = {
      {"five slots", 10, 2, 3, 5, 8 * kPi / 5, 0, 0, (kPi * 100 - 5 * slot_area) * 6},
      // Part of a turn, which a mirrored evaluation would pass on volume alone.
      {"two copies an eighth of a turn apart", 10, 2, 3, 3, kPi / 2, 0.2},
      {"removed spaces that overlap when turned", 10, 12, 3, 6, 5 * kPi / 3},
      // Thousands of teeth: one slot weighs less than the volumes can tell, yet each must be cut.
      {"slots too small for the volumes to see", 3000, 1, 1, 4, 1.5 * kPi},
      // A slot through all but the rim: with its half-turned copy nothing holds the halves.
      {"an intersection that would split the blank is skipped", 10, 2, 19, 2, kPi, 0, 1},
  };
  for (const Script& s : scripts) {
    SCOPED_TRACE(s.name);
    auto run = [&](BooleanEvaluation evaluation) {
      auto app = MakeHeadlessCadApplication();
      app->SetBooleanEvaluation(evaluation);
      auto drawing = app->Documents().AddDrawing();
      const auto space = drawing->ModelSpace();
      auto blank = space->AddCylinder({0, 0, 0}, s.radius, 6);
      blank->Boolean(Subtraction, *AddBox(*space, {-s.width / 2, s.radius - s.depth, -5},
                                          {s.width, s.depth + 2, 10}));
      if (s.turn != 0) blank->Rotate3D({0, 0, 0}, {0, 0, 1}, s.turn);
      for (const EntityRef& copy : blank->ArrayPolar(s.count, s.angle, {0, 0, 0})) {
        try {
          blank->Boolean(Intersection, *copy);
        } catch (const CadError&) {
          copy->Delete();
        }
      }
      return std::tuple{MeasureSolid(*blank), drawing->Evaluation(), drawing->Entities().size()};
    };
    const auto [ref, ref_stats, ref_entities] = run(BooleanEvaluation::OperationByOperation);
    const auto [fast, fast_stats, fast_entities] = run(BooleanEvaluation::Fast);
    EXPECT_TRUE(ref.is_one_valid_solid && fast.is_one_valid_solid);
    EXPECT_NEAR(fast.volume, ref.volume, 1e-9 * ref.volume);
    if (s.volume > 0) {
      EXPECT_NEAR(ref.volume, s.volume, 1e-7 * ref.volume);
    }
    EXPECT_NEAR(fast.surface_area, ref.surface_area, 1e-9 * ref.surface_area);
    // Where the material is, not only how much: a slot turned the wrong way weighs the same.
    testing::ExpectNear(fast.centre_of_mass, ref.centre_of_mass, 1e-9, "centre of mass");
    EXPECT_EQ(std::pair(ref_stats.failed_booleans, fast_stats.failed_booleans),
              std::pair(s.failures, s.failures));
    EXPECT_EQ(fast_entities, ref_entities);
    EXPECT_EQ(ref_stats.deferred_intersections, 0);
  }
}

}  // namespace
}  // namespace kelvo::cad

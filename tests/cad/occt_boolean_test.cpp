// Booleans as the hobbing code uses them: the solid becomes the result and the other solid is
// consumed; a failed or stopped operation leaves both as they were. The fast evaluation, which
// defers the replication's intersections, must leave what the operation-by-operation reference
// leaves (the reference may split a face more where a copy's cylinder had its seam).

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "cad/occt/occt_evaluation.h"
#include "occt_test_support.h"

namespace kelvo::cad {
namespace {

using testing::AddBox;
using testing::ExpectUnchanged;
constexpr double kPi = std::numbers::pi;
using SolidMaker = std::function<std::shared_ptr<Cad3DSolid>(CadModelSpace&)>;

TEST(OcctBooleanTest, ResultReplacesTheSolidOrBothStayUntouched) {
  const auto cylinder = [](Point centre, double radius, double height) -> SolidMaker {
    return [=](CadModelSpace& space) { return space.AddCylinder(centre, radius, height); };
  };
  const auto box = [](Point low, Point size) -> SolidMaker {
    return [=](CadModelSpace& space) { return AddBox(space, low, size); };
  };
  const SolidMaker big = cylinder({0, 0, 0}, 10, 10), thin = cylinder({0, 0, 0}, 5, 20);
  const SolidMaker plate = box({-10, -10, -5}, {20, 20, 10});
  const SolidMaker small = cylinder({0, 0, 0}, 5, 10), apart = cylinder({20, 0, 0}, 5, 10);
  using enum BooleanOperation;
  struct Case {
    std::string name;
    SolidMaker solid, other;
    BooleanOperation operation;
    double volume;  // 0: the operation must fail
  } const cases[] = {
      {"coaxial subtraction", big, thin, Subtraction, kPi * (100 - 25) * 10},
      {"coaxial intersection", big, thin, Intersection, kPi * 25 * 10},
      {"union", big, thin, Union, kPi * (100 * 10 + 25 * 10)},
      {"corner notch", plate, box({5, 5, -10}, {10, 10, 20}), Subtraction, 4000 - 25 * 10},
      {"disjoint intersection is empty", small, apart, Intersection, 0},
      {"subtraction splitting in two", plate, box({-1, -20, -10}, {2, 40, 20}), Subtraction, 0},
      {"subtraction removing everything", small, cylinder({0, 0, 0}, 6, 12), Subtraction, 0},
      {"disjoint union is two solids", small, apart, Union, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto app = MakeHeadlessCadApplication();
    auto drawing = app->Documents().AddDrawing();
    const auto solid = c.solid(*drawing->ModelSpace());
    const auto other = c.other(*drawing->ModelSpace());
    const SolidMeasures before_solid = MeasureSolid(*solid), before_other = MeasureSolid(*other);
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
      other->Move({0, 0, 0}, {0, 0, 100});  // both still work as solids afterwards
      EXPECT_NEAR(MeasureSolid(*other).box.min.z, before_other.box.min.z + 100, 1e-9);
    }
  }
}

// Intersects solid with each copy as the hobbing code does, deleting a copy that fails.
void IntersectAll(Cad3DSolid& solid, const std::vector<EntityRef>& copies) {
  for (const EntityRef& copy : copies) {
    try {
      solid.Boolean(BooleanOperation::Intersection, *copy);
    } catch (const CadError&) {
      copy->Delete();
    }
  }
}

// The part of a disc of radius 10 with |x| <= w beyond y = y0.
double SlotArea(double w, double y0) {
  return 2 * (w / 2 * std::sqrt(100 - w * w) + 50 * std::asin(w / 10)) - 2 * w * y0;
}

// A blank with a slot, turned (about Z) before its turned copies are made and intersected
// with it, as the hobbing's replication does.
struct Script {
  std::string name;
  double radius, width, depth;  // the blank and its slot
  int count;                    // copies, turned through angle
  double angle, turn = 0;
  int failures = 0;   // Booleans the reference refuses, which both must skip alike
  double volume = 0;  // worked out by hand, where it is
};

std::shared_ptr<Cad3DSolid> RunScript(const Script& script, CadModelSpace& space) {
  auto blank = space.AddCylinder({0, 0, 0}, script.radius, 6);
  blank->Boolean(BooleanOperation::Subtraction,
                 *AddBox(space, {-script.width / 2, script.radius - script.depth, -5},
                         {script.width, script.depth + 2, 10}));
  if (script.turn != 0) blank->Rotate3D({0, 0, 0}, {0, 0, 1}, script.turn);
  IntersectAll(*blank, blank->ArrayPolar(script.count, script.angle, {0, 0, 0}));
  return blank;
}

const Script kScripts[] = {
    {"five slots", 10, 2, 3, 5, 8 * kPi / 5, 0, 0, (kPi * 100 - 5 * SlotArea(1, 7)) * 6},
    // Part of a turn, which a mirrored evaluation would pass on volume alone.
    {"two copies an eighth of a turn apart", 10, 2, 3, 3, kPi / 2, 0.2},
    {"removed spaces that overlap when turned", 10, 12, 3, 6, 5 * kPi / 3},
    // A gear of thousands of teeth: one slot weighs less than the volumes can tell, and every
    // slot must still be replicated.
    {"slots too small for the volumes to see", 3000, 1, 1, 4, 1.5 * kPi},
    // A slot through all but the rim: with its half-turned copy nothing holds the halves.
    {"an intersection that would split the blank is skipped", 10, 2, 19, 2, kPi, 0, 1},
};

TEST(FastEvaluationTest, GivesTheReferenceSolidFailuresAndDrawing) {
  for (const Script& script : kScripts) {
    SCOPED_TRACE(script.name);
    struct Outcome {
      SolidMeasures measures;
      EvaluationStats stats;
      std::size_t entities;
    };
    auto run = [&](BooleanEvaluation evaluation) {
      auto app = MakeHeadlessCadApplication();
      app->SetBooleanEvaluation(evaluation);
      auto drawing = app->Documents().AddDrawing();
      const SolidMeasures measures = MeasureSolid(*RunScript(script, *drawing->ModelSpace()));
      return Outcome{measures, drawing->Evaluation(), drawing->Entities().size()};
    };
    const Outcome reference = run(BooleanEvaluation::OperationByOperation);
    const Outcome fast = run(BooleanEvaluation::Fast);
    EXPECT_TRUE(reference.measures.is_one_valid_solid);
    EXPECT_TRUE(fast.measures.is_one_valid_solid);
    const double volume = reference.measures.volume;
    EXPECT_NEAR(fast.measures.volume, volume, 1e-9 * volume);
    if (script.volume > 0) {
      EXPECT_NEAR(volume, script.volume, 1e-7 * volume);
    }
    EXPECT_NEAR(fast.measures.surface_area, reference.measures.surface_area,
                1e-9 * reference.measures.surface_area);
    // Where the material is, not only how much: a slot turned the wrong way weighs the same.
    testing::ExpectNear(fast.measures.centre_of_mass, reference.measures.centre_of_mass, 1e-9,
                        "centre of mass");
    EXPECT_EQ(reference.stats.failed_booleans, script.failures);
    EXPECT_EQ(fast.stats.failed_booleans, script.failures);
    EXPECT_EQ(fast.entities, reference.entities);
    EXPECT_EQ(reference.stats.deferred_intersections, 0);
  }
}

// A stop asked for before the work starts is honoured, however short the work would be.
TEST(FastEvaluationTest, AStoppedBooleanLeavesBothSolidsAsTheyWere) {
  for (auto evaluation : {BooleanEvaluation::Fast, BooleanEvaluation::OperationByOperation}) {
    auto app = MakeHeadlessCadApplication();
    app->SetBooleanEvaluation(evaluation);
    auto space = app->Documents().AddDrawing()->ModelSpace();
    auto blank = space->AddCylinder({0, 0, 0}, 10, 6);
    auto cutter = AddBox(*space, {-1, 7, -5}, {2, 5, 10});
    const SolidMeasures before = MeasureSolid(*blank);
    app->SetEvaluationHooks({{}, [] { return true; }});
    EXPECT_THROW(blank->Boolean(BooleanOperation::Subtraction, *cutter), EvaluationStopped);
    app->SetEvaluationHooks({});
    ExpectUnchanged(before, *blank);
    EXPECT_TRUE(IsAlive(*cutter));
    EXPECT_EQ(app->Documents().Current()->Evaluation().failed_booleans, 0);
  }
}

}  // namespace
}  // namespace kelvo::cad

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

TEST(OcctBooleanTest, RefusesForeignDeletedAndNonSolidOperands) {
  auto app = MakeHeadlessCadApplication();
  auto space = app->Documents().Add()->ModelSpace();
  const auto solid = space->AddCylinder({0, 0, 0}, 10, 10);
  const SolidMeasures before = MeasureSolid(*solid);
  const auto foreign = app->Documents().Add()->ModelSpace()->AddCylinder({0, 0, 0}, 5, 20);
  const auto deleted = space->AddCylinder({0, 0, 0}, 5, 20);
  deleted->Delete();
  const auto circle = space->AddCircle({0, 0, 0}, 5);
  const std::pair<const char*, EntityRef> refused[] = {
      {"another drawing's", foreign}, {"deleted", deleted}, {"circle", circle}, {"itself", solid}};
  for (const auto& [name, other] : refused) {
    SCOPED_TRACE(name);
    EXPECT_THROW(solid->Boolean(BooleanOperation::Subtraction, *other), CadError);
    ExpectUnchanged(before, *solid);
  }
  EXPECT_TRUE(IsAlive(*foreign));
  EXPECT_TRUE(IsAlive(*circle));
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

std::shared_ptr<Cad3DSolid> SlottedBlank(CadModelSpace& space, double width, double depth) {
  auto blank = space.AddCylinder({0, 0, 0}, 10, 6);
  blank->Boolean(BooleanOperation::Subtraction,
                 *AddBox(space, {-width / 2, 10 - depth, -5}, {width, depth + 2, 10}));
  return blank;
}

// The part of the blank's disc with |x| <= w beyond y = y0.
double SlotArea(double w, double y0) {
  return 2 * (w / 2 * std::sqrt(100 - w * w) + 50 * std::asin(w / 10)) - 2 * w * y0;
}

// A blank with slots, turned copies and intersections, as the hobbing sequence makes them.
struct Script {
  std::string name;
  SolidMaker run;
  int failures = 0;   // Booleans the reference refuses, which both must skip alike
  double volume = 0;  // worked out by hand, where it is
};

const Script kScripts[] = {
    {"five slots by replication",
     [](CadModelSpace& space) {
       auto blank = SlottedBlank(space, 2, 3);
       IntersectAll(*blank, blank->ArrayPolar(5, 2 * kPi - 2 * kPi / 5, {0, 0, 0}));
       return blank;
     },
     0, (kPi * 100 - 5 * SlotArea(1, 7)) * 6},
    // The blank turns clockwise before every subtraction: cuts at 100, 110 and 120 degrees.
    {"rolling cut",
     [](CadModelSpace& space) {
       auto blank = space.AddCylinder({0, 0, 0}, 10, 6);
       const auto cutter = AddBox(space, {-0.5, 9, -5}, {1, 5, 10});
       for (int position = 0; position < 3; ++position) {
         blank->Rotate3D({0, 0, 0}, {0, 0, -1}, kPi / 18);
         blank->Boolean(BooleanOperation::Subtraction, *cutter->Copy());
       }
       cutter->Delete();
       return blank;
     },
     0, (kPi * 100 - 3 * SlotArea(0.5, 9)) * 6},
    // Part of a turn, which a mirrored evaluation would pass on volume alone.
    {"two copies an eighth of a turn apart",
     [](CadModelSpace& space) {
       auto blank = SlottedBlank(space, 2, 3);
       blank->Rotate3D({0, 0, 0}, {0, 0, 1}, 0.2);
       IntersectAll(*blank, blank->ArrayPolar(3, kPi / 2, {0, 0, 0}));
       return blank;
     }},
    {"copies standing higher are intersected at once",
     [](CadModelSpace& space) {
       auto blank = SlottedBlank(space, 2, 3);
       blank->Move({0, 0, 0}, {0, 0, 0.5});
       const auto copies = blank->ArrayPolar(7, 2 * kPi - 2 * kPi / 7, {0, 0, 0});
       blank->Move({0, 0, 0.5}, {0, 0, 0});
       IntersectAll(*blank, copies);
       return blank;
     }},
    {"copies of an earlier state, the blank cut again since",
     [](CadModelSpace& space) {
       auto blank = SlottedBlank(space, 2, 3);
       const auto copies = blank->ArrayPolar(4, 1.5 * kPi, {0, 0, 0});
       blank->Boolean(BooleanOperation::Subtraction, *AddBox(space, {-0.5, -2, -5}, {1, 4, 10}));
       IntersectAll(*blank, copies);
       return blank;
     }},
    {"removed spaces that overlap when turned",
     [](CadModelSpace& space) {
       auto blank = SlottedBlank(space, 12, 3);  // 12 wide at 60 degrees
       IntersectAll(*blank, blank->ArrayPolar(6, 2 * kPi - kPi / 3, {0, 0, 0}));
       return blank;
     }},
    {"a copy of another cylinder is intersected at once",
     [](CadModelSpace& space) {
       auto blank = SlottedBlank(space, 2, 3);
       blank->Boolean(BooleanOperation::Intersection, *space.AddCylinder({0, 0, 0}, 9, 6));
       IntersectAll(*blank, blank->ArrayPolar(3, 4 * kPi / 3, {0, 0, 0}));
       return blank;
     }},
    // A gear of thousands of teeth: one slot weighs less than the volumes can tell, and every
    // slot must still be replicated.
    {"slots too small for the volumes to see",
     [](CadModelSpace& space) {
       auto blank = space.AddCylinder({0, 0, 0}, 3000, 20);
       blank->Boolean(BooleanOperation::Subtraction, *AddBox(space, {-0.5, 2999, -15}, {1, 3, 30}));
       IntersectAll(*blank, blank->ArrayPolar(4, 1.5 * kPi, {0, 0, 0}));
       return blank;
     }},
    // A slot through all but the rim: with its half-turned copy nothing holds the halves.
    {"an intersection that would split the blank is skipped",
     [](CadModelSpace& space) {
       auto blank = SlottedBlank(space, 2, 19);
       IntersectAll(*blank, blank->ArrayPolar(2, kPi, {0, 0, 0}));
       return blank;
     },
     1},
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
      const SolidMeasures measures = MeasureSolid(*script.run(*drawing->ModelSpace()));
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

// Nine slots by replication, their eight intersections waiting in the fast evaluation.
struct Replication {
  std::shared_ptr<OcctCadApplication> app = MakeHeadlessCadApplication();
  std::shared_ptr<OcctDocument> drawing = app->Documents().AddDrawing();
  std::shared_ptr<Cad3DSolid> blank = SlottedBlank(*drawing->ModelSpace(), 2, 3);
  double one_slot_volume = MeasureSolid(*blank).volume;
  Replication() { IntersectAll(*blank, blank->ArrayPolar(9, 2 * kPi - 2 * kPi / 9, {0, 0, 0})); }
};

TEST(FastEvaluationTest, ReplicationWaitsAndIsMadeAsOneCheckedCutWithRisingProgress) {
  Replication replication;
  std::vector<double> reported;
  replication.app->SetEvaluationHooks(
      {[&](std::string_view, double done) { reported.push_back(done); }, {}});
  EXPECT_EQ(replication.drawing->Evaluation().deferred_intersections, 8);
  EXPECT_EQ(replication.drawing->Evaluation().one_cut_evaluations, 0);  // nothing asked yet
  for (int evaluation = 0; evaluation < 2; ++evaluation)
    replication.drawing->Evaluate();  // the second finds nothing left to do
  const EvaluationStats stats = replication.drawing->Evaluation();
  EXPECT_EQ(stats.one_cut_evaluations, 1);
  EXPECT_EQ(stats.fallbacks, 0);
  EXPECT_LT(MeasureSolid(*replication.blank).volume, replication.one_slot_volume);
  ASSERT_FALSE(reported.empty());
  for (std::size_t i = 1; i < reported.size(); ++i)
    EXPECT_GE(reported[i], reported[i - 1]);
  EXPECT_EQ(reported.back(), 1.0);
}

TEST(FastEvaluationTest, AStopDropsTheWaitingIntersectionsAndKeepsTheCutBlank) {
  Replication replication;
  replication.app->SetEvaluationHooks({[](std::string_view, double) {}, [] { return true; }});
  EXPECT_THROW(MeasureSolid(*replication.blank), EvaluationStopped);
  EXPECT_EQ(replication.drawing->Evaluation().dropped_by_stop, 8);
  const std::vector<std::string> log = replication.drawing->CommandLog();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "Stopped: 8 deferred intersections not applied");
  // What was cut before the stop stays, a valid solid the designer can still use.
  replication.app->SetEvaluationHooks({});
  const SolidMeasures kept = MeasureSolid(*replication.blank);
  EXPECT_TRUE(kept.is_one_valid_solid);
  EXPECT_NEAR(kept.volume, replication.one_slot_volume, 1e-9 * kept.volume);
}

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

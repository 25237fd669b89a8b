// The fast evaluation against the operation-by-operation reference on small solids: every
// script is run both ways and must leave the same solid (volume, area and centre of mass; the
// reference may split a face more where a copy's cylinder had its seam), the same failures and
// the same drawing. Stops and progress reach a deferred evaluation through the hooks.

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
constexpr double kPi = std::numbers::pi;

// A blank with slots, turned copies and intersections, as the hobbing sequence makes them.
struct Script {
  std::string name;
  std::function<std::shared_ptr<Cad3DSolid>(CadModelSpace&)> run;
  int failures = 0;  // Booleans the reference refuses, which both must skip alike
};

void PrintTo(const Script& script, std::ostream* out) {
  *out << script.name;
}

// Intersects solid with each copy as the hobbing code does: a copy whose intersection fails
// is deleted by the caller.
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

const Script kScripts[] = {
    {"five slots by replication",
     [](CadModelSpace& space) {
       auto blank = SlottedBlank(space, 2, 3);
       IntersectAll(*blank, blank->ArrayPolar(5, 2 * kPi - 2 * kPi / 5, {0, 0, 0}));
       return blank;
     }},
    {"a turned blank replicated",
     [](CadModelSpace& space) {
       auto blank = SlottedBlank(space, 2, 3);
       blank->Rotate3D({0, 0, 0}, {0, 0, -1}, 0.3);
       IntersectAll(*blank, blank->ArrayPolar(7, 2 * kPi - 2 * kPi / 7, {0, 0, 0}));
       return blank;
     }},
    {"part of a turn: two copies an eighth of a turn apart",
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
       // 12 wide at 60 degrees: neighbouring slots overlap towards the rim.
       auto blank = SlottedBlank(space, 12, 3);
       IntersectAll(*blank, blank->ArrayPolar(6, 2 * kPi - kPi / 3, {0, 0, 0}));
       return blank;
     }},
    {"a copy of another cylinder is intersected at once",
     [](CadModelSpace& space) {
       auto blank = SlottedBlank(space, 2, 3);
       auto other = space.AddCylinder({0, 0, 0}, 9, 6);
       blank->Boolean(BooleanOperation::Intersection, *other);
       IntersectAll(*blank, blank->ArrayPolar(3, 4 * kPi / 3, {0, 0, 0}));
       return blank;
     }},
    // A gear of thousands of teeth: on its large blank one slot weighs less than the volumes
    // can tell from the cylinder's, and every slot must still be replicated.
    {"slots too small for the volumes to see",
     [](CadModelSpace& space) {
       auto blank = space.AddCylinder({0, 0, 0}, 3000, 20);
       blank->Boolean(BooleanOperation::Subtraction, *AddBox(space, {-0.5, 2999, -15}, {1, 3, 30}));
       IntersectAll(*blank, blank->ArrayPolar(4, 1.5 * kPi, {0, 0, 0}));
       return blank;
     }},
    {"an intersection that would split the blank is skipped",
     [](CadModelSpace& space) {
       // A slot through all but the rim: with its half-turned copy nothing holds the halves.
       auto blank = SlottedBlank(space, 2, 19);
       IntersectAll(*blank, blank->ArrayPolar(2, kPi, {0, 0, 0}));
       return blank;
     },
     1},
};

class FastEvaluationTest : public ::testing::TestWithParam<Script> {};

TEST_P(FastEvaluationTest, GivesTheReferenceSolidFailuresAndDrawing) {
  const Script& script = GetParam();
  struct Outcome {
    SolidMeasures measures;
    EvaluationStats stats;
    std::size_t entities;
  };
  auto run = [&](BooleanEvaluation evaluation) {
    auto app = MakeHeadlessCadApplication();
    app->SetBooleanEvaluation(evaluation);
    auto drawing = app->Documents().AddDrawing();
    auto solid = script.run(*drawing->ModelSpace());
    const SolidMeasures measures = MeasureSolid(*solid);
    return Outcome{measures, drawing->Evaluation(), drawing->Entities().size()};
  };
  const Outcome reference = run(BooleanEvaluation::OperationByOperation);
  const Outcome fast = run(BooleanEvaluation::Fast);

  EXPECT_TRUE(reference.measures.is_one_valid_solid);
  EXPECT_TRUE(fast.measures.is_one_valid_solid);
  EXPECT_NEAR(fast.measures.volume, reference.measures.volume, 1e-9 * reference.measures.volume);
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

INSTANTIATE_TEST_SUITE_P(Scripts, FastEvaluationTest, ::testing::ValuesIn(kScripts));

// Replicated slots, the intersections waiting in the fast evaluation.
struct Replication {
  std::shared_ptr<OcctCadApplication> app = MakeHeadlessCadApplication();
  std::shared_ptr<OcctDocument> drawing = app->Documents().AddDrawing();
  std::shared_ptr<Cad3DSolid> blank;
  double one_slot_volume = 0;

  explicit Replication(int z) {
    blank = SlottedBlank(*drawing->ModelSpace(), 2, 3);
    one_slot_volume = MeasureSolid(*blank).volume;
    IntersectAll(*blank, blank->ArrayPolar(z, 2 * kPi - 2 * kPi / z, {0, 0, 0}));
  }
};

TEST(FastEvaluationTest, ReplicationWaitsAndIsMadeAsOneCheckedCut) {
  Replication replication(9);
  EvaluationStats stats = replication.drawing->Evaluation();
  EXPECT_EQ(stats.deferred_intersections, 8);
  EXPECT_EQ(stats.one_cut_evaluations, 0);  // nothing asked for the shape yet

  replication.drawing->Evaluate();
  stats = replication.drawing->Evaluation();
  EXPECT_EQ(stats.one_cut_evaluations, 1);
  EXPECT_EQ(stats.fallbacks, 0);
  const double slot = MeasureSolid(*replication.blank).volume;
  EXPECT_LT(slot, replication.one_slot_volume);
  replication.drawing->Evaluate();  // nothing left to do
  EXPECT_EQ(replication.drawing->Evaluation().one_cut_evaluations, 1);
}

TEST(FastEvaluationTest, AStopDropsTheWaitingIntersectionsAndKeepsTheCutBlank) {
  Replication replication(9);
  int progress_calls = 0;
  replication.app->SetEvaluationHooks(
      {[&](std::string_view, double) { ++progress_calls; }, [] { return true; }});
  EXPECT_THROW(MeasureSolid(*replication.blank), EvaluationStopped);

  const EvaluationStats stats = replication.drawing->Evaluation();
  EXPECT_EQ(stats.dropped_by_stop, 8);
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
  for (BooleanEvaluation evaluation :
       {BooleanEvaluation::Fast, BooleanEvaluation::OperationByOperation}) {
    auto app = MakeHeadlessCadApplication();
    app->SetBooleanEvaluation(evaluation);
    auto space = app->Documents().AddDrawing()->ModelSpace();
    auto blank = space->AddCylinder({0, 0, 0}, 10, 6);
    auto cutter = AddBox(*space, {-1, 7, -5}, {2, 5, 10});
    const testing::SolidSnapshot before = testing::Snapshot(*blank);
    app->SetEvaluationHooks({{}, [] { return true; }});
    EXPECT_THROW(blank->Boolean(BooleanOperation::Subtraction, *cutter), EvaluationStopped);
    app->SetEvaluationHooks({});
    testing::ExpectUnchanged(before, *blank);
    EXPECT_TRUE(IsAlive(*cutter));
    EXPECT_EQ(app->Documents().Current()->Evaluation().failed_booleans, 0);
  }
}

TEST(FastEvaluationTest, ProgressRisesToTheEnd) {
  Replication replication(12);
  std::vector<double> reported;
  replication.app->SetEvaluationHooks(
      {[&](std::string_view, double done) { reported.push_back(done); }, {}});
  replication.drawing->Evaluate();
  ASSERT_FALSE(reported.empty());
  for (std::size_t i = 1; i < reported.size(); ++i)
    EXPECT_GE(reported[i], reported[i - 1]);
  EXPECT_EQ(reported.back(), 1.0);
}

}  // namespace
}  // namespace kelvo::cad

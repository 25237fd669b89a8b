// OpenCASCADE exceptions and exhausted memory struck into the deferred evaluation of a slotted
// blank's replication, at each of its stages: the solid comes out complete, as the reference
// order leaves it when an intersection fails, or exactly as it was; the failure is counted and
// the drawing says what it lacks; nothing crashes and nothing is thrown away.

#include <Standard_Failure.hxx>
#include <algorithm>
#include <array>
#include <atomic>
#include <new>
#include <numbers>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cad/occt/occt_deferred_faults.h"
#include "cad/occt/occt_evaluation.h"
#include "occt_test_support.h"

namespace kelvo::cad {
namespace {

// Angles of the CAD application with the exact pi; the gear formulas' own is pi.
using std::numbers::pi;
constexpr int kCopies = 4;  // a blank with five slots: four turned copies to intersect

// Where and what the fault strikes, read by the fault function on whatever thread reaches it.
struct Striking {
  std::array<std::atomic<bool>, kDeferredStageCount> every{};  // at each arrival at these stages
  std::atomic<int> once_stage{-1};                             // and at the nth arrival at this one
  std::atomic<int> once_nth{0};
  std::array<std::atomic<int>, kDeferredStageCount> arrivals{};
  std::atomic<bool> out_of_memory{false};  // std::bad_alloc, else an OpenCASCADE failure
} striking;

void Strike(DeferredStage stage) {
  const auto s = static_cast<std::size_t>(stage);
  const int arrival = ++striking.arrivals[s];
  if (!striking.every[s] && !(striking.once_stage == int(s) && striking.once_nth == arrival)) {
    return;
  }
  if (striking.out_of_memory) throw std::bad_alloc();
  throw Standard_Failure("struck by the test");
}

// The blank slotted once, with its turned copies intersected; skipped: the copies (1 to 4) whose
// intersection is left out, as the reference order leaves out one that fails.
struct Replication {
  std::shared_ptr<OcctCadApplication> app = MakeHeadlessCadApplication();
  std::shared_ptr<OcctDocument> drawing;
  std::shared_ptr<Cad3DSolid> blank;

  Replication(BooleanEvaluation evaluation, const std::set<int>& skipped = {}) {
    app->SetBooleanEvaluation(evaluation);
    drawing = app->Documents().AddDrawing();
    blank = testing::AddSlottedBlank(*drawing->ModelSpace());
    int copy = 0;
    for (const EntityRef& turned : blank->ArrayPolar(kCopies + 1, 8 * pi / 5, {0, 0, 0})) {
      if (skipped.contains(++copy)) {
        turned->Delete();
      } else {
        blank->Boolean(BooleanOperation::Intersection, *turned);
      }
    }
  }
};

// (A Boolean on the sections that fails is the hobbed gear tests'; the one cut that fails is
// where the cases without one begin.)
TEST(DeferredFaultsTest, TheSolidComesOutCompleteAsTheReferenceWouldOrAsItWas) {
  using enum DeferredStage;
  struct Case {
    const char* name;
    // The present fast evaluation on the solids, or the one that works on prisms' sections
    // first and falls back to it.
    BooleanEvaluation evaluation = BooleanEvaluation::Fast3D;
    std::vector<DeferredStage> every;  // struck at every arrival
    std::optional<DeferredStage> once = {};
    int nth = 1;
    bool out_of_memory = false;
    std::set<int> skipped = {};  // the copies the solid comes out without
    bool given_back = false;     // left to apply later, the solid as it was meanwhile
  } const cases[] = {
      {.name = "memory runs out as a worker takes the solid up",
       .every = {},
       .once = JobStart,
       .out_of_memory = true},
      {.name = "OpenCASCADE fails whenever a worker takes the solid up",
       .every = {JobStart},
       .skipped = {1, 2, 3, 4},
       .given_back = true},
      {.name = "OpenCASCADE fails making the removed spaces", .every = {RemovedSpace}},
      {.name = "memory runs out making the removed spaces",
       .every = {RemovedSpace},
       .out_of_memory = true},
      {.name = "memory runs out checking the one cut, on its own thread",
       .every = {CheckOneCut},
       .out_of_memory = true},
      {.name = "no one cut, and the second intersection fails",
       .every = {OneCut},
       .once = OneIntersection,
       .nth = 2,
       .skipped = {2}},
      {.name = "no one cut, and memory runs out at every intersection",
       .every = {RemovedSpace, OneIntersection},
       .out_of_memory = true,
       .skipped = {1, 2, 3, 4}},
      {.name = "the slotted section's extrusion fails: the slot is cut again on the solids",
       .evaluation = BooleanEvaluation::Fast,
       .every = {SectionExtrusion}},
      {.name = "memory runs out putting the replication together on the section",
       .evaluation = BooleanEvaluation::Fast,
       .every = {SectionReplication},
       .out_of_memory = true},
      {.name = "the replicated section's extrusion fails, and then the one cut",
       .evaluation = BooleanEvaluation::Fast,
       .every = {OneCut},
       .once = SectionExtrusion,
       .nth = 2},
  };
  const double complete = MeasureSolid(*Replication(BooleanEvaluation::Fast3D).blank).volume;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const double expected =
        MeasureSolid(*Replication(BooleanEvaluation::OperationByOperation, c.skipped).blank).volume;
    for (auto& stage : striking.every)
      stage = std::find(c.every.begin(), c.every.end(),
                        DeferredStage(&stage - &striking.every[0])) != c.every.end();
    striking.once_stage = c.once ? int(*c.once) : -1;
    striking.once_nth = c.nth;
    striking.out_of_memory = c.out_of_memory;
    for (auto& arrivals : striking.arrivals)
      arrivals = 0;
    // Struck from the first Boolean on: the sections' stages come before any evaluation.
    SetDeferredFaultForTesting(Strike);
    Replication fast(c.evaluation);
    EXPECT_NO_THROW(fast.drawing->Evaluate());
    const EvaluationStats stats = fast.drawing->Evaluation();
    if (c.given_back) {
      EXPECT_THROW(MeasureSolid(*fast.blank), CadError) << "not yet applied";
    }
    SetDeferredFaultForTesting(nullptr);

    const SolidMeasures solid = MeasureSolid(*fast.blank);  // applies what was given back
    EXPECT_TRUE(solid.is_one_valid_solid);
    EXPECT_NEAR(solid.volume, c.given_back ? complete : expected, 1e-9 * expected);
    const int failed = static_cast<int>(c.given_back ? kCopies : c.skipped.size());
    EXPECT_EQ(stats.failed_booleans, failed);
    EXPECT_EQ(stats.fallbacks + stats.prism_fallbacks > 0,
              c.given_back || c.once || !c.every.empty())
        << "reported";
    EXPECT_EQ(stats.prism_fallbacks > 0, c.evaluation == BooleanEvaluation::Fast);
    EXPECT_EQ(fast.drawing->Shortfalls().incomplete, failed > 0);
    const std::vector<std::string> log = fast.drawing->CommandLog();
    for (const int copy : c.given_back ? std::set<int>{} : c.skipped) {
      const std::string line =
          "第 " + std::to_string(copy) + " 个齿槽复制的求交运算失败，已跳过，齿轮上少了这个齿槽";
      EXPECT_NE(std::find(log.begin(), log.end(), line), log.end()) << line;
    }
    EXPECT_EQ(fast.drawing->Entities().size(), 1u) << "no copy left over";
  }
}

}  // namespace
}  // namespace kelvo::cad

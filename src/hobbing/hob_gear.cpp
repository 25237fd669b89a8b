#include "hobbing/hob_gear.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "geometry/gear_constants.h"
#include "geometry/gear_pair_data.h"
#include "hobbing/checked_arithmetic.h"
#include "hobbing/hob_plan.h"
#include "hobbing/rack_cutter.h"

namespace kelvo {
namespace {

constexpr cad::Point kOrigin{0, 0, 0};
// Turning about the axis towards -Z by the right-hand rule turns the blank clockwise seen
// from +Z: its +Y side, where the cutter is, moves towards +X together with the cutter.
constexpr cad::Point kBelowOrigin{0, 0, -1};

void Report(const HobProgress& progress, const HobProgressReport& report) {
  if (progress) progress(report);
}

// One Boolean of the blank with a tool solid made for it, which the Boolean consumes. A failed
// Boolean leaves both solids as they were; the tool is no part of the gear, so it is deleted
// rather than left in the designer's drawing.
void ApplyToBlank(SkipOnFailure& skip, const GearBlank& blank, cad::BooleanOperation operation,
                  const cad::EntityRef& tool, GearStep step, GearStep discard,
                  std::int64_t number) {
  const bool applied = skip.Run(step, number, [&] {
    Deref(blank.blankSolid, "blank solid").Boolean(operation, Deref(tool, "tool solid"));
  });
  if (!applied && tool) {
    skip.Run(discard, number, [&] { tool->Delete(); });
  }
}

// The solids a cut makes on its way that are no part of the gear: the cutter copy of the
// position being cut and the turned copies of the blank not yet intersected. A cut that ends
// early (the designer stopped it) deletes them with the cutter, so that the drawing holds the
// blank as cut so far and nothing else, as after a finished cut.
class ConstructionSolids {
 public:
  void Using(cad::EntityRef tool) { Waiting({std::move(tool)}); }
  void Waiting(std::vector<cad::EntityRef> tools) {
    tools_ = std::move(tools);
    used_ = 0;
  }
  // The first `count` tools have been consumed by their Booleans, or deleted after a failure.
  void UsedUp(std::size_t count) { used_ = count; }

  void DeleteWithTheCutter(const RackCutter& cutter) noexcept {
    for (std::size_t k = used_; k < tools_.size(); ++k)
      DeleteQuietly(tools_[k]);
    DeleteQuietly(cutter.cutterSolid);
  }

 private:
  // On the way out nothing more may fail: a solid that is already gone stays gone.
  template <class Entity>
  static void DeleteQuietly(const std::shared_ptr<Entity>& entity) noexcept {
    try {
      if (entity) entity->Delete();
    } catch (...) {
    }
  }

  std::vector<cad::EntityRef> tools_;
  std::size_t used_ = 0;
};

// How far a cut has come: what a cut that ends early leaves behind and reports.
struct CutState {
  SkipOnFailure skip;
  HobProgressReport report;
  RackCutter cutter;
  ConstructionSolids construction;
};

// The hobbing sequence itself; HobGear adds the clean-up of a cut that ends early.
void Cut(const GearBlank& blank, double fineness, const HobProgress& progress, CutState& state) {
  SkipOnFailure& skip = state.skip;
  HobProgressReport& report = state.report;
  RackCutter& cutter = state.cutter;
  ConstructionSolids& construction = state.construction;
  const GearPairData& gearPair = blank.gearPair;
  const std::int16_t gearNo = blank.gearNo;
  const std::int16_t z = GearToCut(gearPair, gearNo).z;

  double stepsPerPitch = 0;
  skip.Run(GearStep::PositionsPerPitch, [&] { stepsPerPitch = RoundedStepsPerPitch(fineness, z); });
  stepsPerPitch = CappedStepsPerPitch(stepsPerPitch, gearNo);

  skip.Run(GearStep::MakeRackCutter,
           [&] { MakeRackCutter(blank, gearPair.m, Finite(2 * gearPair.b), cutter); });

  double rollStep = 0;
  double rollAngle = 0;
  std::int32_t positionCount = 0;
  skip.Run(GearStep::RollStep,
           [&] { rollStep = RollStep(gearPair.m, stepsPerPitch, gearPair.beta); });
  skip.Run(GearStep::RollAngle, [&] { rollAngle = RollAngle(z, stepsPerPitch); });
  skip.Run(GearStep::PositionCount,
           [&] { positionCount = PositionCount(cutter.halfTravel, rollStep); });

  report.positionCount = positionCount;
  report.intersectionCount = std::max(z - 1, 0);
  Report(progress, report);

  // The rolling cut: each position advances the cutter one step and turns the blank by the
  // matching angle, so the reference circle rolls without sliding on the cutter's rolling line.
  for (std::int64_t i = 1; i <= positionCount; ++i) {
    skip.Run(GearStep::AdvanceCutter, i, [&] {
      Deref(cutter.cutterSolid, "cutter solid").Move(kOrigin, {rollStep, 0, 0});
    });
    cad::EntityRef cut;
    skip.Run(GearStep::CopyCutter, i,
             [&] { cut = Deref(cutter.cutterSolid, "cutter solid").Copy(); });
    construction.Using(cut);
    skip.Run(GearStep::TurnBlank, i, [&] {
      Deref(blank.blankSolid, "blank solid").Rotate3D(kOrigin, kBelowOrigin, rollAngle);
    });
    ApplyToBlank(skip, blank, cad::BooleanOperation::Subtraction, cut, GearStep::CutAtPosition,
                 GearStep::DiscardCutterCopy, i);
    construction.UsedUp(1);
    report.positionsDone = static_cast<std::int32_t>(i);
    Report(progress, report);
  }

  // The replication: the blank now has one space. Each copy turned by whole pitches lacks the
  // material of the space at its own angle, so intersecting with it adds that space.
  std::vector<cad::EntityRef> turned;
  skip.Run(GearStep::ArrayBlank, [&] {
    turned = Deref(blank.blankSolid, "blank solid").ArrayPolar(z, PolarFillAngle(z), kOrigin);
  });
  construction.Waiting(turned);
  report.intersectionCount = static_cast<int>(turned.size());
  Report(progress, report);
  for (std::size_t k = 0; k < turned.size(); ++k) {
    const auto number = static_cast<std::int64_t>(k + 1);
    ApplyToBlank(skip, blank, cad::BooleanOperation::Intersection, turned[k],
                 GearStep::IntersectWithCopy, GearStep::DiscardBlankCopy, number);
    construction.UsedUp(k + 1);
    report.intersectionsDone = static_cast<int>(number);
    Report(progress, report);
  }

  skip.Run(GearStep::DeleteCutter, [&] { Deref(cutter.cutterSolid, "cutter solid").Delete(); });
}

}  // namespace

std::vector<SkippedStatement> HobGear(const GearBlank& blank, double fineness,
                                      const HobProgress& progress) {
  CutState state;
  // Only what is no failure of a statement ends the cut early: a stop asked for by the designer
  // (from the progress callback or from inside a long Boolean), or the machine running out.
  try {
    Cut(blank, fineness, progress, state);
  } catch (const cad::EvaluationStopped& stop) {
    state.construction.DeleteWithTheCutter(state.cutter);
    throw GearCutStopped(stop.what(), state.report, state.skip.skipped());
  } catch (...) {
    state.construction.DeleteWithTheCutter(state.cutter);
    throw;
  }
  return state.skip.skipped();
}

bool CostsTheGearNothing(const SkippedStatement& skipped, std::int16_t z) {
  return z <= 1 && skipped.step == GearStep::ArrayBlank;
}

}  // namespace kelvo

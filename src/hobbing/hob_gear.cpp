#include "hobbing/hob_gear.h"

#include <algorithm>
#include <string>

#include "cad/cad_session.h"
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
void ApplyToBlank(SkipOnFailure& skip, cad::BooleanOperation operation, const cad::EntityRef& tool,
                  std::string_view what, std::int64_t number) {
  const bool applied = skip.Run(what, number, [&] {
    Deref(blankSolid, "blank solid").Boolean(operation, Deref(tool, "tool solid"));
  });
  if (!applied && tool) {
    skip.Run("discard the tool of " + std::string(what), number, [&] { tool->Delete(); });
  }
}

}  // namespace

std::vector<SkippedStatement> HobGear(double fineness, std::int16_t gearNo,
                                      const HobProgress& progress) {
  SkipOnFailure skip;
  const std::int16_t z = gearNo == 1 ? gearPair.z1 : gearPair.z2;

  double stepsPerPitch = 0;
  skip.Run("positions per pitch", [&] { stepsPerPitch = RoundedStepsPerPitch(fineness, z); });
  stepsPerPitch = CappedStepsPerPitch(stepsPerPitch, gearNo);

  skip.Run("make the rack cutter",
           [&] { MakeRackCutter(gearPair.m, Finite(2 * gearPair.b), gearNo); });

  double rollStep = 0;
  double rollAngle = 0;
  std::int32_t positionCount = 0;
  skip.Run("roll step", [&] { rollStep = RollStep(gearPair.m, stepsPerPitch, gearPair.beta); });
  skip.Run("roll angle", [&] { rollAngle = RollAngle(z, stepsPerPitch); });
  skip.Run("position count", [&] { positionCount = PositionCount(halfTravel, rollStep); });

  HobProgressReport report;
  report.positionCount = positionCount;
  report.intersectionCount = std::max(z - 1, 0);
  Report(progress, report);

  // The rolling cut: each position advances the cutter one step and turns the blank by the
  // matching angle, so the reference circle rolls without sliding on the cutter's rolling line.
  for (std::int64_t i = 1; i <= positionCount; ++i) {
    skip.Run("advance the cutter at position", i, [&] {
      Deref(cutterSolid, "cutter solid").Move(kOrigin, {rollStep, 0, 0});
    });
    cad::EntityRef cut;
    skip.Run("copy the cutter at position", i,
             [&] { cut = Deref(cutterSolid, "cutter solid").Copy(); });
    skip.Run("turn the blank at position", i,
             [&] { Deref(blankSolid, "blank solid").Rotate3D(kOrigin, kBelowOrigin, rollAngle); });
    ApplyToBlank(skip, cad::BooleanOperation::Subtraction, cut, "cut at position", i);
    report.positionsDone = static_cast<std::int32_t>(i);
    Report(progress, report);
  }

  // The replication: the blank now has one space. Each copy turned by whole pitches lacks the
  // material of the space at its own angle, so intersecting with it adds that space.
  std::vector<cad::EntityRef> turned;
  skip.Run("array the blank", [&] {
    turned = Deref(blankSolid, "blank solid").ArrayPolar(z, PolarFillAngle(z), kOrigin);
  });
  report.intersectionCount = static_cast<int>(turned.size());
  Report(progress, report);
  for (std::size_t k = 0; k < turned.size(); ++k) {
    const auto number = static_cast<std::int64_t>(k + 1);
    ApplyToBlank(skip, cad::BooleanOperation::Intersection, turned[k], "intersect with copy",
                 number);
    report.intersectionsDone = static_cast<int>(number);
    Report(progress, report);
  }

  skip.Run("delete the cutter", [&] { Deref(cutterSolid, "cutter solid").Delete(); });
  return skip.skipped();
}

}  // namespace kelvo

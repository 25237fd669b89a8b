#include "modelling/headless/headless_gears.h"

#include <chrono>

#include "hobbing/checked_arithmetic.h"
#include "hobbing/hob_plan.h"
#include "modelling/build_gear_drawing.h"

namespace kelvo {
namespace {

// Positions per pitch as HobGear works them out: a fineness it cannot use counts as 0, raised
// to the least of one position.
double StepsPerPitch(double fineness, std::int16_t z, std::int16_t gearNo) {
  double steps = 0;
  try {
    steps = RoundedStepsPerPitch(fineness, z);
  } catch (const HobbingError&) {
  }
  return CappedStepsPerPitch(steps, gearNo);
}

}  // namespace

GearsBuild BuildGears(const GearBuildRequest& request) {
  GearsBuild build;
  build.application = cad::MakeHeadlessCadApplication();
  build.application->SetBooleanEvaluation(request.evaluation);
  build.application->SetEvaluationHooks(request.hooks);

  const auto start = std::chrono::steady_clock::now();
  for (const std::int16_t gearNo : request.gears) {
    GearBuild& gear = build.gears.emplace_back();
    gear.gearNo = gearNo;
    gear.stepsPerPitch = StepsPerPitch(request.fineness, GearToCut(request.pair, gearNo).z, gearNo);
    GearDrawing made = BuildGearDrawing(build.application, request.pair,
                                        {.gearNo = gearNo, .fineness = request.fineness},
                                        [&](const HobProgressReport& report) {
                                          gear.positionCount = report.positionCount;
                                          gear.intersections = report.intersectionsDone;
                                          if (request.progress) request.progress(report);
                                        });
    if (made.stopped) throw cad::EvaluationStopped("the build was stopped");
    gear.drawing = std::dynamic_pointer_cast<cad::OcctDocument>(made.cadDoc);
    gear.gear = made.blankSolid;
    gear.skipped = std::move(made.skipped);
    if (!gear.drawing || !gear.gear) {
      const SkippedStatement& first = gear.skipped.front();
      throw cad::CadError("could not " + first.Statement() + ": " + first.reason);
    }
  }
  build.application->Evaluate();
  build.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  for (GearBuild& gear : build.gears)
    gear.failedBooleans = gear.drawing->Evaluation().failed_booleans;
  return build;
}

}  // namespace kelvo

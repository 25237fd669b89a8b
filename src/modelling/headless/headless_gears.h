#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "cad/occt/occt_application.h"
#include "cad/occt/occt_evaluation.h"
#include "geometry/gear_pair_data.h"
#include "hobbing/hob_progress.h"
#include "hobbing/skip_on_failure.h"

namespace kelvo {

// Gears built as the window's generate command builds them (BuildGearDrawing), without a
// window: one new drawing per gear in one headless CAD application, holding the hobbed gear and
// its reference circle. The deferred work of all the drawings is
// evaluated at the end, side by side, as when the generate command shows the application.
struct GearBuild {
  std::int16_t gearNo = 1;
  std::shared_ptr<cad::OcctDocument> drawing;
  std::shared_ptr<cad::Cad3DSolid> gear;
  double stepsPerPitch = 0;
  int positionCount = 0;
  int intersections = 0;  // intersections with turned copies made
  int failedBooleans = 0;
  std::vector<SkippedStatement> skipped;
};

struct GearsBuild {
  std::shared_ptr<cad::OcctCadApplication> application;
  std::vector<GearBuild> gears;
  double seconds = 0;  // from the first blank to the evaluated gears
};

struct GearBuildRequest {
  GearPairData pair{};
  std::vector<std::int16_t> gears{1};  // gearNo of each gear, in the order they are built
  double fineness = 4;
  cad::BooleanEvaluation evaluation = cad::BooleanEvaluation::Fast;
  HobProgress progress{};        // the rolling cut and the replication of each gear
  cad::EvaluationHooks hooks{};  // the evaluation of deferred work
};

// Builds in an application of its own, for request.pair. EvaluationStopped when the progress
// or the hooks ask for a stop.
GearsBuild BuildGears(const GearBuildRequest& request);

}  // namespace kelvo

#include "cli/gear_build.h"

#include "cad/occt/occt_export.h"
#include "cad/occt/occt_export_failure.h"
#include "cli/build_memory.h"
#include "cli/build_outcome.h"

namespace kelvo::cli {

std::optional<GearsBuild> BuildAsAsked(const BuildInputs& inputs,
                                       const std::vector<std::int16_t>& gears,
                                       cad::BooleanEvaluation evaluation, BuildProgress& progress,
                                       std::ostream& err) {
  for (const std::int16_t gearNo : gears) {
    if (!WorkFitsThisMachine(inputs.pair, gearNo, inputs.fineness, err)) return std::nullopt;
  }
  GearBuildRequest request;
  request.pair = inputs.pair;
  request.gears = gears;
  request.fineness = inputs.fineness;
  request.evaluation = evaluation;
  progress.Follow(request);
  try {
    return BuildGears(request);
  } catch (const cad::CadError& error) {
    progress.Clear();
    SayNotMade(err, gears, error);
    return std::nullopt;
  }
}

bool WriteDrawing(const cad::OcctDocument& drawing, const std::string& caption,
                  const std::string& out, BuildProgress& progress, std::ostream& err) {
  progress.Step(caption);
  try {
    cad::PrepareExport(drawing, out)
        .Write({.progress = [&](double done) { progress.Share(done); },
                .cancelled = [&] { return progress.StopRequested(); }});
  } catch (const cad::ExportCancelled& cancelled) {
    // A cancelled writing is a stop like any other: the commands end it as they end a build.
    throw cad::EvaluationStopped(cancelled.what());
  } catch (const cad::CadError& error) {
    progress.Step("");
    SayFailed(err, cad::ExportFailureText(&drawing, out), error);
    return false;
  }
  return true;
}

}  // namespace kelvo::cli

#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cad/occt/occt_document.h"
#include "cad/occt/occt_evaluation.h"
#include "cli/build_options.h"
#include "cli/build_progress.h"
#include "modelling/headless/headless_gears.h"

namespace kelvo::cli {

// The gears asked for (gearNo of each, in the order they are built), built headless as the
// window's generate command builds them, followed by progress. Nothing, having said why on err,
// when the work would not fit this machine's memory or the CAD application could not make a
// gear's drawing or blank. EvaluationStopped when progress asks for a stop.
std::optional<GearsBuild> BuildAsAsked(const BuildInputs& inputs,
                                       const std::vector<std::int16_t>& gears,
                                       cad::BooleanEvaluation evaluation, BuildProgress& progress,
                                       std::ostream& err);

// Writes a drawing to out, its share shown under caption; Ctrl-C ends the writing too (a gear of
// hundreds of teeth takes longer to write than to build) with EvaluationStopped, and no file.
// False, having said why on err, when it cannot be written.
bool WriteDrawing(const cad::OcctDocument& drawing, const std::string& caption,
                  const std::string& out, BuildProgress& progress, std::ostream& err);

}  // namespace kelvo::cli

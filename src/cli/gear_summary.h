#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>

#include "cad/occt/occt_gear_measurement.h"
#include "cad/occt/occt_types.h"
#include "cli/gear_command.h"
#include "geometry/gear_pair_data.h"
#include "geometry/gear_theory.h"
#include "modelling/headless/headless_gears.h"

namespace kelvo::cli {

// A built gear measured as a gear inspector would, beside what theory says of it.
struct Inspected {
  cad::GearInspection measured;
  GearTheory theory;
};

// Measures the built gear on its transverse section at mid-face; CadError when it cannot.
Inspected Inspect(const GearPairData& pair, const GearBuild& build);

// The summary of a build as a table to read, with the inspection beside its theory if any.
void PrintSummary(std::ostream& out, const GearOptions& options, const GearBuild& build,
                  double seconds, const cad::SolidMeasures& solid,
                  const std::optional<Inspected>& inspected);

// The same summary as one JSON object for scripts.
nlohmann::ordered_json SummaryJson(const GearBuild& build, double seconds,
                                   const cad::SolidMeasures& solid,
                                   const std::optional<Inspected>& inspected);

}  // namespace kelvo::cli

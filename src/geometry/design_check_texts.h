#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "geometry/design_checks.h"

namespace kelvo {

// The design checks' sentences, in plain simplified Chinese as a designer would say them, built
// from the checks' numbers (mm, or coefficients). gearNo is the gear the check is about (1 the
// small gear); what to change names the inputs the designer types: the working centre distance
// and the small gear's shift, the large gear's shift following from them.
std::string UndercutText(std::int16_t gearNo, CheckLevel level, double x, double xmin);
std::string PointedText(std::int16_t gearNo, CheckLevel level, double san, double limit);
std::string ContactText(CheckLevel level, double eps_alpha);
std::string ClearanceText(std::int16_t gearNo, CheckLevel level, double c, double limit);
// active_start: d_Nf, none when the mate's tip passes the interference point.
std::string InterferenceText(std::int16_t gearNo, CheckLevel level,
                             std::optional<double> active_start, double form_diameter);

}  // namespace kelvo

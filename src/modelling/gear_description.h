#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cad/cad_application.h"
#include "geometry/gear_pair_data.h"
#include "modelling/build_gear_drawing.h"

// How a gear is named to the designer wherever the program speaks of one: in the progress bar,
// in its drawing's log, beside its drawing's tab and in the name its export proposes.

namespace kelvo {

// "小齿轮" for gear 1, "大齿轮" for any other gearNo.
std::string_view GearName(std::int16_t gearNo);

// A line about the gear, its name first: "小齿轮：未能添加分度圆".
std::string AboutGear(std::int16_t gearNo, std::string_view text);

// What the gear's drawing holds: the gear's name; its teeth, normal module, helix angle,
// profile shift and the fineness it was cut at ("z=20 m=2 β=0° x=0 精细度 4"); and a file name
// of the gear's number, teeth and module ("gear1_z20_m2").
cad::DrawingDescription DescribeGear(const GearPairData& gearPair, const GearToBuild& gear);

}  // namespace kelvo

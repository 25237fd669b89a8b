#include "modelling/gear_description.h"

#include "geometry/decimal_text.h"
#include "geometry/gear_constants.h"

namespace kelvo {

std::string_view GearName(std::int16_t gearNo) {
  return gearNo == 1 ? "小齿轮" : "大齿轮";
}

std::string AboutGear(std::int16_t gearNo, std::string_view text) {
  std::string line(GearName(gearNo));
  line += "：";
  line += text;
  return line;
}

cad::DrawingDescription DescribeGear(const GearPairData& gearPair, const GearToBuild& gear) {
  const bool small = gear.gearNo == 1;
  const std::string z = std::to_string(small ? gearPair.z1 : gearPair.z2);
  const std::string m = DecimalText(gearPair.m, 4);
  // The helix angle back in the degrees it was typed in, through the same pi.
  const std::string beta = DecimalText(gearPair.beta * 180 / kPi, 4);
  const std::string x = DecimalText(small ? gearPair.x1 : gearPair.x2, 3);
  const std::string fineness = gear.fineness ? DecimalText(*gear.fineness, 4) : "无效";
  cad::DrawingDescription description;
  description.subject = GearName(gear.gearNo);
  description.details = "z=" + z + " m=" + m + " β=" + beta + "° x=" + x + " 精细度 " + fineness;
  description.file_stem = std::string(small ? "gear1" : "gear2") + "_z" + z + "_m" + m;
  return description;
}

}  // namespace kelvo

#include "cli/gear_summary.h"

#include <cmath>
#include <string>

#include "cli/build_outcome.h"
#include "cli/text_table.h"
#include "geometry/decimal_text.h"
#include "geometry/gear_constants.h"
#include "hobbing/checked_arithmetic.h"
#include "hobbing/hob_plan.h"

namespace kelvo::cli {
namespace {

constexpr double kDegrees = 180 / kPi;

std::string HelixHand(double helix_angle) {
  if (std::abs(helix_angle) < 1e-4) return "";
  return helix_angle > 0 ? " 右旋" : " 左旋";
}

// The inspection beside its theory, under a heading of its own.
void PrintInspection(std::ostream& out, const Inspected& inspected) {
  const cad::GearInspection& m = inspected.measured;
  const GearTheory& t = inspected.theory;
  out << "\n检测：齿宽中点的端截面\n";
  out << TableRow("", "实测", "理论值");
  out << TableRow("齿顶圆直径 (mm)", FixedText(m.tip_diameter, 5), FixedText(t.tip_diameter, 5));
  out << TableRow("齿根圆直径 (mm)", FixedText(m.root_diameter, 5), FixedText(t.root_diameter, 5));
  out << TableRow("齿数", std::to_string(m.teeth), std::to_string(t.teeth));
  const std::string no_involute = "无：分度圆在齿根过渡曲线内";
  out << TableRow("分度圆端面齿厚，弧长 (mm)", FixedText(m.tooth_thickness, 5),
                  t.involute_at_reference ? FixedText(t.tooth_thickness, 5) : no_involute);
  out << TableRow("  各齿最小 / 最大 (mm)", FixedText(m.tooth_thickness_min, 5) + " / " +
                                                FixedText(m.tooth_thickness_max, 5));
  out << TableRow("分度圆端面弦齿厚 (mm)", FixedText(m.tooth_chord, 5),
                  t.involute_at_reference ? FixedText(t.tooth_chord, 5) : no_involute);
  out << TableRow("齿廓形状偏差 (µm)", FixedText(m.profile_deviation * 1000, 2),
                  "刀痕规律 " + FixedText(t.cusp_height * 1000, 2));
  out << TableRow("  评定起点：渐开线起始圆直径 (mm)", FixedText(2 * t.form_radius, 3));
  out << TableRow("  拟合的齿面数", std::to_string(m.flanks), std::to_string(2 * t.teeth));
  out << TableRow("分度圆螺旋角 (°)",
                  FixedText(std::abs(m.helix_angle) * kDegrees, 4) + HelixHand(m.helix_angle),
                  FixedText(t.helix_angle * kDegrees, 4));
}

}  // namespace

void PrintSummary(std::ostream& out, const GearOptions& options, const GearBuild& build,
                  double seconds, const cad::SolidMeasures& solid,
                  const std::optional<Inspected>& inspected) {
  out << GearCalled(build.gearNo) << "，模型精细度 " << options.fineness << "，"
      << (options.naive ? "逐个布尔运算（参考算法）" : "快速算法") << "\n";
  out << TableRow("每齿距切削位置数", FixedText(build.stepsPerPitch, 0));
  out << TableRow("切削位置数", std::to_string(build.positionCount));
  out << TableRow("复制齿槽的求交次数", std::to_string(build.intersections));
  out << TableRow("失败的布尔运算", std::to_string(build.failedBooleans));
  out << TableRow("生成用时 (s)", FixedText(seconds, 3));
  out << TableRow("体积 (mm³)", FixedText(solid.volume, 6));
  out << TableRow("面数", std::to_string(solid.face_count));
  out << TableRow("实体有效", solid.is_one_valid_solid ? "是" : "否");
  if (inspected) PrintInspection(out, *inspected);
}

nlohmann::ordered_json SummaryJson(const GearBuild& build, double seconds,
                                   const cad::SolidMeasures& solid,
                                   const std::optional<Inspected>& inspected) {
  nlohmann::ordered_json json;
  json["stepsPerPitch"] = static_cast<int>(build.stepsPerPitch);
  json["positionCount"] = build.positionCount;
  json["intersections"] = build.intersections;
  json["failedBooleans"] = build.failedBooleans;
  json["seconds"] = seconds;
  json["volume"] = solid.volume;
  json["faces"] = solid.face_count;
  json["valid"] = solid.is_one_valid_solid;
  if (!inspected) return json;
  const cad::GearInspection& m = inspected->measured;
  const GearTheory& t = inspected->theory;
  json["tipDiameter"] = m.tip_diameter;
  json["tipDiameterTheory"] = t.tip_diameter;
  json["rootDiameter"] = m.root_diameter;
  json["rootDiameterTheory"] = t.root_diameter;
  json["teeth"] = m.teeth;
  json["teethTheory"] = t.teeth;
  json["toothThickness"] = m.tooth_thickness;
  json["toothThicknessTheory"] =
      t.involute_at_reference ? nlohmann::ordered_json(t.tooth_thickness) : nullptr;
  json["toothThicknessMin"] = m.tooth_thickness_min;
  json["toothThicknessMax"] = m.tooth_thickness_max;
  json["toothChord"] = m.tooth_chord;
  json["toothChordTheory"] =
      t.involute_at_reference ? nlohmann::ordered_json(t.tooth_chord) : nullptr;
  json["profileDeviationUm"] = m.profile_deviation * 1000;
  json["profileCuspLawUm"] = t.cusp_height * 1000;
  json["formDiameter"] = 2 * t.form_radius;
  json["flanks"] = m.flanks;
  json["helixAngleDegrees"] = m.helix_angle * kDegrees;
  json["helixAngleTheoryDegrees"] = t.helix_angle * kDegrees;
  return json;
}

Inspected Inspect(const GearPairData& pair, const GearBuild& build) {
  double roll_angle = 0;
  try {
    roll_angle = RollAngle(GearToCut(pair, build.gearNo).z, build.stepsPerPitch);
  } catch (const HobbingError&) {
  }
  const GearTheory theory = TheoryOf(pair, build.gearNo, roll_angle);
  const cad::GearInspectionPlan plan{theory.reference_radius, theory.base_radius,
                                     theory.form_radius, 0};
  return {cad::InspectGear(*build.gear, plan), theory};
}

}  // namespace kelvo::cli

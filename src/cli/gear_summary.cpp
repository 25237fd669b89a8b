#include "cli/gear_summary.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <sstream>
#include <string>

#include "geometry/gear_constants.h"
#include "hobbing/checked_arithmetic.h"
#include "hobbing/hob_plan.h"

namespace kelvo::cli {
namespace {

constexpr double kDegrees = 180 / kPi;

std::string Fixed(double value, int decimals) {
  std::ostringstream text;
  text << std::fixed << std::setprecision(decimals) << value;
  return text.str();
}

std::string Row(const std::string& name, const std::string& measured,
                const std::string& theory = "") {
  std::string line = "  " + name;
  line.resize(std::max<std::size_t>(line.size() + 1, 48), ' ');
  line += measured;
  if (!theory.empty()) {
    line.resize(std::max<std::size_t>(line.size() + 1, 64), ' ');
    line += theory;
  }
  return line + "\n";
}

}  // namespace

void PrintSummary(std::ostream& out, const GearOptions& options, const GearBuild& build,
                  double seconds, const cad::SolidMeasures& solid,
                  const std::optional<Inspected>& inspected) {
  out << "Gear " << options.gear << ", fineness " << options.fineness << ", "
      << (options.naive ? "operation-by-operation" : "fast") << " evaluation\n";
  out << Row("positions per pitch", Fixed(build.stepsPerPitch, 0));
  out << Row("positions", std::to_string(build.positionCount));
  out << Row("intersections", std::to_string(build.intersections));
  out << Row("Booleans that failed", std::to_string(build.failedBooleans));
  out << Row("seconds", Fixed(seconds, 3));
  out << Row("volume (mm^3)", Fixed(solid.volume, 6));
  out << Row("faces", std::to_string(solid.face_count));
  out << Row("one valid solid", solid.is_one_valid_solid ? "yes" : "no");
  if (!inspected) return;
  const cad::GearInspection& m = inspected->measured;
  const GearTheory& t = inspected->theory;
  out << "\nInspection, transverse section at mid-face\n";
  out << Row("", "measured", "theory");
  out << Row("tip diameter (mm)", Fixed(m.tip_diameter, 5), Fixed(t.tip_diameter, 5));
  out << Row("root diameter (mm)", Fixed(m.root_diameter, 5), Fixed(t.root_diameter, 5));
  out << Row("teeth", std::to_string(m.teeth), std::to_string(t.teeth));
  const std::string no_involute = "none: d lies in the root fillet";
  out << Row("tooth thickness on d, arc (mm)", Fixed(m.tooth_thickness, 5),
             t.involute_at_reference ? Fixed(t.tooth_thickness, 5) : no_involute);
  out << Row("  least / largest of all teeth (mm)",
             Fixed(m.tooth_thickness_min, 5) + " / " + Fixed(m.tooth_thickness_max, 5));
  out << Row("tooth thickness on d, chord (mm)", Fixed(m.tooth_chord, 5),
             t.involute_at_reference ? Fixed(t.tooth_chord, 5) : no_involute);
  out << Row("profile form deviation (um)", Fixed(m.profile_deviation * 1000, 2),
             "cusp law " + Fixed(t.cusp_height * 1000, 2));
  out << Row("  from root form circle d (mm)", Fixed(2 * t.form_radius, 3));
  out << Row("  flanks fitted", std::to_string(m.flanks), std::to_string(2 * t.teeth));
  const std::string hand =
      std::abs(m.helix_angle) < 1e-4 ? "" : (m.helix_angle > 0 ? " right" : " left");
  out << Row("helix angle on d (deg)", Fixed(std::abs(m.helix_angle) * kDegrees, 4) + hand,
             Fixed(t.helix_angle * kDegrees, 4));
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

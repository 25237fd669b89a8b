#include "cli/gear_command.h"

#include <unistd.h>

#include <CLI/Validators.hpp>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <iomanip>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/text_rules.h"
#include "cad/occt/occt_export.h"
#include "cad/occt/occt_gear_measurement.h"
#include "cad/occt/occt_queries.h"
#include "cli/gear_build.h"
#include "cli/interrupt.h"
#include "cli/pair_options.h"
#include "geometry/gear_constants.h"
#include "geometry/gear_theory.h"
#include "hobbing/checked_arithmetic.h"
#include "hobbing/hob_plan.h"

namespace kelvo::cli {
namespace {

constexpr double kDegrees = 180 / kPi;

// One line on a terminal, redrawn in place: where the build is. The hobbing steps come from
// HobGear, the share done of a long Boolean or evaluation from the CAD application's hooks;
// the line is redrawn at most ten times a second.
class ProgressLine {
 public:
  ProgressLine(std::ostream& err, bool enabled, int gearNo)
      : err_(err), enabled_(enabled), prefix_("gear " + std::to_string(gearNo) + ": ") {}
  ~ProgressLine() { Clear(); }

  void Step(std::string step) {
    step_ = std::move(step);
    Draw(step_, true);
  }
  void Share(std::string_view what, double done) {
    const std::string percent = std::to_string(static_cast<int>(done * 100)) + " %";
    // A Boolean of the hobbing sequence belongs to its step; an evaluation is a step itself.
    Draw(what.starts_with("Boolean") ? step_ + ", " + percent : std::string(what) + ", " + percent,
         false);
  }
  void Clear() {
    if (shown_) err_ << "\r\033[K" << std::flush;
    shown_ = false;
  }

 private:
  void Draw(const std::string& text, bool now) {
    const auto time = std::chrono::steady_clock::now();
    if (!enabled_ || (!now && time - drawn_ < std::chrono::milliseconds(100))) return;
    drawn_ = time;
    err_ << "\r\033[K" << prefix_ << text << std::flush;
    shown_ = true;
  }

  std::ostream& err_;
  bool enabled_;
  std::string prefix_;
  std::string step_;
  std::chrono::steady_clock::time_point drawn_;
  bool shown_ = false;
};

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

struct Inspected {
  cad::GearInspection measured;
  GearTheory theory;
};

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
  const std::int16_t z = build.gearNo == 1 ? pair.z1 : pair.z2;
  double roll_angle = 0;
  try {
    roll_angle = RollAngle(z, build.stepsPerPitch);
  } catch (const HobbingError&) {
  }
  const GearTheory theory = TheoryOf(pair, build.gearNo, roll_angle);
  const cad::GearInspectionPlan plan{theory.reference_radius, theory.base_radius,
                                     theory.form_radius, 0};
  return {cad::InspectGear(*build.gear, plan), theory};
}

// What makes the built gear other than the gear asked for, one line each; none when every
// statement ran, every Boolean took effect and the result is one valid solid.
std::vector<std::string> Shortcomings(const GearBuild& build, std::int16_t z,
                                      const cad::SolidMeasures& solid) {
  std::vector<SkippedStatement> failed;
  for (const SkippedStatement& statement : build.skipped) {
    // A gear of one tooth has no turned copies to make; the CAD application refuses an array of
    // one object, which takes nothing from the gear.
    if (z <= 1 && statement.statement == "array the blank") continue;
    failed.push_back(statement);
  }
  constexpr std::size_t kListed = 5;
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < failed.size() && i < kListed; ++i)
    lines.push_back(failed[i].statement + " failed: " + failed[i].reason);
  if (failed.size() > kListed) {
    lines.push_back("and " + std::to_string(failed.size() - kListed) + " more steps failed");
  }
  if (build.failedBooleans > 0)
    lines.push_back(std::to_string(build.failedBooleans) + " Boolean operations failed");
  if (!solid.is_one_valid_solid) lines.push_back("the result is not one valid solid");
  return lines;
}

// Building a gear holds the turned spaces of all its other teeth at once while their
// intersections are evaluated, each with the facets its positions per pitch cut into its flanks.
// Measured with OpenCASCADE 7.6 on spur gears of m 2, beyond the program's own 70 MB: 400 to
// 2000 teeth at one position per pitch took 0.66 to 0.84 MB per tooth, 400 teeth at nine
// positions per pitch 3.5 MB per tooth. Rounded up, so that what is refused cannot be built.
constexpr double kBytesPerTooth = 0.5e6;
constexpr double kBytesPerToothAndPosition = 0.4e6;
constexpr double kProgramBytes = 100e6;
// Above this a build is long enough to say so before it starts.
constexpr double kLongBuildBytes = 256e6;

double Gigabytes(double bytes) {
  return std::round(bytes / 1e8) / 10;
}

// A build whose memory this machine does not have is refused before it starts: the designer
// most likely mistyped a number of teeth, and a build that runs out of memory after hours helps
// nobody. A long one is announced, with the way out. False after saying why on err.
bool WorkFitsThisMachine(const GearPairData& pair, std::int16_t gearNo, double fineness,
                         std::ostream& err) {
  const std::int16_t z = gearNo == 1 ? pair.z1 : pair.z2;
  double steps = 0;
  std::int32_t positions = 0;
  try {
    steps = CappedStepsPerPitch(RoundedStepsPerPitch(fineness, z), gearNo);
    positions = PositionCount(HalfTravel(pair, gearNo), RollStep(pair.m, steps, pair.beta));
  } catch (const HobbingError&) {
    return true;  // the hobbing skips what it cannot work out; the build says what came of it
  }
  const int copies = std::max(z - 1, 0);
  const double bytes =
      kProgramBytes + copies * (kBytesPerTooth + steps * kBytesPerToothAndPosition);
  const double physical =
      static_cast<double>(::sysconf(_SC_PHYS_PAGES)) * static_cast<double>(::sysconf(_SC_PAGESIZE));
  std::ostringstream work;
  work << "gear " << gearNo << " has " << z << " teeth: " << positions << " positions of the "
       << "rolling cut and " << copies << " turned copies to intersect, at " << steps
       << (steps == 1 ? " position" : " positions") << " per pitch";
  if (physical > 0 && bytes > physical) {
    err << "kelvo-cli: " << work.str() << ". That needs about " << Gigabytes(bytes)
        << " GB of memory, and this machine has " << Gigabytes(physical)
        << " GB; check the number of teeth" << (steps > 1 ? ", or choose a lower fineness" : "")
        << ".\n";
    return false;
  }
  if (bytes > kLongBuildBytes) {
    err << "kelvo-cli: " << work.str() << ", about " << Gigabytes(bytes)
        << " GB of memory: a long build. Ctrl-C stops it.\n";
  }
  return true;
}

}  // namespace

CLI::App* AddGearCommand(CLI::App& app, GearOptions& options) {
  CLI::App* gear = app.add_subcommand(
      "gear",
      "Build one gear of the pair by the hobbing simulation, without a window, and print a "
      "summary of the solid");
  AddPairOptions(*gear, options.texts);
  gear->add_option("--gear", options.gear, "1 the small gear, 2 the large gear")
      ->check(CLI::IsMember({1, 2}))
      ->capture_default_str();
  gear->add_option("--fineness", options.fineness,
                   "model fineness as typed into the window (模型精细度)")
      ->type_name("TEXT")
      ->capture_default_str();
  gear->add_option("--out", options.out,
                   "write the drawing to FILE: .step/.stp, .iges/.igs, .stl or .brep")
      ->type_name("FILE")
      // An empty name (a script's unset variable) must not quietly write nothing.
      ->check([](const std::string& file) {
        return file.empty() ? std::string("a file name is needed") : std::string();
      });
  gear->add_flag("--naive", options.naive,
                 "evaluate every Boolean at once, in the order asked (the slow reference)");
  gear->add_flag("--json", options.json, "print the summary as one JSON object");
  gear->add_flag("--inspect", options.inspect,
                 "measure the solid as a gear inspector would and print each figure beside "
                 "its theoretical value");
  return gear;
}

int RunGear(const GearOptions& options, std::ostream& out, std::ostream& err, bool progress_line,
            const std::function<bool()>& stop_requested) {
  const std::optional<GearPairData> pair = SolvePairFromTexts(options.texts);
  if (!pair) {
    err << kBadInputMessage << '\n';
    return 1;
  }
  const std::optional<double> fineness = TextToDouble(options.fineness);
  if (!fineness) {
    err << "kelvo-cli: the fineness \"" << options.fineness
        << "\" is no number (a decimal number such as 4 or 2.5, within the range of a double)\n";
    return 1;
  }
  try {
    // A file that cannot be written is refused before the build, not after minutes of it.
    if (!options.out.empty()) cad::CheckExportPath(options.out);
  } catch (const cad::CadError& error) {
    err << "kelvo-cli: " << error.what() << '\n';
    return 1;
  }
  const auto gearNo = static_cast<std::int16_t>(options.gear);
  if (!WorkFitsThisMachine(*pair, gearNo, *fineness, err)) return 1;

  ProgressLine line(err, progress_line, options.gear);
  // Ctrl-C ends the build after the CAD operation that is running, or inside a long Boolean.
  const auto stopped = [&] { return stop_requested && stop_requested(); };
  const auto end_if_stopped = [&] {
    if (stopped()) throw cad::EvaluationStopped("stopped");
  };
  GearBuildRequest request;
  request.pair = *pair;
  request.gears = {gearNo};
  request.fineness = *fineness;
  request.evaluation =
      options.naive ? cad::BooleanEvaluation::OperationByOperation : cad::BooleanEvaluation::Fast;
  request.progress = [&](const HobProgressReport& report) {
    // What is being done now: the next position, the next intersection, or what follows.
    if (report.positionsDone < report.positionCount) {
      line.Step("rolling cut, position " + std::to_string(report.positionsDone + 1) + " of " +
                std::to_string(report.positionCount));
    } else if (report.intersectionsDone < report.intersectionCount) {
      line.Step("intersection " + std::to_string(report.intersectionsDone + 1) + " of " +
                std::to_string(report.intersectionCount));
    } else {
      line.Step("finishing the gear");
    }
    end_if_stopped();
  };
  request.hooks.progress = [&](std::string_view what, double done) { line.Share(what, done); };
  if (stop_requested) request.hooks.stop_requested = stop_requested;

  try {
    const GearsBuild built = BuildGears(request);
    const GearBuild& build = built.gears.front();
    end_if_stopped();
    line.Step("measuring the solid");
    const cad::SolidMeasures solid = cad::MeasureSolid(*build.gear);
    // A gear with a step that failed is not the gear asked for: it is reported, not written.
    const std::vector<std::string> shortcomings =
        Shortcomings(build, gearNo == 1 ? pair->z1 : pair->z2, solid);
    if (!options.out.empty() && shortcomings.empty()) {
      end_if_stopped();
      line.Step("writing " + options.out);
      cad::ExportDocument(*build.drawing, options.out);
    }
    // A gear the inspection cannot make sense of is still reported, and written.
    std::optional<Inspected> inspected;
    std::string not_inspected;
    if (options.inspect) {
      end_if_stopped();
      line.Step("inspecting the gear");
      try {
        inspected = Inspect(*pair, build);
      } catch (const cad::CadError& error) {
        not_inspected = error.what();
      }
    }
    line.Clear();
    if (options.json) {
      out << SummaryJson(build, built.seconds, solid, inspected).dump(2) << '\n';
    } else {
      PrintSummary(out, options, build, built.seconds, solid, inspected);
    }
    if (!shortcomings.empty()) {
      err << "kelvo-cli: gear " << options.gear << " came out incomplete"
          << (options.out.empty() ? "" : ", so " + options.out + " was not written") << ":\n";
      for (const std::string& shortcoming : shortcomings)
        err << "  " << shortcoming << '\n';
      return 1;
    }
    if (!not_inspected.empty()) {
      err << "kelvo-cli: the gear cannot be inspected: " << not_inspected << '\n';
      return 1;
    }
  } catch (const cad::EvaluationStopped&) {
    line.Clear();
    err << "kelvo-cli: stopped"
        << (options.out.empty() ? "" : "; " + options.out + " was not written") << '\n';
    return kInterruptedStatus;
  } catch (const cad::CadError& error) {
    line.Clear();
    err << "kelvo-cli: " << error.what() << '\n';
    return 1;
  }
  return 0;
}

}  // namespace kelvo::cli

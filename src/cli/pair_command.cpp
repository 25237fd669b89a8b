#include "cli/pair_command.h"

#include <iomanip>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>

#include "app/commands/text_rules.h"
#include "cad/occt/occt_export.h"
#include "cad/occt/occt_mesh_drawing.h"
#include "cli/build_memory.h"
#include "cli/build_options.h"
#include "cli/interrupt.h"
#include "cli/pair_options.h"
#include "cli/progress_line.h"
#include "hobbing/hob_gear.h"
#include "hobbing/hob_plan.h"
#include "modelling/headless/headless_gears.h"

namespace kelvo::cli {
namespace {

std::string Fixed(double value, int decimals) {
  std::ostringstream text;
  text << std::fixed << std::setprecision(decimals) << value;
  return text.str();
}

std::string Row(const std::string& name, const std::string& value) {
  std::string line = "  " + name;
  line.resize(std::max<std::size_t>(line.size() + 1, 48), ' ');
  return line + value + "\n";
}

nlohmann::ordered_json MeasurementJson(const cad::MeshMeasurement& m) {
  nlohmann::ordered_json json;
  json["interferenceVolume"] = m.interference_volume;
  json["backlash"] = m.backlash;
  json["tipClearance1"] = m.tip_clearance1;
  json["tipClearance1Theory"] = m.tip_clearance1_theory;
  json["tipClearance2"] = m.tip_clearance2;
  json["tipClearance2Theory"] = m.tip_clearance2_theory;
  json["transmissionErrorPeakToPeak"] = m.transmission_error_peak_to_peak;
  nlohmann::ordered_json curve = nlohmann::ordered_json::array();
  for (const auto& [turn, error] : m.transmission_error)
    curve.push_back({turn, error});
  json["transmissionError"] = curve;
  json["seconds"] = m.seconds;
  json["valid"] = m.valid;
  return json;
}

void PrintMeasurement(std::ostream& out, const PairOptions& options, const cad::MeshDrawing& mesh,
                      double build_seconds) {
  const cad::MeshMeasurement& m = mesh.measurement;
  out << "Pair in mesh, fineness " << options.fineness << "\n";
  out << Row("large gear turned into mesh (deg)",
             Fixed(mesh.large_turn * 180 / std::numbers::pi, 4));
  out << Row("interference volume (mm^3)", Fixed(m.interference_volume, 6));
  out << Row("backlash (mm)", Fixed(m.backlash, 6));
  out << Row("tip clearance 1 (mm)",
             Fixed(m.tip_clearance1, 5) + "   theory " + Fixed(m.tip_clearance1_theory, 5));
  out << Row("tip clearance 2 (mm)",
             Fixed(m.tip_clearance2, 5) + "   theory " + Fixed(m.tip_clearance2_theory, 5));
  out << Row("transmission error, peak to peak (urad)",
             Fixed(m.transmission_error_peak_to_peak, 2));
  out << Row("transverse sections", std::to_string(m.sections));
  out << Row("both solids valid", m.valid ? "yes" : "no");
  out << Row("seconds, building the gears", Fixed(build_seconds, 3));
  out << Row("seconds, measuring the mesh", Fixed(m.seconds, 3));
  out << "\nTransmission error over one pitch of the small gear\n";
  out << Row("small gear's turn (rad)", "error (urad)");
  for (const auto& [turn, error] : m.transmission_error)
    out << Row(Fixed(turn, 6), Fixed(error, 3));
}

}  // namespace

CLI::App* AddPairCommand(CLI::App& app, PairOptions& options) {
  CLI::App* pair = app.add_subcommand(
      "pair",
      "Build both gears of the pair by the hobbing simulation, put them in mesh and measure "
      "the pair on its solids: interference, backlash, tip clearances, transmission error");
  AddPairOptions(*pair, options.texts);
  AddBuildOptions(*pair, options.fineness, options.out,
                  "write the pair in mesh to FILE: .step/.stp (an assembly), .iges/.igs, .stl "
                  "or .brep");
  pair->add_flag("--json", options.json, "print the measurement as one JSON object");
  return pair;
}

int RunPair(const PairOptions& options, std::ostream& out, std::ostream& err, bool progress_line,
            const std::function<bool()>& stop_requested) {
  const std::optional<BuildInputs> inputs =
      ReadBuildInputs(options.texts, options.fineness, options.out, err);
  if (!inputs) return 1;
  const GearPairData& pair = inputs->pair;
  const double fineness = inputs->fineness;
  if (!WorkFitsThisMachine(pair, 1, fineness, err)) return 1;
  if (!WorkFitsThisMachine(pair, 2, fineness, err)) return 1;

  ProgressLine line(err, progress_line, 1);
  const auto end_if_stopped = [&] {
    if (stop_requested && stop_requested()) throw cad::EvaluationStopped("stopped");
  };
  GearBuildRequest request;
  request.pair = pair;
  request.gears = {1, 2};
  request.fineness = fineness;
  request.progress = [&](const HobProgressReport& report) {
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
    for (const GearBuild& gear : built.gears) {
      bool incomplete = gear.failedBooleans > 0;
      for (const SkippedStatement& statement : gear.skipped)
        incomplete = incomplete || !CostsTheGearNothing(statement, GearToCut(pair, gear.gearNo).z);
      if (incomplete) {
        line.Clear();
        err << "kelvo-cli: gear " << gear.gearNo
            << " came out incomplete, so the pair was not put in mesh\n";
        return 1;
      }
    }
    end_if_stopped();
    line.Step("putting the gears in mesh and measuring the pair");
    const cad::MeshDrawing mesh = cad::MakeMeshDrawing(*built.application);
    if (!options.out.empty()) {
      end_if_stopped();
      line.Step("writing " + options.out);
      cad::ExportDocument(*mesh.drawing, options.out);
    }
    line.Clear();
    if (options.json) {
      out << MeasurementJson(mesh.measurement).dump(2) << '\n';
    } else {
      PrintMeasurement(out, options, mesh, built.seconds);
    }
    if (!mesh.measurement.valid) {
      err << "kelvo-cli: a gear of the pair is not one valid solid\n";
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
